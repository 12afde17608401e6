// relaytab-run against instrument-sim on 127.0.0.1, with no window anywhere.
//
// Fast server: a script of 10,000 commands, run several times; prints the median time per command,
// the 1 ms pause after each command and the start of the program included (target: at most
// 1.05 ms), and the runner's resident memory early in a run and at its end (target: flat, the end
// at most 10% above the start).
// Silent server: a command whose reply never comes, with a 10 s reply timeout; prints the
// processor time the runner uses while it waits (target: under 1% of one core).
// Burst: a reply of 10 MB in one write; prints the runner's resident memory before it and its peak
// (target: at most twice the memory before plus the burst).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int commandCount = 10'000;
constexpr int timedRuns = 3;
constexpr int silentS = 10;

quint16 startSim(QProcess& sim)
{
    sim.start(QStringLiteral(INSTRUMENT_SIM_PATH), {"--port", "0", "--listen", "127.0.0.1"});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000))
        return 0;
    static const QRegularExpression listening(QStringLiteral(":(\\d+) "));
    return quint16(listening.match(QString::fromLocal8Bit(sim.readLine())).captured(1).toUInt());
}

void startRunner(QProcess& runner, const QStringList& args)
{
    runner.setStandardOutputFile(QProcess::nullDevice());
    runner.start(QStringLiteral(RELAYTAB_RUN_PATH), args);
    runner.waitForStarted();
}

// Kilobytes of a running process from /proc: field VmRSS is its resident memory, VmHWM its peak.
qint64 memoryKb(qint64 pid, const char* field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression line(QLatin1String(field) + QStringLiteral(":\\s+(\\d+)"));
    return line.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// Processor time of a running process, in milliseconds.
double cpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return stat.readAll().split(' ').value(0).toDouble() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QProcess sim;
    const quint16 port = startSim(sim);
    if (port == 0) {
        std::puts("instrument-sim did not start");
        return 1;
    }
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    QFile script(dir.filePath("script.txt"));
    script.open(QIODevice::WriteOnly);
    for (int n = 0; n < commandCount; ++n)
        script.write(n % 2 ? "GM\n" : "SP 1\n");
    script.close();
    const QStringList args{"--port", QString::number(port), "--crlf", "--script", script.fileName()};

    std::vector<double> perCommand;
    qint64 earlyKb = 0;
    qint64 lateKb = 0;
    bool ok = true;
    for (int run = 0; run < timedRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        QProcess runner;
        startRunner(runner, args);
        // Memory a second in, and as late as the run lets us look.
        while (!runner.waitForFinished(200)) {
            const qint64 kb = memoryKb(runner.processId(), "VmRSS");
            if (earlyKb == 0 && clock.elapsed() > 1000)
                earlyKb = kb;
            if (kb > 0)
                lateKb = std::max(lateKb, kb);
        }
        ok = ok && runner.exitCode() == 0;
        perCommand.push_back(double(clock.nsecsElapsed()) / 1e6 / commandCount);
    }
    std::sort(perCommand.begin(), perCommand.end());
    const double median = perCommand[perCommand.size() / 2];
    std::printf("instant replies, %d runs of %d commands, 1 ms pause and program start included:\n"
                "  median %.3f ms per command (fastest %.3f, slowest %.3f; target at most 1.05)\n",
                timedRuns, commandCount, median, perCommand.front(), perCommand.back());
    const double growth = earlyKb > 0 ? double(lateKb) / double(earlyKb) : 0;
    std::printf("resident memory: %lld kB a second in, at most %lld kB later, %.2fx (target at most 1.10x)\n",
                qlonglong(earlyKb), qlonglong(lateKb), growth);

    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    QProcess waiting;
    startRunner(waiting, {"--port", QString::number(silent.serverPort()), "--reply-timeout",
                          QString::number(silentS), "GM"});
    QThread::msleep(500);
    const double before = cpuMs(waiting.processId());
    QThread::msleep((silentS - 1) * 1000);
    const double used = cpuMs(waiting.processId()) - before;
    waiting.waitForFinished(5000);
    const double share = used / ((silentS - 1) * 10.0);
    std::printf(
        "silent server, waiting for a reply: %.1f ms processor time over %d s (%.1f ms before), %.2f%% "
        "of one core (target under 1%%); exit status %d (1 expected)\n",
        used, silentS - 1, before, share, waiting.exitCode());
    sim.terminate();
    sim.waitForFinished(5000);

    constexpr qint64 burstBytes = 10 * 1024 * 1024;
    QTcpServer bursting;
    bursting.listen(QHostAddress::LocalHost, 0);
    QProcess flooded;
    startRunner(flooded,
                {"--port", QString::number(bursting.serverPort()), "--reply-timeout", "30", "GM", "GM"});
    qint64 idleKb = 0;
    qint64 burstPeakKb = 0;
    if (bursting.waitForNewConnection(10000)) {
        QTcpSocket* client = bursting.nextPendingConnection();
        client->waitForReadyRead(10000);
        client->readAll();
        QThread::msleep(200);
        idleKb = memoryKb(flooded.processId(), "VmRSS");
        client->write(QByteArray(burstBytes, 'x') + ':');
        while (client->bytesToWrite() > 0 && client->waitForBytesWritten(10000)) {
        }
        // The second command comes once the burst has been taken in whole; its reply never does.
        client->waitForReadyRead(30000);
        burstPeakKb = memoryKb(flooded.processId(), "VmHWM");
    }
    flooded.kill();
    flooded.waitForFinished(5000);
    const qint64 burstLimitKb = 2 * idleKb + burstBytes / 1024;
    std::printf("burst of 10 MB: %lld kB resident before, peak %lld kB (target at most %lld kB)\n",
                qlonglong(idleKb), qlonglong(burstPeakKb), qlonglong(burstLimitKb));

    const bool met = ok && median <= 1.05 && growth > 0 && growth <= 1.10 && before > 0 && share < 1.0 &&
                     waiting.exitCode() == 1 && idleKb > 0 && burstPeakKb > 0 && burstPeakKb <= burstLimitKb;
    std::puts(met ? "targets met" : "TARGETS MISSED");
    return met ? 0 : 1;
}
