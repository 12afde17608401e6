// The client socket against a real server on 127.0.0.1: its states with the Windows meaning, the
// supervision tick, and Windows-1252 bytes both ways.
#include "LoopbackServer.h"
#include "Winsock.h"
#include "modTools.h"

#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(ConnectionState)

class tst_Winsock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<ConnectionState>(); }

    void refusedConnectionIsError();
    void peerCloseStaysClosingUntilClosed();
    void badTargetIsRefused_data();
    void badTargetIsRefused();
    void connectIfWanted_data();
    void connectIfWanted();
    void bytesBothWays();
};

namespace {

bool waitForState(const Winsock& socket, ConnectionState state)
{
    return QTest::qWaitFor([&] { return socket.State() == state; }, 5000);
}

} // namespace

void tst_Winsock::refusedConnectionIsError()
{
    quint16 port = 0;
    {
        LoopbackServer server;
        port = server.port();
    }
    Winsock socket;
    QVERIFY(socket.Connect(QStringLiteral("127.0.0.1"), QString::number(port)));
    QVERIFY(waitForState(socket, ConnectionState::Error));
    socket.Close();
    QCOMPARE(socket.State(), ConnectionState::Closed);
}

void tst_Winsock::peerCloseStaysClosingUntilClosed()
{
    LoopbackServer server;
    Winsock socket;
    QVERIFY(socket.Connect(QStringLiteral("127.0.0.1"), server.portText()));
    QVERIFY(waitForState(socket, ConnectionState::Connected));
    QTcpSocket* client = server.nextClient();
    QVERIFY(client);

    client->write("bye:\r\n");
    client->disconnectFromHost();
    QVERIFY(waitForState(socket, ConnectionState::Closing));
    QTest::qWait(200);
    QCOMPARE(socket.State(), ConnectionState::Closing);
    // What came before the close can still be read.
    QCOMPARE(socket.GetData(), QStringLiteral("bye:\r\n"));
    QVERIFY(!socket.SendData(QStringLiteral("GM")));

    socket.Close();
    QCOMPARE(socket.State(), ConnectionState::Closed);
}

void tst_Winsock::badTargetIsRefused_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::newRow("empty host") << ""
                                << "5025";
    QTest::newRow("letters") << "127.0.0.1"
                             << "abc";
    QTest::newRow("digits and letters") << "127.0.0.1"
                                        << "5025x";
    QTest::newRow("zero") << "127.0.0.1"
                          << "0";
    QTest::newRow("too large") << "127.0.0.1"
                               << "65536";
}

void tst_Winsock::badTargetIsRefused()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    Winsock socket;
    QVERIFY(!socket.Connect(host, port));
    QCOMPARE(socket.State(), ConnectionState::Closed);
    QVERIFY(!ConnectIfWanted(socket, true, host, port));
    QCOMPARE(socket.State(), ConnectionState::Closed);
}

void tst_Winsock::connectIfWanted_data()
{
    QTest::addColumn<bool>("peerCloses");
    QTest::addColumn<bool>("wanted");
    QTest::addColumn<bool>("attempt");
    QTest::addColumn<ConnectionState>("after");
    QTest::newRow("connected and wanted: kept") << false << true << false << ConnectionState::Connected;
    QTest::newRow("connected, not wanted: closed") << false << false << false << ConnectionState::Closed;
    QTest::newRow("peer closed, wanted: again") << true << true << true << ConnectionState::Connected;
    QTest::newRow("peer closed, not wanted: closed") << true << false << false << ConnectionState::Closed;
}

void tst_Winsock::connectIfWanted()
{
    QFETCH(bool, peerCloses);
    QFETCH(bool, wanted);
    QFETCH(bool, attempt);
    QFETCH(ConnectionState, after);

    LoopbackServer server;
    Winsock socket;
    QVERIFY(ConnectIfWanted(socket, true, QStringLiteral("127.0.0.1"), server.portText()));
    QVERIFY(waitForState(socket, ConnectionState::Connected));
    QTcpSocket* first = server.nextClient();
    QVERIFY(first);
    if (peerCloses) {
        first->disconnectFromHost();
        QVERIFY(waitForState(socket, ConnectionState::Closing));
    }

    QCOMPARE(ConnectIfWanted(socket, wanted, QStringLiteral("127.0.0.1"), server.portText()), attempt);
    QVERIFY(waitForState(socket, after));
    // A kept connection is not made anew; a new attempt reaches the server as a second client.
    QCOMPARE(server.nextClient(attempt ? 5000 : 200) != nullptr, attempt);
}

void tst_Winsock::bytesBothWays()
{
    LoopbackServer server;
    Winsock socket;
    QVERIFY(!socket.SendData(QStringLiteral("not yet")));
    QVERIFY(socket.Connect(QStringLiteral("127.0.0.1"), server.portText()));
    QVERIFY(waitForState(socket, ConnectionState::Connected));
    QTcpSocket* client = server.nextClient();
    QVERIFY(client);

    // One byte per character, Windows-1252; what the code page lacks goes as "?".
    QVERIFY(socket.SendData(QString::fromUtf16(u"Ä€\u4e2d\r\n")));
    QCOMPARE(LoopbackServer::read(client, 5), QByteArray("\xC4\x80?\r\n", 5));

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QSignalSpy arrived(&socket, &Winsock::DataArrival);
    client->write(all);
    QString received;
    QVERIFY(QTest::qWaitFor(
        [&] {
            received += socket.GetData();
            return received.size() >= 256;
        },
        5000));
    QCOMPARE(received, modTools::FromAnsi(all));
    QCOMPARE(received.at(0), QChar(0));
    QCOMPARE(received.at(0x80), QChar(0x20AC));
    QCOMPARE(received.at(0xFF), QChar(0xFF));
    QVERIFY(!arrived.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Winsock)
#include "tst_winsock.moc"
