// A run against servers that never answer, answer without a colon, close or reset can be cancelled; the
// session logs what came, shows the close and reconnects. Odd bytes are tst_relaytabrun's.
#include "CommandLine.h"
#include "CommandSession.h"
#include "LoopbackServer.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "Winsock.h"

#include <QtTest>

#include <sys/socket.h>

namespace {

// A server on 127.0.0.1 and a session connected to it, kept connected by a tick every second.
struct Connected
{
    Connected()
    {
        session.SetTarget(QStringLiteral("127.0.0.1"), server.portText());
        session.SetConnectWanted(true);
        QObject::connect(&tick, &QTimer::timeout, &session, &CommandSession::ConnectIfWanted);
        tick.start(1000);
        session.ConnectIfWanted();
        client = server.nextClient();
    }
    qsizetype seen(ConnectionState state) const
    {
        return std::count(states.cbegin(), states.cend(), QVariantList{QVariant::fromValue(state)});
    }
    // Everything logged as received, joined.
    QString received() const
    {
        QString all;
        const TrafficLog* log = session.Log();
        for (int row = 0; row < log->rowCount(); ++row)
            all += log->RowMode(row) == LogMode::Get ? log->RowText(row) : QString();
        return all;
    }

    LoopbackServer server;
    CommandSession session;
    QSignalSpy states{&session, &CommandSession::stateChanged};
    QTimer tick;
    QTcpSocket* client = nullptr;
};

} // namespace

class tst_HostileServer : public QObject
{
    Q_OBJECT
private slots:

    void runCanBeCancelled_data()
    {
        // reply: to the run's first command; then: 0 nothing, 1 the server closes, 2 it resets
        columns<QByteArray, int>("reply", "then");
        row("never answers", QByteArray(), 0);
        row("no colon", QByteArray("OK\r\n"), 0);
        row("closes in the middle of a reply", QByteArray("GM"), 1);
        row("resets", QByteArray(), 2);
    }
    void runCanBeCancelled()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, then);
        Connected c;
        QVERIFY(c.client);
        QTRY_COMPARE(c.session.State(), ConnectionState::Connected);

        // The run returns only when it has ended, so the server's part runs from the client's
        // signal and the cancel from a timer, once the run has had time to go on wrongly and the
        // session to connect again; should the cancel not end the run, End does.
        QByteArray got;
        bool stuck = false;
        QObject row; // ends the timers with the row
        connect(c.client, &QTcpSocket::readyRead, &row, [&] {
            if ((got += c.client->readAll()) != "GM")
                return;
            c.client->write(reply);
            c.client->flush();
            const linger reset{1, 0}; // a linger time of zero makes the close a reset
            if (then == 2 && ::setsockopt(int(c.client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                                          sizeof reset) == 0)
                c.client->abort();
            else if (then == 1)
                c.client->disconnectFromHost();
            QTimer::singleShot(1500, &row, [&] { c.session.RequestCancel(); });
            QTimer::singleShot(12000, &row, [&] {
                stuck = true;
                c.session.End();
            });
        });
        QCOMPARE(c.session.Run({QStringLiteral("GM"), QStringLiteral("SP 1 2")}),
                 CommandSession::RunResult::Cancelled);
        QVERIFY(!stuck);
        QCOMPARE(got, QByteArray("GM"));
        QCOMPARE(c.received(), CommandLine::MarkLineBreaks(QString::fromLatin1(reply)));
        QVERIFY(c.session.AwaitingReply());
        QVERIFY(then == 0 || c.server.nextClient());
        QTRY_COMPARE(c.session.State(), ConnectionState::Connected);
        QVERIFY(then != 1 || c.seen(ConnectionState::Closing) > 0);
    }
};

QTEST_GUILESS_MAIN(tst_HostileServer)
#include "tst_hostileserver.moc"
