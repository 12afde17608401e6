#include "ScriptModel.h"

#include <utility>

ScriptModel::ScriptModel(QObject* parent) : QAbstractTableModel(parent) {}

void ScriptModel::insertEntry(int row, const ScriptEntry& entry)
{
    Q_ASSERT(row >= 0 && row <= count());
    beginInsertRows({}, row, row);
    m_entries.insert(row, entry);
    endInsertRows();
}

void ScriptModel::removeEntry(int row)
{
    Q_ASSERT(row >= 0 && row < count());
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}

void ScriptModel::setEntry(int row, const ScriptEntry& entry)
{
    m_entries[row] = entry;
    rowChanged(row);
}

void ScriptModel::exchangeEntries(int first, int second)
{
    if (first == second)
        return;
    std::swap(m_entries[first], m_entries[second]);
    rowChanged(first);
    rowChanged(second);
}

void ScriptModel::replaceAll(const QList<ScriptEntry>& entries)
{
    beginResetModel();
    m_entries = entries;
    endResetModel();
}

QStringList ScriptModel::commands() const
{
    QStringList texts;
    texts.reserve(m_entries.size());
    for (const ScriptEntry& entry : m_entries)
        texts.append(entry.command);
    return texts;
}

void ScriptModel::rowChanged(int row)
{
    emit dataChanged(index(row, CommandColumn), index(row, DescriptionColumn));
}

int ScriptModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int ScriptModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant ScriptModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const ScriptEntry& item = m_entries.at(index.row());
    return index.column() == CommandColumn ? item.command : item.description;
}

Qt::ItemFlags ScriptModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant ScriptModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers.at(size_t(section));
}

bool ScriptModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    m_headers[size_t(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}
