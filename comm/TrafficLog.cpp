#include "TrafficLog.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace {

std::function<QDateTime()>& clockOverride()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// Large enough that the texts of a flood (64 KB a read, twice that as marked text) share a block
// many times over, so the page left part-filled at a block's end is small per row; pages of a
// block that no text has reached yet cost no memory.
constexpr qsizetype blockSize = 4 * 1024 * 1024;

} // namespace

QDateTime CurrentUtcDateTime()
{
    if (const auto& clock = clockOverride())
        return clock();
    return QDateTime::currentDateTimeUtc();
}

void SetUtcClock(std::function<QDateTime()> clock)
{
    clockOverride() = std::move(clock);
}

QString LogTimestamp(QTime time)
{
    return QString::asprintf("%02d:%02d:%02d:%03d", time.hour(), time.minute(), time.second(), time.msec());
}

TrafficLog::TrafficLog(QObject* parent) : QAbstractTableModel(parent) {}

TrafficLog::~TrafficLog() = default;

int TrafficLog::Append(const LogRow& row)
{
    const int number = int(m_rows.size());
    const QDateTime utc = row.time.toUTC();
    const qint64 day = utc.isValid() ? utc.date().toJulianDay() : 0;
    if (m_days.empty() || m_days.back().julianDay != day)
        m_days.push_back({number, day});
    const QByteArray utf8 = row.text.toUtf8();

    beginInsertRows({}, number, number);
    Record& added = m_rows.emplace_back();
    added.text = storeText(utf8);
    added.length = quint32(utf8.size());
    added.msecs = quint32(utc.isValid() ? utc.time().msecsSinceStartOfDay() : 0);
    added.mode = quint32(row.mode);
    added.notTransmitted = row.transmitted ? 0 : 1;
    endInsertRows();
    return number;
}

void TrafficLog::Clear()
{
    beginResetModel();
    m_rows = {};
    m_days = {};
    // One block of the usual size stays for the rows to come: the runner empties its log every
    // thousand rows, and giving back and taking anew 4 MB each time costs more than the rows.
    const auto kept = std::find_if(m_blocks.begin(), m_blocks.end(),
                                   [](const Block& block) { return block.capacity == blockSize; });
    std::vector<Block> blocks;
    if (kept != m_blocks.end())
        blocks.push_back(std::move(*kept));
    m_blocks = std::move(blocks);
    m_blockNext = m_blocks.empty() ? nullptr : m_blocks.front().bytes.get();
    m_blockFree = m_blocks.empty() ? 0 : blockSize;
    endResetModel();
}

const char* TrafficLog::storeText(const QByteArray& utf8)
{
    const qsizetype size = utf8.size();
    if (size == 0)
        return nullptr;
    if (size > m_blockFree) {
        // A text larger than a block gets a block of its own; the rest of the current one is left.
        const qsizetype capacity = std::max(size, blockSize);
        m_blocks.push_back({std::make_unique_for_overwrite<char[]>(size_t(capacity)), capacity});
        m_blockNext = m_blocks.back().bytes.get();
        m_blockFree = capacity;
    }
    char* stored = m_blockNext;
    std::memcpy(stored, utf8.constData(), size_t(size));
    m_blockNext += size;
    m_blockFree -= size;
    return stored;
}

QDate TrafficLog::rowDate(int row) const
{
    const auto after = std::upper_bound(m_days.cbegin(), m_days.cend(), row,
                                        [](int r, const Day& day) { return r < day.firstRow; });
    return after == m_days.cbegin() ? QDate() : QDate::fromJulianDay(std::prev(after)->julianDay);
}

LogRow TrafficLog::Row(int row) const
{
    return {RowTime(row), RowMode(row), RowText(row), RowTransmitted(row)};
}

QDateTime TrafficLog::RowTime(int row) const
{
    const Record& r = m_rows.at(size_t(row));
    return QDateTime(rowDate(row), QTime::fromMSecsSinceStartOfDay(int(r.msecs)), Qt::UTC);
}

LogMode TrafficLog::RowMode(int row) const
{
    return LogMode(m_rows.at(size_t(row)).mode);
}

QString TrafficLog::shownParameter(const Record& r)
{
    // No screen shows more of a line than this; laying out megabytes of text for every repaint
    // would stall the window when a server sends a huge reply.
    const qsizetype bytes = std::min<qsizetype>(qsizetype(r.length), qsizetype(ShownParameterLength) * 4);
    QString text = QString::fromUtf8(r.text, bytes);
    if (bytes < qsizetype(r.length) || text.size() > ShownParameterLength) {
        text.truncate(ShownParameterLength);
        text += QChar(0x2026);
    }
    return text;
}

QString TrafficLog::RowText(int row) const
{
    const Record& r = m_rows.at(size_t(row));
    return QString::fromUtf8(r.text, qsizetype(r.length));
}

bool TrafficLog::RowTransmitted(int row) const
{
    return m_rows.at(size_t(row)).notTransmitted == 0;
}

int TrafficLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Record& r = m_rows[size_t(index.row())];
    if (role == NotTransmittedRole)
        return r.notTransmitted != 0;
    if (role == ModeRole)
        return int(r.mode);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return LogTimestamp(QTime::fromMSecsSinceStartOfDay(int(r.msecs)));
    case ModeColumn:
        return ModeColumnWord(LogMode(r.mode));
    case ParameterColumn:
        return shownParameter(r);
    default:
        return {};
    }
}

QVariant TrafficLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return m_headers[size_t(section)];
    return {};
}

bool TrafficLog::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_headers[size_t(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}
