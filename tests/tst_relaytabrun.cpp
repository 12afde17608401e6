// relaytab-run as a caller sees it: exit statuses, servers that misbehave, output formats, waits,
// repetition, a profile's settings and an interrupt during a wait; and instrument-sim, run as a
// separate process and talked to over loopback TCP.
#include "CommandLine.h"
#include "InstrumentSimProcess.h"
#include "LogFormat.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include <QtTest>

#include <csignal>
#include <sys/socket.h>

namespace {

struct Result
{
    int exit = -1;
    QStringList lines; // stdout
    QByteArray error;  // stderr
};

Result finish(QProcess& runner)
{
    runner.closeWriteChannel();
    // In the event loop: a server of the test's own may still have to answer.
    if (!QTest::qWaitFor([&] { return runner.state() == QProcess::NotRunning; }, 60000))
        runner.kill();
    runner.waitForFinished();
    return {runner.exitStatus() == QProcess::NormalExit ? runner.exitCode() : -1,
            QString::fromUtf8(runner.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            runner.readAllStandardError()};
}

// Modes of the rows printed, whatever the format; a reply that came in several pieces counts once.
QString modes(const QStringList& lines, const QString& format)
{
    QStringList found;
    for (const QString& line : lines) {
        QString mode = line.section(u'\t', 1, 1);
        if (format == "jsonl")
            mode = QJsonDocument::fromJson(line.toUtf8()).object().value("mode").toString();
        else if (format == "csv")
            mode = line.section(u',', 2, 2);
        if (mode != "Get" || found.value(found.size() - 1) != "Get")
            found << mode;
    }
    return found.join(u' ');
}

constexpr int Timeout = 5000;

// A client that reads the simulator's replies line by line and counts the pieces they came in.
class Client : public QTcpSocket
{
public:
    explicit Client(quint16 port, const QString& host = QStringLiteral("127.0.0.1"))
    {
        connect(this, &QIODevice::readyRead, this, [this] { ++pieces; });
        connectToHost(host, port);
        waitForConnected(Timeout);
    }
    void send(const QByteArray& bytes)
    {
        write(bytes);
        flush();
    }
    // The next reply without its CR LF, or a null array when none arrives in time.
    QByteArray reply(int timeoutMs = Timeout)
    {
        while (!canReadLine())
            if (!waitForReadyRead(timeoutMs))
                return QByteArray();
        QByteArray line = readLine();
        return line.endsWith("\r\n") ? line.chopped(2) : "<no CR LF>" + line;
    }
    bool quietFor(int ms) { return bytesAvailable() == 0 && !waitForReadyRead(ms); }

    int pieces = 0;
};

} // namespace

class tst_RelaytabRun : public QObject
{
    Q_OBJECT
private slots:
    void exitStatus_data()
    {
        // server: "sim" or "refusing"; modes: of the rows printed, or for a usage error words of it
        columns<QString, QString, int, QString>("server", "args", "exit", "modes");
        row("every reply came, the last one printed", "sim", "GM;SP 1", 0, "Set Get Set Get");
        row("a wait between commands", "sim", "GM;<WAIT_TIME=0.5>;GM", 0, "Set Get Wait Set Get");
        row("three passes", "sim", "--repeat;3;GM", 0, "Set Get Set Get Set Get");
        row("English wait row", "sim", "--language;en;<WAIT_TIME=0>", 0, "Wait");
        row("refused", "refusing", "GM", 3, "");
        row("unknown option", "sim", "--bogus;GM", 2, "");
        row("port out of range", "sim", "--port;70000;GM", 2, "");
        row("two sources", "sim", "--script;/nonexistent;GM", 2, "");
        row("no source", "sim", "--repeat;2", 2, "");
        row("missing script", "sim", "--script;/nonexistent", 2, "");
        row("memory out of range", "sim", "--set;/dev/null;--memory;9", 2, "");
        row("empty memory", "sim", "--set;/dev/null;--memory;1", 2, "");
        row("profile name with a slash", "sim", "--profile;a/b;GM", 2, "");
        row("unknown format", "sim", "--format;xml;GM", 2, "");
        row("empty file name", "sim", "--set;;--memory;1", 2, "--set: empty file name");
    }
    void exitStatus()
    {
        QFETCH(QString, args);
        QFETCH(int, exit);
        Sim sim;
        LoopbackServer loopback;
        QString port = loopback.portText();
        if (fetch<QString>("server") == "sim") {
            QVERIFY(sim.start({}));
            port = QString::number(sim.port);
        } else {
            loopback.stopListening();
        }
        QProcess runner;
        runner.start(RELAYTAB_RUN_PATH, QStringList{"--port", port} + args.split(u';'));
        const Result result = finish(runner);
        QCOMPARE(result.exit, exit);
        QFETCH(QString, modes);
        QCOMPARE(::modes(result.lines, "text"), exit == 2 ? "" : modes);
        // A usage error is said in one line, which names what is wrong.
        if (exit == 2)
            QVERIFY(result.error.count('\n') == 1 && result.error.contains(modes.toUtf8()));
        if (args.contains("WAIT_TIME=0.5")) {
            const auto time = [&](int n) {
                return QDateTime::fromString(result.lines[n].section(u'\t', 0, 0), Qt::ISODateWithMs);
            };
            QVERIFY(time(2).msecsTo(time(3)) >= 500);
        }
        if (args.contains("--language"))
            QVERIFY(result.lines.value(0).endsWith("\tWait\t0 second(s)"));
    }

