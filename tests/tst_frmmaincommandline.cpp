// The command line tab of the real main window against a server on 127.0.0.1: connection states,
// bytes on the wire, waits, replies, the traffic log and the enabling of the buttons; and, without
// a window, the rules of the wait command, the UTC clock and the log's text storage.
#include "CommandLine.h"
#include "LoopbackServer.h"
#include "ScriptModel.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "frmMain.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <ctime>
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
        m_window->awaitingReply = false;
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
    QString cell(int row, int column) const
    {
        return m_window->trafficLog()->index(row, column).data().toString();
    }
    int rows() const { return m_window->trafficLog()->rowCount(); }
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

    void waitRules_data()
    {
        columns<QString, bool, QString, qint64>("command", "isWait", "seconds", "ticks"); // -1: no number
        row("fraction, half to even", "<WAIT_TIME=1.25>", true, "1.25", qint64(12));
        row("negative", "<WAIT_TIME=-3>", true, "-3", qint64(-30));
        row("two points", "<WAIT_TIME=1.2.3>", true, "1.2.3", qint64(-1));
        row("only the first ten characters count", "<WAIT_TIMEOUT=5>", true, "5", qint64(50));
        row("lower case", "<wait_time=2>", false, "", qint64(0));
        row("not at the start", " <WAIT_TIME=2>", false, "", qint64(0));
    }
    void waitRules()
    {
        QFETCH(QString, command);
        QFETCH(bool, isWait);
        QFETCH(QString, seconds);
        QCOMPARE(CommandLine::IsWaitCommand(command), isWait);
        if (isWait) {
            QCOMPARE(CommandLine::WaitSecondsText(command), seconds);
            QTEST(CommandLine::WaitTicks(seconds).value_or(-1), "ticks");
        }
    }

    void clockIsUtc()
    {
        // A zone nine hours ahead of UTC: the log must still show UTC.
        qputenv("TZ", "JST-9");
        tzset();
        const QTime logged = CurrentUtcTime();
        const QTime utc = QDateTime::currentDateTimeUtc().time();
        const QTime local = QDateTime::currentDateTime().time();
        qunsetenv("TZ");
        tzset();
        QVERIFY2(qAbs(utc.secsTo(logged)) < 60 && qAbs(local.secsTo(logged)) > 3600,
                 qPrintable(logged.toString()));
    }

    void logStorage()
    {
        // Enough text to fill many storage blocks, a row larger than a block among them.
        TrafficLog log;
        const QString huge(200'000, u'x');
        for (int row = 0; row < 20'000; ++row) {
            log.AppendRow(QTime::fromMSecsSinceStartOfDay(row));
            log.SetLastRow(TrafficLog::Mode::Get, row == 5'000 ? huge : QStringLiteral("row %1 üß").arg(row));
        }
        for (int row : {0, 4'999, 5'001, 19'999})
            QCOMPARE(log.index(row, TrafficLog::ParameterColumn).data().toString(),
                     QStringLiteral("row %1 üß").arg(row));
        QCOMPARE(log.RowParameter(5'000), huge);
        // A huge row shows shortened, so that it cannot stall the view.
        QCOMPARE(log.index(5'000, TrafficLog::ParameterColumn).data().toString(),
                 huge.left(TrafficLog::ShownParameterLength) + QChar(0x2026));
        QCOMPARE(log.index(19'999, TrafficLog::TimeColumn).data().toString(), QStringLiteral("00:00:19:999"));
    }

    void connectionStates()
    {
        QTRY_COMPARE(state(), QStringLiteral("Zustand: Port geschlossen."));
        QCOMPARE(stateColour(), QColor(Qt::black));
        // A line sent while not connected keeps its row, greyed.
        SetUtcClock([] { return QTime(14, 3, 7, 45); });
        send(QStringLiteral("ABC"));
        SetUtcClock({});
        QCOMPARE(cell(0, TrafficLog::TimeColumn), QStringLiteral("14:03:07:045"));
        QCOMPARE(cell(0, TrafficLog::ModeColumn), QStringLiteral("Set"));
        QCOMPARE(cell(0, TrafficLog::ParameterColumn), QStringLiteral("ABC"));
        QVERIFY(!m_window->awaitingReply);
        QTRY_COMPARE(shown()->rowCount(), 1);
        QVERIFY(!TrafficLogProxy::NotTransmittedText().isEmpty());
        QCOMPARE(shown()->index(0, 2).data(Qt::ToolTipRole).toString(),
                 TrafficLogProxy::NotTransmittedText());
        QCOMPARE(shown()->index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        QTRY_VERIFY(lastRowShown());
        QTRY_VERIFY(!find<QPushButton>("cmdSend")->isEnabled());
        QVERIFY(!find<QPushButton>("cmdCommand1")->isEnabled());

        find<QCheckBox>("chkConnect")->click();
        QVERIFY(m_window->connectWanted);
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

    void bytesOnTheWire_data()
    {
        // bytes empty: a wait, which sends nothing; awaiting: before, and after a wait, which keeps it
        columns<QString, bool, int, bool, QByteArray, QString, bool>(
            "text", "appendCrLf", "device", "byButton", "bytes", "logged", "awaiting");
        row("ABC with CR LF", "ABC", true, 0, true, QByteArray("ABC\r\n"), "ABC<CR><LF>", false);
        row("A, CR, B without", "A<CR>B", false, 0, false, QByteArray("A\rB"), "A<CR>B", false);
        row("lower-case markers as typed", "A<cr>B<lf>", false, 1, false, QByteArray("A<cr>B<lf>"),
            "A<cr>B<lf>", false);
        row("marker inside brackets", "<<CR>>", false, 0, false, QByteArray("<\r>"), "<<CR>>", false);
        row("device type 2 forces CR LF", "GM", false, 2, true, QByteArray("GM\r\n"), "GM<CR><LF>", false);
        row("typed markers and CR LF", "A<CR><LF>", true, 3, false, QByteArray("A\r\n\r\n"),
            "A<CR><LF><CR><LF>", false);
        row("empty line", "", true, 0, false, QByteArray("\r\n"), "<CR><LF>", false);
        // What Windows-1252 lacks goes as "?".
        row("umlaut as one byte", "SN Ä中", false, 0, false, QByteArray("SN \xC4?"), "SN Ä中", false);
        row("wait of 2 s", "<WAIT_TIME=2>", true, 0, false, QByteArray(), "2 Sekunde(n)", true);
        row("wait without a number", "<WAIT_TIME>", true, 0, true, QByteArray(), " Sekunde(n)", false);
    }
    void bytesOnTheWire()
    {
        QFETCH(QString, text);
        QFETCH(bool, appendCrLf);
        QFETCH(int, device);
        QFETCH(bool, byButton);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, awaiting);

        QTcpSocket* client = ensureConnected();
        QVERIFY(client);
        find<QComboBox>("cboDevice")->setCurrentIndex(device);
        find<QCheckBox>("chkAppendCrLf")->setChecked(appendCrLf);
        m_window->awaitingReply = awaiting;
        const int before = rows();
        send(text, byButton);
        QCOMPARE(LoopbackServer::read(client, bytes.size()), bytes);
        QTest::qWait(50);
        QCOMPARE(client->readAll(), QByteArray());
        QCOMPARE(rows(), before + 1);
        QCOMPARE(cell(before, TrafficLog::ModeColumn), QLatin1String(bytes.isEmpty() ? "Wait" : "Set"));
        QTEST(cell(before, TrafficLog::ParameterColumn), "logged");
        QCOMPARE(m_window->awaitingReply, awaiting || !bytes.isEmpty());
        QTRY_VERIFY(lastRowShown());
        QVERIFY(shown()->index(before, 2).data(Qt::ToolTipRole).isNull());
        find<QComboBox>("cboDevice")->setCurrentIndex(0);
    }

    void replies_data()
    {
        columns<QByteArrayList, bool, bool, QStringList>("pieces", "awaiting", "awaitingAfter", "logged");
        row("no colon keeps waiting", QByteArrayList{"OK\r\n"}, true, true, QStringList{"OK<CR><LF>"});
        row("colon ends the wait", QByteArrayList{"GM:5\r\n"}, true, false, QStringList{"GM:5<CR><LF>"});
        row("colon, nothing awaited", QByteArrayList{":"}, false, false, QStringList{":"});
        row("in two pieces", QByteArrayList{"GM", ":5\r\n"}, true, false, QStringList{"GM", ":5<CR><LF>"});
    }
    void replies()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(bool, awaiting);
        QFETCH(QStringList, logged);

        QTcpSocket* client = ensureConnected();
        QVERIFY(client);
        m_window->awaitingReply = awaiting;
        const int before = rows();
        for (qsizetype n = 0; n < pieces.size(); ++n) {
            client->write(pieces.at(n));
            QTRY_COMPARE(rows(), before + n + 1);
            QCOMPARE(cell(before + n, TrafficLog::ModeColumn), QStringLiteral("Get"));
            QCOMPARE(cell(before + n, TrafficLog::ParameterColumn), logged.at(n));
        }
        QTEST(m_window->awaitingReply, "awaitingAfter");
        QTRY_VERIFY(lastRowShown());
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
        QCOMPARE(shown()->index(0, TrafficLog::ModeColumn).data().toString(), QStringLiteral("Set"));
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
