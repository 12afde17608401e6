// The command line tab of the real main window against a server on 127.0.0.1: connection states,
// what the window feeds the session (target, connect box, CR LF rule), the traffic log as lsvMsg
// shows it and the enabling of the buttons.
#include "CommandSession.h"
#include "LoopbackServer.h"
#include "ScriptModel.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "WidgetSupport.h"
#include "frmMain.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

#include <memory>

class tst_frmMainCommandLine : public QObject
{
    Q_OBJECT

    QTcpSocket* ensureConnected()
    {
        if (!find<QCheckBox>("chkConnect")->isChecked())
            find<QCheckBox>("chkConnect")->click();
        if (!m_client || m_client->state() != QAbstractSocket::ConnectedState)
            m_client = m_server->nextClient();
        [&] { QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Verbunden."), 5000); }();
        if (m_client)
            m_client->readAll();
        return m_client;
    }
    void send(const QString& text, bool byButton = false)
    {
        find<QLineEdit>("txtSend")->setText(text);
        if (byButton)
            QTest::mouseClick(find<QPushButton>("cmdSend"), Qt::LeftButton);
        else
            QTest::keyClick(find<QLineEdit>("txtSend"), Qt::Key_Return);
    }
    int rows() const { return m_window->Session()->Log()->rowCount(); }
    const QAbstractItemModel* shown() { return find<QTableView>("lsvMsg")->model(); }
    // The last row of the log, not only the last the view knows of, is current, selected and visible.
    bool lastRowShown()
    {
        auto* view = find<QTableView>("lsvMsg");
        const int last = rows() - 1;
        const QModelIndex current = view->selectionModel()->currentIndex();
        return current.row() == last && view->selectionModel()->isRowSelected(last) &&
               view->viewport()->rect().intersects(view->visualRect(current));
    }
    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    QString state() { return find<QLabel>("labState")->text(); }
    QColor stateColour() { return find<QLabel>("labState")->palette().color(QPalette::WindowText); }

    // Destroyed from the last up: the window before its server and its data folder.
    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    QTcpSocket* m_client = nullptr;

private slots:
    // In this order: the window starts unconnected, is connected, and is left refused and unticked.
    void initTestCase()
    {
        m_data = std::make_unique<TempDataFolder>();
        m_server = std::make_unique<LoopbackServer>();
        m_data->writeSetup(
            {{"Connect", "0"}, {"Port", m_server->portText()}, {"Name", "127.0.0.1"}, {"SelTab", "1"}});
        m_window = std::make_unique<frmMain>();
        m_window->resize(800, 600);
        // Every change of what lsvMsg shows must keep the rules of Qt's models.
        m_modelTester = std::make_unique<QAbstractItemModelTester>(
            find<QTableView>("lsvMsg")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void connectionStates()
    {
        QTRY_COMPARE(state(), QStringLiteral("Zustand: Port geschlossen."));
        QCOMPARE(stateColour(), QColor(Qt::black));
        // A line sent while not connected keeps its row, greyed.
        send(QStringLiteral("ABC"));
        QTRY_COMPARE(shown()->rowCount(), 1);
        QVERIFY(!TrafficLogProxy::NotTransmittedText().isEmpty());
        QCOMPARE(shown()->index(0, 2).data(Qt::ToolTipRole).toString(),
                 TrafficLogProxy::NotTransmittedText());
        QCOMPARE(shown()->index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        QTRY_VERIFY(!find<QPushButton>("cmdSend")->isEnabled());
        QVERIFY(!find<QPushButton>("cmdCommand1")->isEnabled());

        find<QCheckBox>("chkConnect")->click();
        QVERIFY(m_window->Session()->ConnectWanted());
        m_client = m_server->nextClient();
        QVERIFY(m_client);
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Verbunden."), 5000);
        QCOMPARE(stateColour(), QColor(0, 255, 0));
        QTRY_VERIFY(find<QPushButton>("cmdSend")->isEnabled());
        QVERIFY(find<QPushButton>("cmdCommand8")->isEnabled());

        find<QComboBox>("cboLanguage")->setCurrentIndex(1);
        QTRY_COMPARE(state(), QStringLiteral("State: Connected."));
        find<QComboBox>("cboLanguage")->setCurrentIndex(0);
    }

    // The CR LF rule the window hands the session: the user's box, or the fixed box of device type 2.
    void crLfRule_data()
    {
        columns<bool, int, QByteArray>("appendCrLf", "device", "bytes");
        row("box ticked", true, 0, QByteArray("GM\r\n"));
        row("box clear", false, 1, QByteArray("GM"));
        row("device type 2 forces CR LF", false, 2, QByteArray("GM\r\n"));
    }
    void crLfRule()
    {
        QFETCH(bool, appendCrLf);
        QFETCH(int, device);
        QFETCH(QByteArray, bytes);
        QTcpSocket* client = ensureConnected();
        QVERIFY(client);
        find<QComboBox>("cboDevice")->setCurrentIndex(device);
        find<QCheckBox>("chkAppendCrLf")->setChecked(appendCrLf);
        send(QStringLiteral("GM"), device == 1);
        QCOMPARE(LoopbackServer::read(client, bytes.size()), bytes);
        QTRY_COMPARE(shown()->rowCount(), rows());
        QVERIFY(shown()->index(rows() - 1, 2).data(Qt::ToolTipRole).isNull());
        find<QComboBox>("cboDevice")->setCurrentIndex(0);
    }

    void buttonEnabling_data()
    {
        columns<bool, bool, bool>("busy", "filled", "enabled"); // filled: a line typed, a script edited
        row("idle, line and script", false, true, true);
        row("idle, nothing typed or edited", false, false, false);
        row("run in progress", true, true, false);
    }
    void buttonEnabling()
    {
        QFETCH(bool, busy);
        QFETCH(bool, filled);
        QFETCH(bool, enabled);

        QVERIFY(ensureConnected());
        if (filled)
            m_window->AddScriptEntry(QStringLiteral("GM"), QString());
        find<QLineEdit>("txtSend")->setText(filled ? QStringLiteral("GM") : QString());
        m_window->scriptBusy = busy;
        // A run disables the run buttons; the refresh must leave them so.
        find<QPushButton>("cmdCommand1")->setEnabled(!busy);
        QVERIFY(m_window->RefreshConnectionState());
        QCOMPARE(find<QPushButton>("cmdSend")->isEnabled(), enabled);
        QCOMPARE(find<QPushButton>("cmdCommandTest")->isEnabled(), enabled);
        QCOMPARE(find<QPushButton>("cmdCommand1")->isEnabled(), !busy);
        m_window->scriptBusy = false;
        find<QPushButton>("cmdCommand1")->setEnabled(true);
        m_window->EditedScript()->clear();
    }

    void deleteList()
    {
        QVERIFY(ensureConnected());
        send(QStringLiteral("GM"));
        QTest::mouseClick(find<QPushButton>("cmdDeleteList"), Qt::LeftButton);
        QCOMPARE(rows(), 0);
        QCOMPARE(shown()->rowCount(), 0);
        QVERIFY(!find<QPushButton>("cmdDeleteList")->isEnabled());
        send(QStringLiteral("GM"));
        QVERIFY(find<QPushButton>("cmdDeleteList")->isEnabled());
        QTRY_COMPARE(shown()->rowCount(), 1);
    }

    // What the filter lets through is what the list shows, Ctrl+C copies and Save list writes.
    void filterCopyAndSave_data()
    {
        columns<QString, int, QString>("text", "mode", "expected");
        row("all", "", 0, "GM;SP 1;GM:7<CR><LF>;SP 2");
        row("text, case blind", "gm", 0, "GM;GM:7<CR><LF>");
        row("mode Get", "", 2, "GM:7<CR><LF>");
        row("text and mode", "sp", 1, "SP 1;SP 2");
        row("nothing matches", "xyz", 0, "");
    }
    void filterCopyAndSave()
    {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(QString, expected);
        QTcpSocket* client = ensureConnected();
        QVERIFY(client);
        QTest::mouseClick(find<QPushButton>("cmdDeleteList"), Qt::LeftButton);
        send(QStringLiteral("GM"));
        send(QStringLiteral("SP 1"));
        client->write("GM:7\r\n");
        QTRY_COMPARE(rows(), 3);
        find<QLineEdit>("txtLogFilter")->setText(text);
        find<QComboBox>("cboLogFilterMode")->setCurrentIndex(mode);
        m_window->ApplyLogFilter();
        send(QStringLiteral("SP 2")); // a row arriving meanwhile is filtered too
        QTRY_COMPARE(shown()->rowCount(), int(expected.split(u';', Qt::SkipEmptyParts).size()));
        QStringList texts;
        for (int r = 0; r < shown()->rowCount(); ++r)
            texts << shown()->index(r, TrafficLog::ParameterColumn).data().toString();
        QCOMPARE(texts.join(u';'), expected);

        find<QTableView>("lsvMsg")->selectAll();
        const QStringList copied = m_window->SelectedLogText().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(copied.size(), texts.size());
        QVERIFY(copied.isEmpty() || copied.last().endsWith(u'\t' + texts.last()));
        QTemporaryDir dir;
        QVERIFY(m_window->SaveList(dir.filePath("list.log")).isEmpty());
        QFile saved(dir.filePath("list.log"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().count('\n'), texts.size());
        // Clearing the filter keeps the selected row.
        auto* view = find<QTableView>("lsvMsg");
        if (!texts.isEmpty())
            view->selectRow(0);
        find<QLineEdit>("txtLogFilter")->clear();
        find<QComboBox>("cboLogFilterMode")->setCurrentIndex(0);
        m_window->ApplyLogFilter();
        QCOMPARE(view->currentIndex().siblingAtColumn(TrafficLog::ParameterColumn).data().toString(),
                 texts.value(0));
    }

    // The list follows new rows while its end is in view, and stays where the user scrolled to.
    void follow()
    {
        auto* view = find<QTableView>("lsvMsg");
        const auto addRows = [this](int count) {
            for (int n = 0; n < count; ++n)
                m_window->Session()->Log()->Append(
                    {CurrentUtcDateTime(), LogMode::Get, QStringLiteral("GM:1")});
            m_window->ShowLastLogRow();
        };
        addRows(100);
        QTRY_VERIFY(lastRowShown());
        view->scrollToTop();
        addRows(1);
        QTRY_COMPARE(shown()->rowCount(), rows());
        QCOMPARE(view->verticalScrollBar()->value(), 0);
        view->scrollToBottom();
        addRows(1);
        QTRY_VERIFY(lastRowShown());
    }

    void refusedThenUnticked()
    {
        QVERIFY(ensureConnected());
        // Unticked while connected: closed at the next tick.
        find<QCheckBox>("chkConnect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Port geschlossen."), 3000);
        QTRY_COMPARE(m_client->state(), QAbstractSocket::UnconnectedState);

        m_server->stopListening();
        find<QCheckBox>("chkConnect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Fehler beim Verbinden."), 5000);
        QCOMPARE(stateColour(), QColor(255, 0, 0));
        find<QLineEdit>("txtSend")->setText(QStringLiteral("GM"));
        QTRY_VERIFY(!find<QPushButton>("cmdSend")->isEnabled());
        QVERIFY(!find<QPushButton>("cmdCommandTest")->isEnabled());
        QVERIFY(find<QPushButton>("cmdCommand1")->isEnabled());

        find<QCheckBox>("chkConnect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Port geschlossen."), 3000);
        QCOMPARE(stateColour(), QColor(Qt::black));
    }
};

QTEST_MAIN(tst_frmMainCommandLine)
#include "tst_frmmaincommandline.moc"
