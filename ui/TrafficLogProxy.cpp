#include "TrafficLogProxy.h"

#include "TrafficLog.h"
#include "modTools.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

TrafficLogProxy::TrafficLogProxy(TrafficLog* log, QObject* parent) : QAbstractTableModel(parent), m_log(log)
{
    connect(m_log, &QAbstractItemModel::dataChanged, this, &TrafficLogProxy::logDataChanged);
    connect(m_log, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(m_log, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(m_log, &QAbstractItemModel::modelReset, this, [this] {
        m_shown = 0;
        m_rows.clear();
        endResetModel();
    });
}

void TrafficLogProxy::ShowNewRows()
{
    const int count = m_log->rowCount();
    if (count <= m_shown)
        return;
    if (!m_filtered) {
        beginInsertRows({}, m_shown, count - 1);
        m_shown = count;
        endInsertRows();
        return;
    }
    std::vector<int> found;
    for (int row = m_shown; row < count; ++row)
        if (matches(row))
            found.push_back(row);
    m_shown = count;
    if (found.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(found.size()) - 1);
    m_rows.insert(m_rows.end(), found.begin(), found.end());
    endInsertRows();
}

void TrafficLogProxy::SetFilter(const QString& text, LogMode mode)
{
    beginResetModel();
    m_filterText = text;
    m_filterMode = mode;
    m_filtered = !text.isEmpty() || mode != LogMode::None;
    m_rows.clear();
    if (m_filtered)
        for (int row = 0; row < m_shown; ++row)
            if (matches(row))
                m_rows.push_back(row);
    endResetModel();
}

int TrafficLogProxy::ShownRow(int logRow) const
{
    if (logRow < 0 || logRow >= m_shown)
        return -1;
    if (!m_filtered)
        return logRow;
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), logRow);
    return found != m_rows.end() && *found == logRow ? int(found - m_rows.begin()) : -1;
}

bool TrafficLogProxy::matches(int logRow) const
{
    if (m_filterMode != LogMode::None && m_log->RowMode(logRow) != m_filterMode)
        return false;
    return m_filterText.isEmpty() || m_log->RowText(logRow).contains(m_filterText, Qt::CaseInsensitive);
}

void TrafficLogProxy::logDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    // Rows not shown yet are read when they are announced.
    if (topLeft.row() >= m_shown)
        return;
    if (m_filtered) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return;
    }
    emit dataChanged(index(topLeft.row(), topLeft.column()),
                     index(std::min(bottomRight.row(), m_shown - 1), bottomRight.column()));
}

int TrafficLogProxy::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_filtered ? int(m_rows.size()) : m_shown;
}

int TrafficLogProxy::columnCount(const QModelIndex& parent) const
{
    return m_log->columnCount(parent);
}

QVariant TrafficLogProxy::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QModelIndex logged = m_log->index(SourceRow(index.row()), index.column());
    if ((role == Qt::ForegroundRole || role == Qt::ToolTipRole) &&
        logged.data(TrafficLog::NotTransmittedRole).toBool()) {
        if (role == Qt::ToolTipRole)
            return NotTransmittedText();
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    return logged.data(role);
}

QVariant TrafficLogProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_log->headerData(section, orientation, role);
}

bool TrafficLogProxy::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    return m_log->setHeaderData(section, orientation, value, role);
}

QString TrafficLogProxy::NotTransmittedText()
{
    return modTools::GetText(7001);
}
