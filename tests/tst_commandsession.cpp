// The session engine against a command server on 127.0.0.1 that the test plays: bytes on the wire, log
// rows, replies, runs, cancel, end, the reply timeout; the wait rules, the UTC clock, the log's storage.
#include "CommandLine.h"
#include "CommandSession.h"
#include "LoopbackServer.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "Winsock.h"

#include <QtTest>

#include <ctime>
#include <functional>
#include <sys/socket.h>

namespace {

// A server on 127.0.0.1 and a session connected to it, kept connected by a tick every second.
struct Connected
{
    Connected()
    {
        session.SetTarget(QStringLiteral("127.0.0.1"), server.portText());
        session.SetConnectWanted(true);
        QObject::connect(&tick, &QTimer::timeout, &session, &CommandSession::ConnectIfWanted);
        tick.start(1000);
        session.ConnectIfWanted();
        client = server.nextClient();
    }
    qsizetype seen(ConnectionState state) const
    {
        return std::count(states.cbegin(), states.cend(), QVariantList{QVariant::fromValue(state)});
    }
    // Everything logged as received, joined.
    QString received() const
    {
        QString all;
        const TrafficLog* log = session.Log();
        for (int row = 0; row < log->rowCount(); ++row)
            all += log->RowMode(row) == LogMode::Get ? log->RowText(row) : QString();
        return all;
    }

    LoopbackServer server;
    CommandSession session;
    QSignalSpy states{&session, &CommandSession::stateChanged};
    QTimer tick;
    QTcpSocket* client = nullptr;
};

} // namespace

class tst_CommandSession : public QObject
{
    Q_OBJECT

    CommandSession m_session;
    LoopbackServer m_server;
    QTcpSocket* m_client = nullptr;
    QByteArray m_bytes; // as they came
    QStringList m_lines;
    // Called with every line the server reads, without its line end.
    std::function<void(const QString&)> m_onLine;
    QByteArray m_pending;

