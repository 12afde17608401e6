// The real program, told to end while a script run waits for a reply that never comes, ends the
// run, saves and exits: the whole program, which the tests inside one process cannot see end. It
// runs on a private X display, where xdotool presses F1 on the quick-dial tab; instrument-sim
// --silent plays the instrument that never answers.
#include "InstrumentSimProcess.h"
#include "TestSupport.h"

#include <QStandardPaths>
#include <QtTest>

#include <csignal>

class tst_RunExit : public QObject
{
    Q_OBJECT
private slots:
    void signalDuringRun();
};

void tst_RunExit::signalDuringRun()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs Xvfb and xdotool (tools/install-deps installs them)");
    TempDataFolder data; // before the environment is taken, which it changes
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess display;
    display.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY(display.waitForReadyRead(10000));
    env.insert(QStringLiteral("DISPLAY"),
               u':' + QString::fromLatin1(display.readAllStandardOutput().trimmed()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const auto xdotool = [&](const QStringList& arguments) {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(5000);
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
    };

    Sim sim;
    QVERIFY(sim.start({"--silent", "--verbose"}));
    data.writeSetup(
        {{"Connect", "1"}, {"Port", QString::number(sim.port)}, {"Name", "127.0.0.1"}, {"SelTab", "3"}});
    // Memory 1: two commands, so that the run waits for the reply to the first.
    const QString set = data.path() + QLatin1String("DefaultCommandSet.cfg");
    for (const auto& [key, value] : {std::pair{"Repeat1", "0"}, {"Command1", "GM#SP 1"}, {"Label1", "Probe"}})
        modTools::WriteIniString(QStringLiteral("SETTINGS"), QLatin1String(key), QLatin1String(value), set);

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(RELAYTAB_PATH), {});
    QVERIFY(program.waitForStarted());
    // F1 runs memory 1 once the connection is up; until then it does nothing, so it is pressed again.
    QString simLog;
    for (int tries = 0; tries < 100 && !simLog.contains(QLatin1String("< GM")); ++tries) {
        const QString window =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(program.processId())});
        if (!window.isEmpty())
            xdotool({"windowfocus", "--sync", window, "key", "F1"});
        QTest::qWait(300);
        simLog += QString::fromLocal8Bit(sim.process.readAllStandardOutput());
    }
    QVERIFY2(simLog.contains(QLatin1String("< GM")), qPrintable(simLog));
    QTest::qWait(300);

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    simLog += QString::fromLocal8Bit(sim.process.readAllStandardOutput());
    QCOMPARE(simLog.count(QLatin1String(" < ")), 1);
    // Written by the shutdown only.
    QCOMPARE(data.readSetup("Device"), QStringLiteral("0"));
    display.terminate();
    display.waitForFinished(5000);
}

QTEST_MAIN(tst_RunExit)
#include "tst_runexit.moc"
