#include "Winsock.h"

#include "modTools.h"

#include <QTcpSocket>

Winsock::Winsock(QObject* parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    // Without a bound the socket takes in everything the kernel holds at once, megabytes under a
    // flood, and one arrival would keep the window busy for as long as it takes to log them.
    m_socket->setReadBufferSize(ReadChunkBytes);
    connect(m_socket, &QTcpSocket::stateChanged, this, &Winsock::socketStateChanged);
    connect(m_socket, &QTcpSocket::hostFound, this, [this] {
        if (!m_closing)
            setState(ConnectionState::HostResolved);
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Winsock::socketError);
    connect(m_socket, &QTcpSocket::readyRead, this, &Winsock::DataArrival);
}

void Winsock::Close()
{
    // abort() reports the drop synchronously; none of that may read as the peer's doing.
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    setState(ConnectionState::Closed);
}

void Winsock::Disconnect(int timeoutMs)
{
    m_closing = true;
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState && !m_socket->waitForDisconnected(timeoutMs))
        m_socket->abort();
    m_closing = false;
    setState(ConnectionState::Closed);
}

QString Winsock::ErrorText() const
{
    return m_socket->errorString();
}

bool Winsock::Connect(const QString& host, const QString& port)
{
    if (m_state != ConnectionState::Closed || host.isEmpty())
        return false;
    const auto number = modTools::WholeValue(port);
    if (!number || *number < 1 || *number > 65535)
        return false;
    m_socket->connectToHost(host, quint16(*number));
    return true;
}

bool Winsock::SendData(const QString& text)
{
    if (m_state != ConnectionState::Connected)
        return false;
    if (m_socket->write(modTools::ToAnsi(text)) < 0)
        return false;
    // On the wire now, as the Windows control sends, not when the event loop next runs.
    m_socket->flush();
    return true;
}

QString Winsock::GetData()
{
    return modTools::FromAnsi(m_socket->readAll());
}

void Winsock::setState(ConnectionState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit StateChanged(state);
}

void Winsock::socketStateChanged(QAbstractSocket::SocketState state)
{
    if (m_closing)
        return;
    switch (state) {
    case QAbstractSocket::HostLookupState:
        setState(ConnectionState::ResolvingHost);
        break;
    case QAbstractSocket::ConnectingState:
        setState(ConnectionState::Connecting);
        break;
    case QAbstractSocket::ConnectedState:
        setState(ConnectionState::Connected);
        break;
    case QAbstractSocket::UnconnectedState:
        // Without an error first, the peer has gone away.
        if (m_state == ConnectionState::Connected)
            setState(ConnectionState::Closing);
        break;
    default:
        break;
    }
}

void Winsock::socketError(QAbstractSocket::SocketError error)
{
    if (m_closing)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError && m_state == ConnectionState::Connected)
        setState(ConnectionState::Closing);
    else if (m_state != ConnectionState::Closing)
        setState(ConnectionState::Error);
}

bool ConnectIfWanted(Winsock& socket, bool connectWanted, const QString& host, const QString& port)
{
    if (connectWanted && !IsUsable(socket.State())) {
        socket.Close();
        return socket.Connect(host, port);
    }
    if (!connectWanted)
        socket.Close();
    return false;
}
