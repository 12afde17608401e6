// Command scripts and quick-dial memories: the script model shared by the editor list, the memory
// lists and the viewer, and the rules of the editor's operations, apart from any widget.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

struct ScriptEntry
{
    QString command;
    QString description; // may be empty

    friend bool operator==(const ScriptEntry&, const ScriptEntry&) = default;
};

// An ordered command script shown as a two-column list: command, description. Rows count from 0
// here; the editor speaks of positions from 1 only in what it shows. There is no limit on the
// number of entries: whoever runs or stores a script decides what to do with a long one.
class ScriptModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        CommandColumn = 0,
        DescriptionColumn = 1
    };

    explicit ScriptModel(QObject* parent = nullptr);

    int count() const { return int(m_entries.size()); }
    const ScriptEntry& entry(int row) const { return m_entries.at(row); }
    QString command(int row) const { return m_entries.at(row).command; }
    QString description(int row) const { return m_entries.at(row).description; }
    const QList<ScriptEntry>& entries() const { return m_entries; }
    // The command texts in order, as a run sends them.
    QStringList commands() const;

    // row may be count() to append; the entries from row on move down by one.
    void insertEntry(int row, const ScriptEntry& entry);
    void appendEntry(const ScriptEntry& entry) { insertEntry(count(), entry); }
    void removeEntry(int row);
    void setEntry(int row, const ScriptEntry& entry);
    // The two entries change places; both rows stay where they are for the view.
    void exchangeEntries(int first, int second);
    void replaceAll(const QList<ScriptEntry>& entries);
    void clear() { replaceAll({}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The language switch sets the column headers through this.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

private:
    void rowChanged(int row);

    QList<ScriptEntry> m_entries;
    std::array<QString, 2> m_headers;
};
