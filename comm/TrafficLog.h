// The traffic log: one row per line sent, wait performed or chunk received, with its UTC time.
// It grows without limit during long runs, so a row is a small record and appending costs the same
// at any size.
#pragma once

#include <QAbstractTableModel>
#include <QTime>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The time of day in UTC; every timestamp of the log comes from here.
QTime CurrentUtcTime();
// Replaces the clock, for tests; an empty function restores the system clock.
void SetUtcClock(std::function<QTime()> clock);
// "hh:mm:ss:zzz".
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
    enum class Mode : quint8
    {
        None,
        Set,
        Get,
        Wait
    };
    // The parameter column shows at most this many characters of a row and "…" for the rest;
    // RowParameter gives the whole text.
    static constexpr int ShownParameterLength = 2000;
    // A "Set" row whose line could not be transmitted.
    static constexpr int NotTransmittedRole = Qt::UserRole + 1;

    explicit TrafficLog(QObject* parent = nullptr);
    ~TrafficLog() override;

    // A row is written in steps: appended with its time, then given its mode and text.
    int AppendRow(QTime time);
    void SetLastRow(Mode mode, const QString& parameter);
    void MarkLastRowNotTransmitted();
    void Clear();

    Mode RowMode(int row) const;
    QString RowParameter(int row) const;
    bool RowTransmitted(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

private:
    // 16 bytes; the text lives in a shared arena as UTF-8.
    struct Row
    {
        const char* text = nullptr;
        quint32 length = 0;
        quint32 msecs : 27 = 0; // of the day, up to 86,399,999
        quint32 mode : 2 = 0;
        quint32 notTransmitted : 1 = 0;
    };

    const char* storeText(const QByteArray& utf8);
    static QString shownParameter(const Row& r);

    std::deque<Row> m_rows;
    // Blocks never move once allocated, so rows can point into them.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_blockFree = 0;
    char* m_blockNext = nullptr;
    std::array<QString, ColumnCount> m_headers;
};
