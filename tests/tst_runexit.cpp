// The real program, told to end while a script run waits for a reply that never comes, ends the run,
// saves and exits. It runs on a private X display, where xdotool presses F1 on the quick-dial tab;
// instrument-sim --silent plays the instrument that never answers.
#include "InstrumentSimProcess.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

class tst_RunExit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void signalDuringRun_data();
    void signalDuringRun();

private:
    QString xdotool(const QStringList& arguments);

    QProcess m_display;
    QString m_displayName;
};

void tst_RunExit::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs Xvfb and xdotool (tools/install-deps installs them)");
    int free = 0;
    for (int n = 150; n < 200 && free == 0; ++n) {
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            free = n;
    }
    QVERIFY(free != 0);
    m_displayName = QStringLiteral(":%1").arg(free);
    m_display.start(xvfb, {m_displayName, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY(m_display.waitForStarted());
    QTRY_VERIFY(QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free)));
}

void tst_RunExit::cleanupTestCase()
{
    if (m_display.state() == QProcess::NotRunning)
        return;
    m_display.terminate();
    m_display.waitForFinished(5000);
}

QString tst_RunExit::xdotool(const QStringList& arguments)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_displayName);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(5000);
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

void tst_RunExit::signalDuringRun_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_RunExit::signalDuringRun()
{
    QFETCH(int, signal);
    Sim sim;
    QVERIFY(sim.start({"--silent", "--verbose"}));
    const QString port = QString::number(sim.port);

    TempDataFolder data;
    data.writeSetup(
        {{"Connect", "1"}, {"Port", port}, {"Name", "127.0.0.1"}, {"SelTab", "3"}, {"AppendCrLf", "1"}});
    // Memory 1: two commands, so that the run waits for the reply to the first.
    const QString set = data.path() + QLatin1String("DefaultCommandSet.cfg");
    for (const auto& [key, value] : {std::pair{"Repeat1", "0"},
                                     {"Command1", "GM#SP 1"},
                                     {"Descript1", "#"},
                                     {"Label1", "Probe"},
                                     {"Note1", "never answered"}})
        modTools::WriteIniString(QStringLiteral("SETTINGS"), QLatin1String(key), QLatin1String(value), set);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_displayName);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(RELAYTAB_PATH), {});
    QVERIFY(program.waitForStarted());

    // F1 runs memory 1 once the connection is up; until then it does nothing, so it is pressed again.
    QString simLog;
    QElapsedTimer waited;
    waited.start();
    while (!simLog.contains(QLatin1String("< GM")) && waited.elapsed() < 30000) {
        const QString window =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(program.processId())})
                .section(u'\n', 0, 0);
        if (!window.isEmpty())
            xdotool({"windowfocus", "--sync", window, "key", "F1"});
        QTest::qWait(300);
        simLog += QString::fromLocal8Bit(sim.process.readAllStandardOutput());
    }
    QVERIFY2(simLog.contains(QLatin1String("< GM")), qPrintable(simLog));
    QTest::qWait(300);

    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    simLog += QString::fromLocal8Bit(sim.process.readAllStandardOutput());
    QCOMPARE(simLog.count(QLatin1String(" < ")), 1);
    // Written by the shutdown only.
    QCOMPARE(data.readSetup("Device"), QStringLiteral("0"));
}

QTEST_MAIN(tst_RunExit)
#include "tst_runexit.moc"
