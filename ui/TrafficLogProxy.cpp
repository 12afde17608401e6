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
        endResetModel();
    });
}

void TrafficLogProxy::ShowNewRows()
{
    const int count = m_log->rowCount();
    if (count <= m_shown)
        return;
    beginInsertRows({}, m_shown, count - 1);
    m_shown = count;
    endInsertRows();
}

void TrafficLogProxy::logDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    // Rows not shown yet are read when they are announced.
    if (topLeft.row() >= m_shown)
        return;
    emit dataChanged(index(topLeft.row(), topLeft.column()),
                     index(std::min(bottomRight.row(), m_shown - 1), bottomRight.column()));
}

int TrafficLogProxy::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int TrafficLogProxy::columnCount(const QModelIndex& parent) const
{
    return m_log->columnCount(parent);
}

QVariant TrafficLogProxy::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    const QModelIndex logged = m_log->index(index.row(), index.column());
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
