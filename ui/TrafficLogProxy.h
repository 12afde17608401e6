// What lsvMsg shows of the traffic log: the rows up to the last one announced, so that the view
// takes in new rows at a pace the screen can show; and a "Set" row whose line never left the
// computer greyed, with a tooltip saying so, while its texts stay as logged.
#pragma once

#include <QAbstractTableModel>

class TrafficLog;

class TrafficLogProxy : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TrafficLogProxy(TrafficLog* log, QObject* parent = nullptr);

    // Makes the rows appended since the last call known to the views.
    void ShowNewRows();

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

    TrafficLog* m_log;
    int m_shown = 0;
};
