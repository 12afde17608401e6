#include "LogExport.h"

#include "LogFormat.h"

#include <QSaveFile>

namespace LogExport {

QString Write(const QString& path, qsizetype count, const std::function<LogRow(qsizetype)>& rowAt,
              const std::function<bool(qsizetype)>& progress)
{
    constexpr qsizetype ProgressEvery = 4096;
    constexpr qsizetype ChunkBytes = 1 << 20;
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QByteArray chunk = csv ? LogFormat::CsvByteOrderMark() + LogFormat::CsvHeader() : QByteArray();
    chunk.reserve(ChunkBytes + 4096);
    for (qsizetype n = 0; n < count; ++n) {
        if (progress && n % ProgressEvery == 0 && !progress(n)) {
            file.cancelWriting();
            return {};
        }
        const LogRow row = rowAt(n);
        chunk += csv ? LogFormat::CsvRecord(row) : LogFormat::JournalLine(row);
        if (chunk.size() >= ChunkBytes) {
            if (file.write(chunk) != chunk.size())
                break;
            chunk.clear();
        }
    }
    if (file.error() == QFileDevice::NoError && file.write(chunk) == chunk.size() && file.commit())
        return {};
    const QString error = file.errorString();
    file.cancelWriting();
    return error.isEmpty() ? path : error;
}

} // namespace LogExport
