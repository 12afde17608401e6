// relaytab-run as a caller sees it: its exit statuses, its output in each format, the pacing of a
// wait, repetition, defaults from the settings of a profile, and an interrupt during a wait.
#include "InstrumentSimProcess.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <csignal>

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
    if (!runner.waitForFinished(20000))
        runner.kill();
    return {runner.exitStatus() == QProcess::NormalExit ? runner.exitCode() : -1,
            QString::fromUtf8(runner.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            runner.readAllStandardError()};
}

void start(QProcess& runner, const QStringList& args)
{
    runner.start(QStringLiteral(RELAYTAB_RUN_PATH), args);
}

// Modes of the rows printed, whatever the format.
QString modes(const QStringList& lines, const QString& format)
{
    QStringList found;
    for (const QString& line : lines) {
        if (format == "jsonl")
            found << QJsonDocument::fromJson(line.toUtf8()).object().value("mode").toString();
        else if (format == "csv")
            found << line.section(u',', 2, 2);
        else
            found << line.section(u'\t', 1, 1);
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
        // server: "sim", "silent" (accepts, never answers), "refusing", "closing" (after the first line)
        columns<QString, QString, int, QString>("server", "args", "exit", "modes");
        row("every reply came, the last one printed", "sim", "GM;SP 1", 0, "Set Get Set Get");
        row("a wait between commands", "sim", "GM;<WAIT_TIME=0.5>;GM", 0, "Set Get Wait Set Get");
        row("three passes", "sim", "--repeat;3;GM", 0, "Set Get Set Get Set Get");
        row("English wait row", "sim", "--language;en;<WAIT_TIME=0>", 0, "Wait");
        row("no reply within the timeout", "silent", "--reply-timeout;1;GM;GM", 1, "Set Timeout");
        row("refused", "refusing", "GM", 3, "");
        row("lost during the run", "closing", "GM;GM", 4, "Set");
        row("unknown option", "sim", "--bogus;GM", 2, "");
        row("port out of range", "sim", "--port;70000;GM", 2, "");
        row("two sources", "sim", "--script;/nonexistent;GM", 2, "");
        row("no source", "sim", "--repeat;2", 2, "");
        row("missing script", "sim", "--script;/nonexistent", 2, "");
        row("memory out of range", "sim", "--set;/dev/null;--memory;9", 2, "");
        row("empty memory", "sim", "--set;/dev/null;--memory;1", 2, "");
        row("profile name with a slash", "sim", "--profile;a/b;GM", 2, "");
        row("unknown format", "sim", "--format;xml;GM", 2, "");
    }
    void exitStatus()
    {
        QFETCH(QString, server);
        QFETCH(QString, args);
        QFETCH(int, exit);
        Sim sim;
        LoopbackServer loopback;
        QString port = loopback.portText();
        if (server == "sim") {
            QVERIFY(sim.start({}));
            port = QString::number(sim.port);
        } else if (server == "refusing") {
            loopback.stopListening();
        }
        QProcess runner;
        start(runner, QStringList{"--port", port} + args.split(u';'));
        if (server == "closing") {
            QTcpSocket* client = loopback.nextClient();
            QVERIFY(client);
            LoopbackServer::read(client, 2);
            client->close();
        }
        const Result result = finish(runner);
        QCOMPARE(result.exit, exit);
        QFETCH(QString, modes);
        QCOMPARE(::modes(result.lines, "text"), modes);
        // A usage error is said in one line.
        if (exit == 2)
            QCOMPARE(result.error.count('\n'), 1);
        if (args.contains("WAIT_TIME=0.5")) {
            const auto time = [&](int n) {
                return QDateTime::fromString(result.lines[n].section(u'\t', 0, 0), Qt::ISODateWithMs);
            };
            QVERIFY(time(2).msecsTo(time(3)) >= 500);
        }
        if (args.contains("--language"))
            QVERIFY(result.lines.value(0).endsWith("\tWait\t0 second(s)"));
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
        start(runner, {"--profile", "bench-2", "--format", format, "GM"});
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
        start(runner, {"--port", QString::number(sim.port), "GM", "<WAIT_TIME=30>", "GM"});
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
