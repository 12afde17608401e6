// The listening side: one TCP server per address, all on the same port, handing every accepted
// connection to its own SimClient over the one shared instrument.
#pragma once

#include "Instrument.h"
#include "SimOptions.h"

#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;

namespace sim {

class SimServer : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(const SimOptions& options, QObject* parent = nullptr);

    // False with a one-line reason when an address or the port cannot be listened on.
    bool listen(QString& error);
    // "127.0.0.1:5025, [::1]:5025"
    QString listeningText() const;

private:
    bool tryListen(const QList<QHostAddress>& addresses, bool optionalExtras, QString& error, bool& retry);
    void closeAll();
    void accept(QTcpServer* server);

    SimOptions m_options;
    Instrument m_instrument;
    QList<QTcpServer*> m_servers;
    quint64 m_clientCount = 0;
};

} // namespace sim
