// The command line tab of the real main window against a server on 127.0.0.1: connection states, what
// the window feeds the session, the traffic log as lsvMsg shows it and the enabling of the buttons.
#include "CommandSession.h"
#include "LoopbackServer.h"
#include "ScriptModel.h"
#include "TestFiles.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "WidgetSupport.h"
#include "frmMain.h"

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
        [&] { QTRY_COMPARE(state(), QStringLiteral("Zustand: Verbunden. #00ff00")); }();
        if (m_client)
            m_client->readAll();
        return m_client;
    }
    void send(const QString& text, bool byButton = false)
    {
        find<QLineEdit>("txtSend")->setText(text);
        byButton ? QTest::mouseClick(find<QPushButton>("cmdSend"), Qt::LeftButton)
                 : QTest::keyClick(find<QLineEdit>("txtSend"), Qt::Key_Return);
    }
    int rows() const { return m_window->Session()->Log()->rowCount(); }
    const QAbstractItemModel* shown() { return find<QTableView>("lsvMsg")->model(); }
    // The parameters of the rows lsvMsg shows, joined by ";".
    QString shownTexts()
    {
        QStringList texts;
        for (int r = 0; r < shown()->rowCount(); ++r)
            texts << shown()->index(r, TrafficLog::ParameterColumn).data().toString();
        return texts.join(u';');
    }
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
    // labState's text and colour.
    QString state()
    {
        const auto* label = find<QLabel>("labState");
        return label->text() + ' ' + label->palette().color(QPalette::WindowText).name();
    }
    // The enabled ones of the send, test and first and last run buttons.
    QString enabled()
    {
        QStringList on;
        for (const char* name : {"cmdSend", "cmdCommandTest", "cmdCommand1", "cmdCommand8"})
            if (find<QPushButton>(name)->isEnabled())
                on << QString(name).mid(3);
        return on.join(u' ');
    }

    // Destroyed from the last up: the window before its server and its data folder.
    TempDataFolder m_data;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    QTcpSocket* m_client = nullptr;

private slots:
    // In this order: the window starts unconnected, is connected, and is left refused and unticked.
    void initTestCase()
    {
        m_server = std::make_unique<LoopbackServer>();
        m_data.writeSetup(
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
        QTRY_COMPARE(state(), "Zustand: Port geschlossen. #000000");
        // A line sent while not connected keeps its row, greyed.
        send("ABC");
        QTRY_COMPARE(shownTexts(), "ABC");
        const QModelIndex sent = shown()->index(0, TrafficLog::ParameterColumn);
        QVERIFY(!TrafficLogProxy::NotTransmittedText().isEmpty());
        QCOMPARE(sent.data(Qt::ToolTipRole).toString(), TrafficLogProxy::NotTransmittedText());
        QCOMPARE(sent.data(Qt::ForegroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        QTRY_COMPARE(enabled(), "");

        QVERIFY(ensureConnected());
        QTRY_COMPARE(enabled(), "Send Command1 Command8");
        find<QComboBox>("cboLanguage")->setCurrentIndex(1);
        QTRY_COMPARE(state(), "State: Connected. #00ff00");
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
        QFETCH(int, device);
        QFETCH(QByteArray, bytes);
        QVERIFY(ensureConnected());
        find<QComboBox>("cboDevice")->setCurrentIndex(device);
        find<QCheckBox>("chkAppendCrLf")->setChecked(fetch<bool>("appendCrLf"));
        send("GM", device == 1);
        QCOMPARE(LoopbackServer::read(m_client, bytes.size()), bytes);
        QTRY_COMPARE(shown()->rowCount(), rows());
        QVERIFY(shown()->index(rows() - 1, TrafficLog::ParameterColumn).data(Qt::ToolTipRole).isNull());
        find<QComboBox>("cboDevice")->setCurrentIndex(0);
    }

    void buttonEnabling_data()
    {
        columns<bool, bool, QString>("busy", "filled", "enabled"); // filled: a line typed, a script edited
        row("idle, line and script", false, true, "Send CommandTest Command1 Command8");
        row("idle, nothing typed or edited", false, false, "Command1 Command8");
        row("run in progress", true, true, "Command8");
    }
    void buttonEnabling()
    {
        QFETCH(bool, busy);
        QFETCH(bool, filled);
        QVERIFY(ensureConnected());
        if (filled)
            m_window->AddScriptEntry("GM", QString());
        find<QLineEdit>("txtSend")->setText(filled ? "GM" : "");
        m_window->scriptBusy = busy;
        // A run disables the run buttons; the refresh must leave them so.
        find<QPushButton>("cmdCommand1")->setEnabled(!busy);
        QVERIFY(m_window->RefreshConnectionState());
        QTEST(enabled(), "enabled");
        m_window->scriptBusy = false;
        find<QPushButton>("cmdCommand1")->setEnabled(true);
        m_window->EditedScript()->clear();
    }

    // Delete list empties the log; what the filter lets through is what the list shows, Ctrl+C
    // copies and Save list writes.
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
        QFETCH(QString, expected);
        QVERIFY(ensureConnected());
        send("GM");
        QTest::mouseClick(find<QPushButton>("cmdDeleteList"), Qt::LeftButton);
        QCOMPARE(rows() + shown()->rowCount(), 0);
        QVERIFY(!find<QPushButton>("cmdDeleteList")->isEnabled());
        send("GM");
        QVERIFY(find<QPushButton>("cmdDeleteList")->isEnabled());
        send("SP 1");
        m_client->write("GM:7\r\n");
        QTRY_COMPARE(rows(), 3);
        find<QLineEdit>("txtLogFilter")->setText(fetch<QString>("text"));
        find<QComboBox>("cboLogFilterMode")->setCurrentIndex(fetch<int>("mode"));
        m_window->ApplyLogFilter();
        send("SP 2"); // a row arriving meanwhile is filtered too
        QTRY_COMPARE(shownTexts(), expected);

        auto* view = find<QTableView>("lsvMsg");
        view->selectAll();
        const QString copied = m_window->SelectedLogText(); // the parameter after the last tab
        QCOMPARE(QString(copied)
                     .remove(QRegularExpression("[^\n]*\t"))
                     .split(u'\n', Qt::SkipEmptyParts)
                     .join(u';'),
                 expected);
        QTemporaryDir dir;
        QVERIFY(m_window->SaveList(dir.filePath("list.log")).isEmpty());
        QCOMPARE(fileBytes(dir.filePath("list.log")).count('\n'), copied.count(u'\n'));
        // Clearing the filter keeps the selected row.
        view->selectRow(0);
        find<QLineEdit>("txtLogFilter")->clear();
        find<QComboBox>("cboLogFilterMode")->setCurrentIndex(0);
        m_window->ApplyLogFilter();
        QCOMPARE(view->currentIndex().siblingAtColumn(TrafficLog::ParameterColumn).data().toString(),
                 expected.section(u';', 0, 0));
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
        QTRY_COMPARE(state(), "Zustand: Port geschlossen. #000000");
        QTRY_COMPARE(m_client->state(), QAbstractSocket::UnconnectedState);

        m_server->stopListening();
        find<QCheckBox>("chkConnect")->click();
        QTRY_COMPARE(state(), "Zustand: Fehler beim Verbinden. #ff0000");
        find<QLineEdit>("txtSend")->setText("GM");
        QTRY_COMPARE(enabled(), "Command1 Command8");

        find<QCheckBox>("chkConnect")->click();
        QTRY_COMPARE(state(), "Zustand: Port geschlossen. #000000");
    }
};

QTEST_MAIN(tst_frmMainCommandLine)
#include "tst_frmmaincommandline.moc"
