// relaytab-run as a caller sees it: exit statuses, servers that misbehave, output formats, waits,
// repetition, a profile's settings and an interrupt during a wait.
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
    if (!QTest::qWaitFor([&] { return runner.state() == QProcess::NotRunning; }, 20000))
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
        // 0 nothing, 1 the server closes, 2 it resets
        columns<QByteArray, int, int, int, QString>("reply", "chunk", "then", "exit", "modes");
        QByteArray garbage;
        for (int b = 0; b < 256; ++b)
            garbage += b == ':' ? '\0' : char(b);
        row("garbage with NUL and high bytes", garbage + ':', 257, 0, 0, "Set Get Set Get");
        row("10 MB in one burst", QByteArray(10 * 1024 * 1024, 'x') + ':', 10 * 1024 * 1024 + 1, 0, 0,
            "Set Get Set Get");
        row("one byte at a time", QByteArray("\r\nSP 1\xff:"), 1, 0, 0, "Set Get Set Get");
        row("no colon", QByteArray("OK\r\n"), 4, 0, 1, "Set Get Timeout");
        row("never answers", QByteArray(), 0, 0, 1, "Set Timeout");
        row("closes in the middle of a reply", QByteArray("GM"), 2, 1, 4, "Set Get");
        row("closes before replying", QByteArray(), 0, 1, 4, "Set");
        row("resets", QByteArray(), 0, 2, 4, "Set");
    }
    // Ends with its status within the reply timeout, and prints every byte that came.
    void hostileServer()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, chunk);
        QFETCH(int, then);
        LoopbackServer loopback;
        QProcess runner;
        runner.start(RELAYTAB_RUN_PATH, {"--port", loopback.portText(), "--reply-timeout", "3", "GM", "GM"});
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
};

QTEST_GUILESS_MAIN(tst_RelaytabRun)
#include "tst_relaytabrun.moc"