    void hostileServer_data()
    {
        // reply: to each command, written chunk bytes at a time; then, after the first reply:
        // 0 nothing, 1 the server closes, 2 it resets. The runner waits timeout seconds for a reply:
        // a sanitizer build on a busy machine takes seconds to read the burst, which is no timeout.
        columns<QByteArray, int, int, QString, int, QString>("reply", "chunk", "then", "timeout", "exit",
                                                             "modes");
        QByteArray garbage;
        for (int b = 0; b < 256; ++b)
            garbage += b == ':' ? '\0' : char(b);
        row("garbage with NUL and high bytes", garbage + ':', 257, 0, "3", 0, "Set Get Set Get");
        row("10 MB in one burst", QByteArray(10 * 1024 * 1024, 'x') + ':', 10 * 1024 * 1024 + 1, 0, "15", 0,
            "Set Get Set Get");
        row("one byte at a time", QByteArray("\r\nSP 1\xff:"), 1, 0, "3", 0, "Set Get Set Get");
        row("no colon", QByteArray("OK\r\n"), 4, 0, "3", 1, "Set Get Timeout");
        row("never answers", QByteArray(), 0, 0, "3", 1, "Set Timeout");
        row("closes in the middle of a reply", QByteArray("GM"), 2, 1, "3", 4, "Set Get");
        row("closes before replying", QByteArray(), 0, 1, "3", 4, "Set");
        row("resets", QByteArray(), 0, 2, "3", 4, "Set");
    }
    // Ends with its status within the reply timeout, and prints every byte that came.
    void hostileServer()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, chunk);
        QFETCH(int, then);
        QFETCH(QString, timeout);
        LoopbackServer loopback;
        QProcess runner;
        runner.start(RELAYTAB_RUN_PATH,
                     {"--port", loopback.portText(), "--reply-timeout", timeout, "GM", "GM"});
        QTcpSocket* client = loopback.nextClient();
        QVERIFY(client);
        int replies = 0;
        connect(client, &QTcpSocket::readyRead, client, [&] {
            client->readAll();
            for (qsizetype at = 0; at < reply.size(); at += chunk) {
                // Not after the last piece: the next command must find the handler returned.
                if (at > 0)
                    QTest::qWait(5);
                client->write(reply.mid(at, chunk));
                client->flush();
            }
            if (replies++ > 0 || then == 0)
                return;
            const linger reset{1, 0}; // a linger time of zero makes the close a reset
            if (then == 1)
                client->disconnectFromHost();
            else if (::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                                  sizeof reset) == 0)
                client->abort();
        });
        const Result result = finish(runner);
        QTEST(result.exit, "exit");
        QTEST(modes(result.lines, "text"), "modes");
        QString received;
        for (const QString& line : result.lines)
            received += line.section(u'\t', 1, 1) == "Get" ? line.section(u'\t', 2) : QString();
        const QString once = LogFormat::EscapedText(CommandLine::MarkLineBreaks(modTools::FromAnsi(reply)));
        QCOMPARE(received, result.exit == 0 ? once + once : once);
    }

    void formats_data()
    {
        columns<QString>("format");
        row("text", "text");
        row("csv", "csv");
        row("jsonl", "jsonl");
    }
    // Settings from the profile's Setup.ini, the rows parsed back, and nothing written into the data folder.
    void formats()
    {
        QFETCH(QString, format);
        Sim sim;
        QVERIFY(sim.start({}));
        TempDataFolder data;
        const QString profile = data.path() + "profiles/bench-2/";
        QVERIFY(QDir().mkpath(profile));
        modTools::WriteIniString("SETTINGS", "Port", QString::number(sim.port), profile + "Setup.ini");
        modTools::WriteIniString("SETTINGS", "AppendCrLf", "1", profile + "Setup.ini");
        QProcess runner;
        runner.start(RELAYTAB_RUN_PATH, {"--profile", "bench-2", "--format", format, "GM"});
        Result result = finish(runner);
        QCOMPARE(result.exit, 0);
        if (format == "csv")
            QCOMPARE(result.lines.takeFirst(), "date,time,mode,text\r");
        QCOMPARE(modes(result.lines, format), "Set Get");
        QVERIFY(result.lines[0].contains("GM<CR><LF>"));
        QCOMPARE(QDir(profile).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"Setup.ini"});
    }

    void interruptDuringWait()
    {
        Sim sim;
        QVERIFY(sim.start({}));
        QProcess runner;
        runner.start(RELAYTAB_RUN_PATH, {"--port", QString::number(sim.port), "GM", "<WAIT_TIME=30>", "GM"});
        QVERIFY(QTest::qWaitFor([&] { return runner.peek(4096).contains("\tWait\t"); }, 10000));
        ::kill(pid_t(runner.processId()), SIGINT);
        QVERIFY(runner.waitForFinished(3000));
        const Result result = finish(runner);
        QCOMPARE(result.exit, 130);
        QCOMPARE(modes(result.lines, "text"), "Set Get Wait");
    }

    // Exchanges "command -> reply" separated by " | ", written in UTF-8 and sent in Windows-1252
    // with CR LF; an expected "ERR:word" accepts any error reply mentioning the word; replies to a
    // line that holds several commands are separated by LF.
    void simConversation_data()
    {
        columns<QString, QString>("deviceType", "table");
        row("type 0", "0",
            "GM -> GM:0 | SM 1 -> SM:OK | GM -> GM:1 | SM 3 -> ERR:mode | SP 99 31 -> SP:OK | "
            "SP 100 1 -> ERR:address | SP 5 32 -> ERR:value | CA 5 a:b -> ERR:not allowed | "
            "UN nnnnnnnnnnnnnnnnnnnnn -> ERR:longer than 20 | GP 1 -> ERR:unknown command 'GP'");
        row("type 1", "1",
            "GP 17 -> GP 17:0 | SP 17 3 -> SP:OK | GP 17 -> GP 17:3 | sp 255 7 -> SP:OK | "
            "gp 255 -> GP 255:7 | SP 17 8 -> ERR:range | SR 6 Grüße € -> SR:OK | "
            "GR 6 -> GR 6:Grüße € | SO 4 SPEED! 100 -> SO:OK | SO 4 SPEED? -> SO 4:100 | "
            "SP 1 2\rGP 1 -> SP:OK\nGP 1:2 | SP 1 3\n\rGP 1 -> SP:OK\nGP 1:3 | "
            "\t  -> ERR:empty command | SR 1 a  \nGR 1 -> SR:OK\nGR 1:a  ");
        row("type 2", "2",
            "GM 1 -> GM 1:-1 | SM 1 -> SM:OK | GM 3 -> GM 3:1 | SM -1 2 -> SM:OK | GM 2 -> GM 2:-1 | "
            "GM 4 -> ERR:range | SN 98 4294967295 -> SN:OK | GN 98 -> GN 98:4294967295 | "
            "SU Max Muster -> SU:OK | GU -> GU:Max Muster");
        row("type 3", "3",
            "SC 1 Case A -> SC:OK | GC 1 -> GC 1:Case A | SC 9 x -> ERR:address | "
            "SN 8 2147483648 -> SN:OK | GN 8 -> GN 8:2147483648 | SP 1 3 -> ERR:unknown command");
        row("no colon", "1 --no-colon",
            "SR 1 a:b -> SR=OK | GR 1 -> GR 1=a=b | XYZ -> ERR=unknown command 'XYZ'");
    }
    void simConversation()
    {
        Sim sim;
        QVERIFY(sim.start(QStringList{"--device-type"} + fetch<QString>("deviceType").split(u' ')));
        Client client(sim.port);
        QStringEncoder encoder("windows-1252");
        for (const QString& exchange : fetch<QString>("table").split(QStringLiteral(" | "))) {
            const QStringList parts = exchange.split(QStringLiteral(" -> "));
            client.send(encoder.encode(parts.at(0)) + "\r\n");
            for (const QString& wanted : parts.at(1).split(u'\n')) {
                const QByteArray expected = encoder.encode(wanted);
                const QByteArray reply = client.reply();
                const bool matches = expected.startsWith("ERR:")
                                         ? reply.startsWith("ERR:") && reply.contains(expected.mid(4))
                                         : reply == expected;
                QVERIFY2(matches,
                         qPrintable(exchange.left(60) + " but " + QString::fromLatin1(reply.left(80))));
            }
        }
        QVERIFY(client.quietFor(100));
    }

    void simTestOptions_data()
    {
        // replies: how many of SM:OK, GM:1, SM:OK come; nothing may arrive before quietMs; the replies
        // come in at least minPieces pieces; nextReply: to GM from a new client (null: none)
        columns<QStringList, int, int, int, bool, QByteArray>("args", "replies", "quietMs", "minPieces",
                                                              "closes", "nextReply");
        row("reply delay", QStringList{"--reply-delay", "600"}, 3, 300, 1, false, QByteArray("GM:2"));
        row("chunk", QStringList{"--chunk", "3"}, 3, 0, 3, false, QByteArray("GM:2"));
        // The third command is never run.
        row("close after", QStringList{"--close-after", "2"}, 2, 0, 1, true, QByteArray("GM:1"));
        row("silent", QStringList{"--silent"}, 0, 500, 0, false, QByteArray());
    }
    void simTestOptions()
    {
        QFETCH(int, quietMs);
        QFETCH(QByteArray, nextReply);
        Sim sim;
        QVERIFY(sim.start(fetch<QStringList>("args")));
        Client client(sim.port);
        // The pause after a send without a line end ends its last command.
        client.send("SM 1\r\nGM\r\nSM 2");
        QVERIFY(quietMs == 0 || client.quietFor(quietMs));
        for (const QByteArray& expected :
             QByteArrayList{"SM:OK", "GM:1", "SM:OK"}.first(fetch<int>("replies")))
            QCOMPARE(client.reply(), expected);
        QVERIFY(client.pieces >= fetch<int>("minPieces"));
        if (fetch<bool>("closes"))
            QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, Timeout);
        QVERIFY(client.quietFor(100));
        // The server goes on for the next client.
        Client next(sim.port);
        next.send("GM\r\n");
        QCOMPARE(next.reply(nextReply.isNull() ? 300 : Timeout), nextReply);
    }

    void simSeveralClientsOnEveryLoopback()
    {
        Sim sim;
        QVERIFY(sim.start({"--device-type", "1"}, true));
        QTcpServer probe;
        Client a(sim.port);
        Client b(sim.port, probe.listen(QHostAddress::LocalHostIPv6, 0) ? "::1" : "127.0.0.1");
        QCOMPARE(b.state(), QAbstractSocket::ConnectedState);

        // The instrument is shared.
        a.send("SP 17 3\r\n");
        QCOMPARE(a.reply(), QByteArray("SP:OK"));
        b.send("GP 17\r\n");
        QCOMPARE(b.reply(), QByteArray("GP 17:3"));
        // The line buffers are not: halves sent by two clients never make one command.
        a.send("GP");
        b.send(" 17\r\n");
        QCOMPARE(b.reply(), QByteArray("ERR:unknown command '17'"));
        QCOMPARE(a.reply(), QByteArray("ERR:missing address"));
    }

    void simRefusedStart_data()
    {
        columns<QStringList, bool>("args", "inUse"); // inUse: the port, given last, is taken on 127.0.0.1
        row("port too high", QStringList{"--port", "70000"}, false);
        row("device type 4", QStringList{"--device-type", "4"}, false);
        row("unknown option", QStringList{"--bogus"}, false);
        row("port in use, given address", QStringList{"--listen", "127.0.0.1"}, true);
        row("port in use, default addresses", QStringList{}, true);
    }
    void simRefusedStart()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, inUse);
        QTcpServer holder;
        if (inUse) {
            QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
            args << QStringLiteral("--port") << QString::number(holder.serverPort());
        }
        QProcess process;
        process.start(QStringLiteral(INSTRUMENT_SIM_PATH), args);
        QVERIFY(process.waitForFinished(Timeout));
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 2);
        const QByteArray error = process.readAllStandardError();
        QVERIFY2(error.startsWith("instrument-sim: ") && error.count('\n') == 1 && error.endsWith('\n'),
                 error.data());
        QVERIFY2(!inUse ||
                     error.contains("port " + QByteArray::number(holder.serverPort()) + " is already in use"),
                 error.data());
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_RelaytabRun)
#include "tst_relaytabrun.moc"
