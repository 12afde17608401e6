// The traffic journal and the tools around the list, on a log of 1,000,000 rows: what the journal
// adds to appending a row, saving the list as CSV, and filtering it.
#include "Journal.h"

#include "LogExport.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

constexpr int totalRows = 1'000'000;

qint64 processCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

LogRow rowNumber(int n)
{
    return n % 2 == 0
               ? LogRow{CurrentUtcDateTime(), LogMode::Set, QStringLiteral("GM<CR><LF>")}
               : LogRow{CurrentUtcDateTime(), LogMode::Get, QStringLiteral("GM:%1<CR><LF>").arg(n % 100000)};
}

constexpr int pacedRows = 10'000;

void append(TrafficLog& log, Journal* journal, int n)
{
    const LogRow row = rowNumber(n);
    log.Append(row);
    if (journal)
        journal->Append(row);
}

// Processor time of the whole process, writer thread included, per row appended one per
// millisecond in its own pass of the event loop, as a fast instrument's replies come.
double pacedCpuNs(TrafficLog& log, Journal* journal)
{
    const qint64 before = processCpuNs();
    QEventLoop loop;
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    int n = 0;
    QObject::connect(&pace, &QTimer::timeout, &loop, [&] {
        append(log, journal, n);
        if (++n == pacedRows)
            loop.quit();
    });
    pace.start(1);
    loop.exec();
    // While logging; the sync at close is the one a session pays once, at its end.
    const qint64 spent = processCpuNs() - before;
    if (journal)
        journal->Close();
    return double(spent) / pacedRows;
}

// The same back to back, for information.
double floodCpuNs(TrafficLog& log, Journal* journal)
{
    const qint64 before = processCpuNs();
    for (int n = 0; n < totalRows; ++n)
        append(log, journal, n);
    if (journal)
        journal->Close();
    return double(processCpuNs() - before) / totalRows;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bool met = true;

    TrafficLog pacedPlain;
    const double without = pacedCpuNs(pacedPlain, nullptr);
    TrafficLog pacedJournalled;
    Journal pacedJournal(dir.filePath(QStringLiteral("Logs")));
    const double with = pacedCpuNs(pacedJournalled, &pacedJournal);
    std::printf("append %d rows, one per millisecond: %.2f us processor time per row without the journal, "
                "%.2f us with it, %.2fx (target at most 1.20x)\n",
                pacedRows, without / 1000, with / 1000, with / without);
    met = met && with / without <= 1.2 && !pacedJournal.Failed();

    TrafficLog plain;
    const double floodWithout = floodCpuNs(plain, nullptr);
    TrafficLog journalled;
    Journal journal(dir.filePath(QStringLiteral("Logs2")));
    const double floodWith = floodCpuNs(journalled, &journal);
    std::printf(
        "append %d rows back to back: %.2f us without the journal, %.2f us with it (for information)\n",
        totalRows, floodWithout / 1000, floodWith / 1000);

    QElapsedTimer timer;
    timer.start();
    const QString error = LogExport::Write(dir.filePath(QStringLiteral("list.csv")), plain.rowCount(),
                                           [&plain](qsizetype n) { return plain.Row(int(n)); });
    const qint64 exportMs = timer.elapsed();
    std::printf("save %d rows as CSV: %lld ms (target at most 2000 ms)%s\n", totalRows,
                static_cast<long long>(exportMs), error.isEmpty() ? "" : " FAILED");
    met = met && error.isEmpty() && exportMs <= 2000;

    TrafficLogProxy shown(&plain);
    shown.ShowNewRows();
    timer.restart();
    shown.SetFilter(QStringLiteral("gm:4"), LogMode::None);
    const qint64 filterMs = timer.elapsed();
    std::printf("filter %d rows by text: %lld ms, %d rows shown (target at most 300 ms)\n", totalRows,
                static_cast<long long>(filterMs), shown.rowCount());
    met = met && filterMs <= 300;

    std::printf(met ? "targets met\n" : "a target was missed\n");
    return met ? 0 : 1;
}
