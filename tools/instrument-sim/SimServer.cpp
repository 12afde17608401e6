#include "SimServer.h"

#include "SimClient.h"

#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

namespace sim {

namespace {

// With port 0 the first address picks the port and the others must get the same one; another
// program may hold it there, so a few ports are tried.
constexpr int PortAttempts = 10;

QList<QHostAddress> loopbackAddresses()
{
    QList<QHostAddress> addresses{QHostAddress(QHostAddress::LocalHost),
                                  QHostAddress(QHostAddress::LocalHostIPv6)};
    // So that a client given this computer's name reaches us (Debian maps it to 127.0.1.1).
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    for (const QHostAddress& address : info.addresses()) {
        if (address.isLoopback() && !addresses.contains(address))
            addresses.append(address);
    }
    return addresses;
}

QString addressText(const QHostAddress& address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}

} // namespace

SimServer::SimServer(const SimOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_instrument(options.deviceType)
{}

bool SimServer::listen(QString& error)
{
    const bool useDefaults = m_options.addresses.isEmpty();
    const QList<QHostAddress> addresses = useDefaults ? loopbackAddresses() : m_options.addresses;
    for (int attempt = 0; attempt < PortAttempts; ++attempt) {
        bool retry = false;
        if (tryListen(addresses, useDefaults, error, retry))
            return true;
        if (!retry)
            return false;
    }
    return false;
}

bool SimServer::tryListen(const QList<QHostAddress>& addresses, bool optionalExtras, QString& error,
                          bool& retry)
{
    quint16 port = m_options.port;
    for (const QHostAddress& address : addresses) {
        auto* server = new QTcpServer(this);
        if (server->listen(address, port)) {
            port = server->serverPort();
            m_servers.append(server);
            connect(server, &QTcpServer::newConnection, this, [this, server] { accept(server); });
            continue;
        }
        const QAbstractSocket::SocketError code = server->serverError();
        const QString reason = server->errorString();
        delete server;
        const bool inUse = code == QAbstractSocket::AddressInUseError;
        // Of the default addresses only 127.0.0.1 must work: a machine may lack IPv6.
        if (optionalExtras && !inUse && address != QHostAddress(QHostAddress::LocalHost)) {
            std::fprintf(stderr, "instrument-sim: not listening on %s: %s\n", qPrintable(address.toString()),
                         qPrintable(reason));
            continue;
        }
        retry = inUse && m_options.port == 0 && !m_servers.isEmpty();
        error = inUse ? QStringLiteral("port %1 is already in use on %2").arg(port).arg(address.toString())
                      : QStringLiteral("cannot listen on %1: %2").arg(addressText(address, port), reason);
        closeAll();
        return false;
    }
    return true;
}

void SimServer::closeAll()
{
    qDeleteAll(m_servers);
    m_servers.clear();
}

QString SimServer::listeningText() const
{
    QStringList parts;
    for (const QTcpServer* server : m_servers)
        parts.append(addressText(server->serverAddress(), server->serverPort()));
    return parts.join(QStringLiteral(", "));
}

void SimServer::accept(QTcpServer* server)
{
    while (QTcpSocket* socket = server->nextPendingConnection())
        new SimClient(socket, m_instrument, m_options, ++m_clientCount, this);
}

} // namespace sim
