// Appends 1,000,000 rows to the traffic log of the real main window, shown offscreen, with the view
// following every new row as the program does, and reports the time per row over the first and the
// last 10,000 rows and the memory per row.
//
// Rows are timed two ways: one row per pass of the event loop, as when replies come one by one and
// the window repaints after each; and 100 rows per pass, a burst in which the view follows the log
// once. The rows in between are appended in bursts.
#include "TrafficLog.h"
#include "frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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
void appendRow(frmMain& window, int n)
{
    TrafficLog* log = window.trafficLog();
    window.LogNewRow();
    if (n % 2 == 0)
        log->SetLastRow(TrafficLog::Mode::Set, QStringLiteral("GM<CR><LF>"));
    else
        log->SetLastRow(TrafficLog::Mode::Get, QStringLiteral("GM:%1<CR><LF>").arg(n % 100000));
    window.ShowLastLogRow();
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

// Appends count rows, handling events after every rowsPerPass rows.
void appendRows(frmMain& window, int& n, int count, int rowsPerPass)
{
    for (int i = 0; i < count; ++i, ++n) {
        appendRow(window, n);
        if ((i + 1) % rowsPerPass == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}

// Time per row over sampleRows rows, by the clock and in processor time of this process; the
// machine may be shared, and the processor time is the steadier of the two.
PerRow timeRows(frmMain& window, int& n, int rowsPerPass)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = processCpuNs();
    appendRows(window, n, sampleRows, rowsPerPass);
    return {double(timer.nsecsElapsed()) / sampleRows, double(processCpuNs() - cpuBefore) / sampleRows};
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
    std::printf("  last / first:     %7.2f processor time (target at most 1.50), %.2f by the clock\n", ratio,
                last.wallNs / first.wallNs);
    return ratio <= 1.5;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    // The first start would connect to this computer's name; the benchmark needs no connection.
    {
        QDir().mkpath(data.path() + QLatin1String("/Vordane/Relaytab"));
        QFile setup(data.path() + QLatin1String("/Vordane/Relaytab/Setup.ini"));
        if (setup.open(QIODevice::WriteOnly))
            setup.write("[SETTINGS]\r\nConnect=0\r\nSelTab=1\r\n");
    }

    frmMain window;
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();

    // A smaller count may be given for a quick look.
    const int totalRows = argc > 1 ? std::max(QByteArray(argv[1]).toInt(), 2 * sampleRows) : 1'000'000;
    int n = 0;
    const qint64 before = residentBytes();
    const PerRow firstSingle = timeRows(window, n, 1);
    const PerRow firstBurst = timeRows(window, n, burstRows);
    appendRows(window, n, totalRows - 4 * sampleRows, burstRows);
    const PerRow lastBurst = timeRows(window, n, burstRows);
    const PerRow lastSingle = timeRows(window, n, 1);
    const qint64 after = residentBytes();

    std::printf("rows appended: %d\n", window.trafficLog()->rowCount());
    bool met = report("one row per pass of the event loop:", firstSingle, lastSingle);
    met = report("100 rows per pass of the event loop:", firstBurst, lastBurst) && met;
    const double perRow = double(after - before) / totalRows;
    std::printf("memory per row: %.1f bytes (target at most 200)\n", perRow);
    window.close();
    return met && perRow <= 200.0 ? 0 : 1;
}
