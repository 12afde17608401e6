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

    quint16 port() const { return m_server.serverPort(); }
    QString portText() const { return QString::number(port()); }

    // Waits for the next client; nullptr when none came within the time.
    QTcpSocket* nextClient(int timeoutMs = 5000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_server.hasPendingConnections() && waited.elapsed() < timeoutMs)
            QTest::qWait(20);
        QTcpSocket* client = m_server.nextPendingConnection();
        if (client)
            m_clients.append(client);
        return client;
    }

    // Reads from the client until at least size bytes have come or the time is up.
    static QByteArray read(QTcpSocket* client, qsizetype size, int timeoutMs = 5000)
    {
        QByteArray bytes;
        QElapsedTimer waited;
        waited.start();
        while (bytes.size() < size && waited.elapsed() < timeoutMs) {
            QTest::qWait(10);
            bytes += client->readAll();
        }
        return bytes;
    }

    bool hasPendingClient() const { return m_server.hasPendingConnections(); }

    // Stops listening, so that the next attempt to connect is refused.
    void stopListening() { m_server.close(); }

private:
    QTcpServer m_server;
    QList<QTcpSocket*> m_clients;
};
