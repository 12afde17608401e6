// How the traffic log looks in lsvMsg: a "Set" row whose line never left the computer is greyed
// and says so in its tooltip, while its texts stay as logged.
#pragma once

#include <QIdentityProxyModel>

class TrafficLogProxy : public QIdentityProxyModel
{
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The base class finds the column through row 0 and so loses header texts set while the log
    // is empty; the columns are the same on both sides.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // The tooltip of such a row in the current language.
    static QString NotTransmittedText();
};
