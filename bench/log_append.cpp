// Appends 1,000,000 rows to the traffic log, as the session logs them, without a window, and
// reports the time per row over the first and the last 10,000 rows and the memory per row.
//
// Rows are timed two ways. Paced, which decides whether the targets are met: one row per
// millisecond, each in its own pass of the event loop, as when a fast instrument answers a repeated
// script. Flood, for information: rows back to back with events handled after each. The rows in
// between are appended in bursts.
#include "TrafficLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int sampleRows = 10'000;

// Resident memory of this process in bytes, from /proc/self/status.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// One row as a send or a reply would write it, with texts of a typical length.
void appendRow(TrafficLog& log, int n)
{
    if (n % 2 == 0)
        log.Append({CurrentUtcDateTime(), LogMode::Set, QStringLiteral("GM<CR><LF>")});
    else
        log.Append({CurrentUtcDateTime(), LogMode::Get, QStringLiteral("GM:%1<CR><LF>").arg(n % 100000)});
}

struct PerRow
{
    double wallNs;
    double cpuNs;
};

qint64 processCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

constexpr int burstRows = 100;

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Appends count rows, handling events after every rowsPerPass rows.
void appendRows(TrafficLog& log, int& n, int count, int rowsPerPass)
{
    for (int i = 0; i < count; ++i, ++n) {
        appendRow(log, n);
        if ((i + 1) % rowsPerPass == 0)
            QCoreApplication::processEvents();
    }
}

template <typename Append> PerRow timeRows(Append append)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = processCpuNs();
    append();
    return {double(timer.nsecsElapsed()) / sampleRows, double(processCpuNs() - cpuBefore) / sampleRows};
}

// sampleRows rows back to back.
PerRow timeFlood(TrafficLog& log, int& n)
{
    return timeRows([&] {
        appendRows(log, n, sampleRows, 1);
        runEventLoopFor(20);
    });
}

// sampleRows rows, one per millisecond from a timer.
PerRow timePaced(TrafficLog& log, int& n)
{
    return timeRows([&] {
        QEventLoop loop;
        QTimer pace;
        pace.setTimerType(Qt::PreciseTimer);
        int left = sampleRows;
        QObject::connect(&pace, &QTimer::timeout, &loop, [&] {
            appendRow(log, n++);
            if (--left == 0)
                loop.quit();
        });
        pace.start(1);
        loop.exec();
    });
}

// Prints one way of timing and tells whether it meets the target.
bool report(const char* title, const PerRow& first, const PerRow& last)
{
    const double ratio = last.cpuNs / first.cpuNs;
    std::printf("%s\n", title);
    std::printf("  first %d rows: %7.1f us per row processor time, %7.1f us by the clock\n", sampleRows,
                first.cpuNs / 1000.0, first.wallNs / 1000.0);
    std::printf("  last %d rows:  %7.1f us per row processor time, %7.1f us by the clock\n", sampleRows,
                last.cpuNs / 1000.0, last.wallNs / 1000.0);
    std::printf("  last / first:     %7.2f processor time, %.2f by the clock\n", ratio,
                last.wallNs / first.wallNs);
    return ratio <= 1.5;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TrafficLog log;

    // A smaller count may be given for a quick look.
    const int totalRows = argc > 1 ? std::max(QByteArray(argv[1]).toInt(), 2 * sampleRows) : 1'000'000;
    int n = 0;
    const qint64 before = residentBytes();
    const PerRow firstPaced = timePaced(log, n);
    const PerRow firstFlood = timeFlood(log, n);
    appendRows(log, n, totalRows - 4 * sampleRows, burstRows);
    runEventLoopFor(50);
    const PerRow lastFlood = timeFlood(log, n);
    const PerRow lastPaced = timePaced(log, n);
    runEventLoopFor(50);
    const qint64 after = residentBytes();

    std::printf("rows appended: %d\n", log.rowCount());
    const bool met =
        report("paced, one row per millisecond (target: last / first at most 1.50):", firstPaced, lastPaced);
    report("flood, rows back to back (for information):", firstFlood, lastFlood);
    const double perRow = double(after - before) / totalRows;
    std::printf("memory per row: %.1f bytes (target at most 200)\n", perRow);
    return met && perRow <= 200.0 ? 0 : 1;
}
