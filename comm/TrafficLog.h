// The traffic log: one row per line sent, wait performed or chunk received, with its UTC date and
// time. It grows without limit during long runs, so a row is a small record and appending costs the
// same at any size.
#pragma once

#include "LogRow.h"

#include <QAbstractTableModel>
#include <QDateTime>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The date and time in UTC, with milliseconds; every timestamp of the log comes from here.
QDateTime CurrentUtcDateTime();
// Replaces the clock, for tests; an empty function restores the system clock.
void SetUtcClock(std::function<QDateTime()> clock);
// "hh:mm:ss:zzz", the time of day as the Time column shows it.
QString LogTimestamp(QTime time);

class TrafficLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        TimeColumn,
        ModeColumn,
        ParameterColumn,
        ColumnCount
    };
    // The parameter column shows at most this many characters of a row and "…" for the rest;
    // RowText gives the whole text.
    static constexpr int ShownParameterLength = 2000;
    // A "Set" row whose line could not be transmitted.
    static constexpr int NotTransmittedRole = Qt::UserRole + 1;
    // The row's mode as a LogMode number, for filters.
    static constexpr int ModeRole = Qt::UserRole + 2;

    explicit TrafficLog(QObject* parent = nullptr);
    ~TrafficLog() override;

    // Adds the row at the end, whole; returns its number.
    int Append(const LogRow& row);
    void Clear();

    LogRow Row(int row) const;
    QDateTime RowTime(int row) const;
    LogMode RowMode(int row) const;
    QString RowText(int row) const;
    bool RowTransmitted(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

private:
    // 16 bytes; the text lives in a shared arena as UTF-8, the date in the list of days.
    struct Record
    {
        const char* text = nullptr;
        quint32 length = 0;
        quint32 msecs : 27 = 0; // of the day, up to 86,399,999
        quint32 mode : 3 = 0;
        quint32 notTransmitted : 1 = 0;
    };
    // Rows from firstRow on carry this date, up to the next day's first row. A new day is noted
    // only when the date changes, so a day costs nothing per row.
    struct Day
    {
        int firstRow;
        qint64 julianDay;
    };

    const char* storeText(const QByteArray& utf8);
    QDate rowDate(int row) const;
    static QString shownParameter(const Record& r);

    std::deque<Record> m_rows;
    std::vector<Day> m_days;
    // Blocks never move once allocated, so rows can point into them.
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        qsizetype capacity;
    };
    std::vector<Block> m_blocks;
    qsizetype m_blockFree = 0;
    char* m_blockNext = nullptr;
    std::array<QString, ColumnCount> m_headers;
};
