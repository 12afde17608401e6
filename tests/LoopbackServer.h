// A command server on 127.0.0.1 for the network tests: it accepts every client and keeps what they
// send, so that a test can read the bytes on the wire and answer with bytes of its own.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

class LoopbackServer
{
public:
    LoopbackServer() { QVERIFY(m_server.listen(QHostAddress::LocalHost, 0)); }

    QString portText() const { return QString::number(m_server.serverPort()); }
    // Stops listening, so that the next attempt to connect is refused.
    void stopListening() { m_server.close(); }

    // Waits for the next client; nullptr when none came within the time.
    QTcpSocket* nextClient(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return m_server.hasPendingConnections(); }, timeoutMs)
                   ? m_server.nextPendingConnection()
                   : nullptr;
    }

    // Reads from the client until at least size bytes have come or the time is up.
    static QByteArray read(QTcpSocket* client, qsizetype size, int timeoutMs = 5000)
    {
        QByteArray bytes = client->readAll();
        (void)QTest::qWaitFor([&] { return (bytes += client->readAll()).size() >= size; }, timeoutMs);
        return bytes;
    }

private:
    QTcpServer m_server;
};