    int rows() const { return m_session.Log()->rowCount(); }
    // The rows from first on as "mode text", joined by "|".
    QString rowsFrom(int first) const
    {
        QStringList shown;
        for (int row = first; row < rows(); ++row)
            shown << ModeWord(m_session.Log()->Row(row)) + u' ' + m_session.Log()->RowText(row);
        return shown.join(u'|');
    }

private slots:
    void initTestCase()
    {
        m_session.SetTarget(QStringLiteral("127.0.0.1"), m_server.portText());
        m_session.SetConnectWanted(true);
        QVERIFY(m_session.ConnectIfWanted());
        m_client = m_server.nextClient();
        QVERIFY(m_client);
        QTRY_COMPARE(m_session.State(), ConnectionState::Connected);
        connect(m_client, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = m_client->readAll();
            m_bytes += bytes;
            m_pending += bytes;
            for (qsizetype end; (end = m_pending.indexOf("\r\n")) >= 0; m_pending.remove(0, end + 2)) {
                m_lines << QString::fromLatin1(m_pending.left(end));
                if (m_onLine)
                    m_onLine(m_lines.constLast());
            }
        });
    }
    void init()
    {
        m_session.SetAppendCrLf(true);
        m_session.SetReplyTimeout(0);
        m_session.ClearCancel();
        // A reply left outstanding by the row before is answered now.
        if (m_session.AwaitingReply())
            m_client->write(":\r\n");
        QTRY_VERIFY(!m_session.AwaitingReply());
        m_onLine = nullptr;
        m_lines.clear();
        m_bytes.clear();
        m_pending.clear();
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
        QTEST(CommandLine::IsWaitCommand(command), "isWait");
        if (CommandLine::IsWaitCommand(command)) {
            QTEST(CommandLine::WaitSecondsText(command), "seconds");
            QTEST(CommandLine::WaitTicks(CommandLine::WaitSecondsText(command)).value_or(-1), "ticks");
        }
    }

    void clockIsUtc()
    {
        // A zone nine hours ahead of UTC: the log must still show UTC.
        qputenv("TZ", "JST-9");
        tzset();
        const QDateTime logged = CurrentUtcDateTime();
        const QDateTime local = QDateTime::currentDateTime();
        qunsetenv("TZ");
        tzset();
        QCOMPARE(logged.timeSpec(), Qt::UTC);
        QVERIFY2(qAbs(logged.time().secsTo(local.time())) > 3600, qPrintable(logged.toString()));
    }

    void logStorage()
    {
        // Many storage blocks' worth of text, one row larger than a block, and rows crossing midnight.
        TrafficLog log;
        const QString huge(200'000, u'x');
        const QDateTime start(QDate(2026, 12, 31), QTime(23, 59, 59), Qt::UTC);
        for (int row = 0; row < 20'000; ++row)
            log.Append({start.addMSecs(row), row % 2 ? LogMode::Get : LogMode::Set,
                        row == 5'000 ? huge : QStringLiteral("row %1 üß").arg(row), row != 8});
        for (int row : {0, 4'999, 5'001, 19'999})
            QCOMPARE(log.index(row, TrafficLog::ParameterColumn).data().toString(),
                     QStringLiteral("row %1 üß").arg(row));
        QCOMPARE(log.RowText(5'000), huge);
        // A huge row shows shortened, so that it cannot stall the view.
        QCOMPARE(log.index(5'000, TrafficLog::ParameterColumn).data().toString(),
                 huge.left(TrafficLog::ShownParameterLength) + QChar(0x2026));
        QCOMPARE(log.RowTime(999), start.addMSecs(999));
        QCOMPARE(log.RowTime(19'999), start.addMSecs(19'999));
        QCOMPARE(log.index(19'999, TrafficLog::TimeColumn).data().toString(), QStringLiteral("00:00:18:999"));
        QCOMPARE(ModeWord(log.Row(8)), QStringLiteral("Unsent"));
        QCOMPARE(log.index(8, TrafficLog::ModeColumn).data().toString(), QStringLiteral("Set"));
        // An emptied log keeps a block for the rows that follow.
        log.Clear();
        log.Append({start, LogMode::Get, QStringLiteral("again")});
        QCOMPARE(log.rowCount(), 1);
        QCOMPARE(log.RowText(0), QStringLiteral("again"));
    }

    void bytesOnTheWire_data()
    {
        // bytes empty: a wait, which sends nothing; awaiting: a reply is outstanding before
        columns<QString, bool, bool, QByteArray, QString>("text", "appendCrLf", "awaiting", "bytes",
                                                          "logged");
        row("ABC with CR LF", "ABC", true, false, QByteArray("ABC\r\n"), "Set ABC<CR><LF>");
        row("A, CR, B without", "A<CR>B", false, false, QByteArray("A\rB"), "Set A<CR>B");
        row("lower-case markers as typed", "A<cr>B<lf>", false, false, QByteArray("A<cr>B<lf>"),
            "Set A<cr>B<lf>");
        row("marker inside brackets", "<<CR>>", false, false, QByteArray("<\r>"), "Set <<CR>>");
        row("typed markers and CR LF", "A<CR><LF>", true, false, QByteArray("A\r\n\r\n"),
            "Set A<CR><LF><CR><LF>");
        row("empty line", "", true, false, QByteArray("\r\n"), "Set <CR><LF>");
        // What Windows-1252 lacks goes as "?".
        row("umlaut as one byte", "SN Ä中", false, false, QByteArray("SN \xC4?"), "Set SN Ä中");
        row("wait of 2 s keeps a reply awaited", "<WAIT_TIME=2>", true, true, QByteArray(),
            "Wait 2 Sekunde(n)");
        row("wait without a number", "<WAIT_TIME>", true, false, QByteArray(), "Wait  Sekunde(n)");
    }
    void bytesOnTheWire()
    {
        QFETCH(bool, awaiting);
        QFETCH(QByteArray, bytes);
        if (awaiting) {
            m_session.Send(QStringLiteral("GM"));
            QTRY_COMPARE(m_bytes, QByteArray("GM\r\n"));
            m_bytes.clear();
        }
        QSignalSpy logged(&m_session, &CommandSession::rowLogged);
        const int before = rows();
        m_session.SetAppendCrLf(fetch<bool>("appendCrLf"));
        m_session.Send(fetch<QString>("text"));
        QTRY_COMPARE(m_bytes, bytes);
        QTest::qWait(50);
        QCOMPARE(m_bytes, bytes);
        QTEST(rowsFrom(before), "logged");
        QCOMPARE(logged.count(), 1);
        QCOMPARE(m_session.AwaitingReply(), awaiting || !bytes.isEmpty());
    }

    void replies_data()
    {
        columns<QByteArrayList, bool, bool, QString>("pieces", "awaiting", "awaitingAfter", "logged");
        row("no colon keeps waiting", QByteArrayList{"OK\r\n"}, true, true, "Get OK<CR><LF>");
        row("colon ends the wait", QByteArrayList{"GM:5\r\n"}, true, false, "Get GM:5<CR><LF>");
        row("colon, nothing awaited", QByteArrayList{":"}, false, false, "Get :");
        row("in two pieces", QByteArrayList{"GM", ":5\r\n"}, true, false, "Get GM|Get :5<CR><LF>");
    }
    void replies()
    {
        QFETCH(QByteArrayList, pieces);
        if (fetch<bool>("awaiting")) {
            m_session.Send(QStringLiteral("GM"));
            QTRY_COMPARE(m_lines.size(), 1);
        }
        const int before = rows();
        for (qsizetype n = 0; n < pieces.size(); ++n) {
            m_client->write(pieces.at(n));
            QTRY_COMPARE(rows(), before + n + 1);
        }
        QTEST(rowsFrom(before), "logged");
        QTEST(m_session.AwaitingReply(), "awaitingAfter");
    }

    void run_data()
    {
        // answer: ":" with a colon, "-" without, "" not at all; act: 300 ms after the first line, the
        // run still held there: "cancel", "end" or "hold" (nothing); timeout: the reply timeout in s
        columns<QString, QString, QString, int, bool, QString, CommandSession::RunResult, QString>(
            "commands", "answer", "act", "timeout", "lastReply", "sent", "result", "lastRow");
        using R = CommandSession::RunResult;
        QStringList many;
        for (int i = 1; i <= 300; ++i)
            many << QStringLiteral("SP %1").arg(i);
        const QString three = QStringLiteral("SP 1;SP 2;SP 3");
        row("paced by replies", three, ":", "", 0, false, three, R::Completed, "Set SP 3<CR><LF>");
        // More than an 8-bit counter can hold: every command goes out, none is cut.
        row("300 commands", many.join(u';'), ":", "", 0, false, many.join(u';'), R::Completed, "");
        row("reply without colon holds the run", three, "-", "cancel", 0, false, "SP 1", R::Cancelled,
            "Get 1<CR><LF>");
        row("full wait", "SP 1;<WAIT_TIME=1>;SP 2", ":", "hold", 0, false, "SP 1;SP 2", R::Completed, "");
        // Cancel ends the wait early; the run sends the next command and stops awaiting its reply.
        row("cancelled wait", "SP 1;<WAIT_TIME=30>;SP 2;SP 3", ":", "cancel", 0, false, "SP 1;SP 2",
            R::Cancelled, "");
        row("no reply within the timeout", three, "", "", 1, false, "SP 1", R::TimedOut,
            "Timeout Keine Antwort innerhalb von 1 s");
        row("last reply awaited", "SP 1;SP 2", ":", "", 0, true, "SP 1;SP 2", R::Completed,
            "Get SP 2:OK<CR><LF>");
        row("last reply not awaited", "SP 1;SP 2", ":", "", 0, false, "SP 1;SP 2", R::Completed,
            "Set SP 2<CR><LF>");
        row("last reply timed out", "SP 1;SP 2", "-", "", 1, true, "SP 1", R::TimedOut,
            "Timeout Keine Antwort innerhalb von 1 s");
        // Ending stops the run where it is: nothing more goes out. Last: the session stays ended.
        row("ended during a wait", "SP 1;<WAIT_TIME=30>;SP 2", ":", "end", 0, false, "SP 1", R::Ended,
            "Wait 30 Sekunde(n)");
    }
    void run()
    {
        QFETCH(QString, commands);
        QFETCH(QString, answer);
        QFETCH(QString, act);
        QFETCH(QString, lastRow);
        m_session.SetReplyTimeout(fetch<int>("timeout"));
        bool heldAt300ms = act.isEmpty();
        m_onLine = [&](const QString& line) {
            if (m_lines.size() == 1 && !act.isEmpty())
                QTimer::singleShot(300, this, [&] {
                    // Whatever the act, the run is still held at the first command.
                    heldAt300ms = m_lines.size() == 1;
                    if (act == "cancel")
                        m_session.RequestCancel();
                    else if (act == "end")
                        m_session.End();
                });
            if (answer == ":")
                m_client->write(line.toLatin1() + ":OK\r\n");
            else if (answer == "-")
                m_client->write("1\r\n");
        };
        QSignalSpy done(&m_session, &CommandSession::commandDone);
        CommandSession::RunOptions options;
        options.awaitLastReply = fetch<bool>("lastReply");
        const CommandSession::RunResult result = m_session.Run(commands.split(u';'), options);
        const QString lastLogged = rowsFrom(rows() - 1);
        QTEST(result, "result");
        // The run does not wait for the reply to its last command, nor for the server to read it.
        QTRY_COMPARE(m_lines.join(u';'), fetch<QString>("sent"));
        QVERIFY(heldAt300ms);
        if (!lastRow.isEmpty())
            QCOMPARE(lastLogged, lastRow);
        if (result == CommandSession::RunResult::Completed)
            QCOMPARE(done.count(), commands.count(u';') + 1);
        QVERIFY(!m_session.Running());
        QCOMPARE(m_session.CancelRequested(), result != CommandSession::RunResult::Completed);
    }

    // A target the socket cannot take keeps it closed; one it cannot reach fails and the next tick
    // tries again. A line sent meanwhile keeps its row, marked as not transmitted, and awaits nothing.
    void unusableTargets_data()
    {
        columns<QString, QString, ConnectionState>("host", "port", "state");
        const QString closedPort = [] {
            LoopbackServer gone;
            return gone.portText();
        }();
        row("port abc", "127.0.0.1", "abc", ConnectionState::Closed);
        row("port 70000", "127.0.0.1", "70000", ConnectionState::Closed);
        row("port 0", "127.0.0.1", "0", ConnectionState::Closed);
        row("port -1", "127.0.0.1", "-1", ConnectionState::Closed);
        row("empty port", "127.0.0.1", "", ConnectionState::Closed);
        row("empty host", "", "5025", ConnectionState::Closed);
        row("300 character host", QString(300, u'a'), "5025", ConnectionState::Error);
        row("host with blanks", "no such host", "5025", ConnectionState::Error);
        row("refused", "127.0.0.1", closedPort, ConnectionState::Error);
    }
    void unusableTargets()
    {
        QFETCH(ConnectionState, state);
        CommandSession session;
        session.SetTarget(fetch<QString>("host"), fetch<QString>("port"));
        session.SetConnectWanted(true);
        for (int tick = 0; tick < 2; ++tick) {
            QCOMPARE(session.ConnectIfWanted(), state == ConnectionState::Error);
            QTRY_COMPARE_WITH_TIMEOUT(session.State(), state, 8000);
        }
        session.Send(QStringLiteral("GM"));
        QCOMPARE(ModeWord(session.Log()->Row(0)), QStringLiteral("Unsent"));
        QVERIFY(!session.AwaitingReply());
        session.SetConnectWanted(false);
        session.ConnectIfWanted();
        QCOMPARE(session.State(), ConnectionState::Closed);
    }

    // Against servers that never answer, answer without a colon, close or reset, a run can be cancelled;
    // the session logs what came, shows the close and reconnects. Odd bytes are tst_relaytabrun's.
    void runCanBeCancelled_data()
    {
        // reply: to the run's first command; then: 0 nothing, 1 the server closes, 2 it resets
        columns<QByteArray, int>("reply", "then");
        row("never answers", QByteArray(), 0);
        row("no colon", QByteArray("OK\r\n"), 0);
        row("closes in the middle of a reply", QByteArray("GM"), 1);
        row("resets", QByteArray(), 2);
    }
    void runCanBeCancelled()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, then);
        Connected c;
        QVERIFY(c.client);
        QTRY_COMPARE(c.session.State(), ConnectionState::Connected);

        // The run returns only when it has ended, so the server's part runs from the client's
        // signal and the cancel from a timer, once the run has had time to go on wrongly and the
        // session to connect again; should the cancel not end the run, End does.
        QByteArray got;
        bool stuck = false;
        QObject row; // ends the timers with the row
        connect(c.client, &QTcpSocket::readyRead, &row, [&] {
            if ((got += c.client->readAll()) != "GM")
                return;
            c.client->write(reply);
            c.client->flush();
            const linger reset{1, 0}; // a linger time of zero makes the close a reset
            if (then == 2 && ::setsockopt(int(c.client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                                          sizeof reset) == 0)
                c.client->abort();
            else if (then == 1)
                c.client->disconnectFromHost();
            QTimer::singleShot(1500, &row, [&] { c.session.RequestCancel(); });
            QTimer::singleShot(12000, &row, [&] {
                stuck = true;
                c.session.End();
            });
        });
        QCOMPARE(c.session.Run({QStringLiteral("GM"), QStringLiteral("SP 1 2")}),
                 CommandSession::RunResult::Cancelled);
        QVERIFY(!stuck);
        QCOMPARE(got, QByteArray("GM"));
        QCOMPARE(c.received(), CommandLine::MarkLineBreaks(QString::fromLatin1(reply)));
        QVERIFY(c.session.AwaitingReply());
        QVERIFY(then == 0 || c.server.nextClient());
        QTRY_COMPARE(c.session.State(), ConnectionState::Connected);
        QVERIFY(then != 1 || c.seen(ConnectionState::Closing) > 0);
    }
};

QTEST_GUILESS_MAIN(tst_CommandSession)
#include "tst_commandsession.moc"
