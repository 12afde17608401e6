// The client socket in the manner of the Windows socket control: it keeps its own state so that a
// peer that closes shows Closing until the program closes the socket, and a failed connect shows
// Error; text goes both ways as Windows-1252, one byte per character.
#pragma once

#include "ConnectionState.h"

#include <QAbstractSocket>
#include <QObject>

class QTcpSocket;

class Winsock : public QObject
{
    Q_OBJECT
public:
    // The most one arrival delivers; the rest follows in further arrivals.
    static constexpr qint64 ReadChunkBytes = 64 * 1024;

    explicit Winsock(QObject* parent = nullptr);

    ConnectionState State() const { return m_state; }

    // Drops the connection or the attempt at once and returns to Closed, whatever the state.
    void Close();
    // Closes in order: what is still queued goes out first, then the peer is told. Returns to Closed
    // within timeoutMs even when the peer does not answer.
    void Disconnect(int timeoutMs);
    // Starts a connection attempt. Refused (false) unless the socket is Closed, the host text is not
    // empty and the port text is a whole number 1..65535; the outcome shows in the state later.
    bool Connect(const QString& host, const QString& port);
    // Sends the text as one write; false when the socket is not connected.
    bool SendData(const QString& text);
    // Everything that has arrived and not been read yet, at most ReadChunkBytes.
    QString GetData();
    // Why the last connection attempt or connection failed, in the system's words.
    QString ErrorText() const;

signals:
    void DataArrival();
    void StateChanged(ConnectionState state);

private:
    void setState(ConnectionState state);
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);

    QTcpSocket* m_socket;
    ConnectionState m_state = ConnectionState::Closed;
    bool m_closing = false;
};

// One tick of the connection supervision: while a connection is wanted and the socket is in no
// usable state, close it and start a fresh attempt (true); when none is wanted, close it. A refused
// attempt is not reported: the next tick tries again.
bool ConnectIfWanted(Winsock& socket, bool connectWanted, const QString& host, const QString& port);
