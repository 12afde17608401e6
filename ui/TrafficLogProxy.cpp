#include "TrafficLogProxy.h"

#include "TrafficLog.h"
#include "modGlobal.h"

#include <QGuiApplication>
#include <QPalette>

QVariant TrafficLogProxy::data(const QModelIndex& index, int role) const
{
    if ((role == Qt::ForegroundRole || role == Qt::ToolTipRole) &&
        QIdentityProxyModel::data(index, TrafficLog::NotTransmittedRole).toBool()) {
        if (role == Qt::ToolTipRole)
            return NotTransmittedText();
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    return QIdentityProxyModel::data(index, role);
}

bool TrafficLogProxy::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    return sourceModel() && sourceModel()->setHeaderData(section, orientation, value, role);
}

QString TrafficLogProxy::NotTransmittedText()
{
    // The text table has no entry for this notice; both languages are kept here.
    return modGlobal::LanguageOffset != 0 ? QStringLiteral("Not transmitted: there was no connection.")
                                          : QStringLiteral("Nicht gesendet: Es bestand keine Verbindung.");
}
