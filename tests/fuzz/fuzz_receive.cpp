// Random byte chunks along the receive path: the code page, the line-break markers and the rows of
// the traffic log, read back through the model as the view reads them.
#include "CommandLine.h"
#include "FuzzCheck.h"
#include "TrafficLog.h"
#include "modTools.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One log for all inputs, emptied after each: a log that grows makes libFuzzer look for a leak
    // after every input, and a new one costs a block of 4 MB an input.
    static TrafficLog& log = *new TrafficLog;
    // The first byte cuts the input into chunks, as the socket may deliver it. After 64 chunks the
    // rest comes as one: a row for every byte of a long input cost more than all the rest of a run
    // and reached no code that the first rows had not.
    size_t step = size > 0 ? 1 + data[0] % 64 : 1;
    for (size_t at = 1, chunks = 1; at < size; at += step, ++chunks) {
        if (chunks == 64)
            step = size;
        const QByteArrayView chunk(data + at, qsizetype(std::min(step, size - at)));
        const QString text = modTools::FromAnsi(chunk);
        check(text.size() == chunk.size());
        const QString shown = CommandLine::MarkLineBreaks(text);
        check(!shown.contains(u'\r') && !shown.contains(u'\n'));
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(qint64(at) * 997, Qt::UTC);
        const int row = log.Append({time, LogMode::Get, shown});
        check(log.RowText(row) == shown && log.RowMode(row) == LogMode::Get && log.RowTime(row) == time);
    }
    // As the view shows them; once an input, as the cells of every row go through the same code.
    for (int row = 0; row < log.rowCount(); row += std::max(1, log.rowCount() - 1))
        for (int column = 0; column < TrafficLog::ColumnCount; ++column)
            log.data(log.index(row, column));
    log.Clear();
    return 0;
}
