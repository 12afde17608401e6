// What lsvMsg shows of the traffic log: the rows up to the last one announced, so that the view
// takes in new rows at a pace the screen can show; and a "Set" row whose line never left the
// computer greyed, with a tooltip saying so, while its texts stay as logged.
#pragma once

#include "LogRow.h"

#include <QAbstractTableModel>

#include <vector>

class TrafficLog;

class TrafficLogProxy : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TrafficLogProxy(TrafficLog* log, QObject* parent = nullptr);

    // Makes the rows appended since the last call known to the views.
    void ShowNewRows();
    // Shows only the rows whose text holds text (case blind) and, unless mode is None, of that mode.
    void SetFilter(const QString& text, LogMode mode);
    bool Filtered() const { return m_filtered; }
    // The log's row number of a row shown.
    int SourceRow(int shownRow) const { return m_filtered ? m_rows[size_t(shownRow)] : shownRow; }
    // Where the log's row is shown, or -1 when it is not.
    int ShownRow(int logRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // The tooltip of a row that was not transmitted, in the current language.
    static QString NotTransmittedText();

private:
    void logDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);

    bool matches(int logRow) const;

    TrafficLog* m_log;
    int m_shown = 0; // rows of the log looked at so far
    bool m_filtered = false;
    QString m_filterText;
    LogMode m_filterMode = LogMode::None;
    std::vector<int> m_rows; // while filtered: the log's rows shown
};
