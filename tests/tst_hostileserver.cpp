// The real main window against servers that misbehave: odd bytes, huge and tiny replies, replies
// without a colon, closing, refusing, resetting, never answering, and targets that cannot work.
// The program must stay alive, show the right state and reconnect where it can.
#include "ConnectionState.h"
#include "LoopbackServer.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "Winsock.h"
#include "frmMain.h"
#include "modTools.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <sys/socket.h>

Q_DECLARE_METATYPE(ConnectionState)

namespace {

// A main window of its own, connecting to host and port from its first tick on.
class Window
{
public:
    Window(const QString& host, const QString& port)
    {
        data.writeSetup({{"Connect", "1"}, {"Name", host}, {"Port", port}, {"SelTab", "1"}});
        window = std::make_unique<frmMain>();
        window->show();
        socket = control<Winsock>(window.get(), "Winsock1");
    }

    QString label() const { return control<QLabel>(window.get(), "labState")->text(); }
    QRgb labelColour() const
    {
        return control<QLabel>(window.get(), "labState")->palette().color(QPalette::WindowText).rgb() & 0xffffff;
    }
    bool shows(ConnectionState state) const
    {
        const auto info = StateInfo(int(state));
        return label() == StateLabelText(int(state)) && labelColour() == info->colour;
    }
    // Everything logged as received, joined.
    QString received() const
    {
        QString all;
        const TrafficLog* log = window->trafficLog();
        for (int row = 0; row < log->rowCount(); ++row)
            if (log->RowMode(row) == TrafficLog::Mode::Get)
                all += log->RowParameter(row);
        return all;
    }
    void send(const QString& text)
    {
        auto* line = control<QLineEdit>(window.get(), "txtSend");
        line->setText(text);
        QTest::keyClick(line, Qt::Key_Return);
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> window;
    Winsock* socket = nullptr;
};

constexpr int connectTimeout = 8000;

} // namespace

class tst_HostileServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<ConnectionState>(); }
    void oddBytes_data();
    void oddBytes();
    void hugeReplyInOneBurst();
    void replyWithoutColonKeepsWaiting();
    void peerClosesInTheMiddleOfAReply();
    void peerResetsTheConnection();
    void refusedConnectionIsRetried();
    void serverThatNeverAnswers();
    void unusableTargets_data();
    void unusableTargets();
};

void tst_HostileServer::oddBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chunk"); // bytes per write, 0: all at once
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QTest::newRow("every byte value") << all << 0;
    QTest::newRow("NUL only") << QByteArray(64, '\0') << 0;
    QTest::newRow("one byte at a time") << QByteArray("GM:1\r\nSP 17:3\r\n\x80\xff") << 1;
}

void tst_HostileServer::oddBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, chunk);
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    if (chunk == 0) {
        client->write(bytes);
    } else {
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            client->write(bytes.mid(at, chunk));
            client->flush();
            QTest::qWait(5);
        }
    }
    QString expected = modTools::FromAnsi(bytes);
    expected.replace(u'\r', QLatin1String("<CR>")).replace(u'\n', QLatin1String("<LF>"));
    QTRY_COMPARE(w.received(), expected);
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
}

void tst_HostileServer::hugeReplyInOneBurst()
{
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    const qsizetype size = 10 * 1024 * 1024;
    QByteArray burst(size, 'x');
    burst[size / 2] = ':';
    client->write(burst);
    QTRY_COMPARE_WITH_TIMEOUT(w.received().size(), size, 30000);
    // The window still paints and answers.
    w.window->grab();
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
    w.send(QStringLiteral("GM"));
    QCOMPARE(LoopbackServer::read(client, 2), QByteArray("GM"));
}

void tst_HostileServer::replyWithoutColonKeepsWaiting()
{
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
    w.send(QStringLiteral("GM"));
    QVERIFY(w.window->awaitingReply);
    client->write("OK\r\n");
    QTRY_COMPARE(w.received(), QStringLiteral("OK<CR><LF>"));
    QVERIFY(w.window->awaitingReply);
    client->write("GM:1\r\n");
    QTRY_VERIFY(!w.window->awaitingReply);
}

void tst_HostileServer::peerClosesInTheMiddleOfAReply()
{
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QSignalSpy states(w.socket, &Winsock::StateChanged);
    QVERIFY(states.isValid());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    client->write("GM");
    client->flush();
    QTRY_COMPARE(w.received(), QStringLiteral("GM"));
    client->disconnectFromHost();
    QTRY_VERIFY(w.shows(ConnectionState::Closing) || server.hasPendingClient());
    // The next tick closes the socket and connects again.
    QVERIFY(server.nextClient(connectTimeout));
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
    QVERIFY(states.contains(QVariantList{QVariant::fromValue(ConnectionState::Closing)}));
}

void tst_HostileServer::peerResetsTheConnection()
{
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
    // A linger time of zero makes the close a reset.
    const linger reset{1, 0};
    QCOMPARE(::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
    client->abort();
    QVERIFY(server.nextClient(connectTimeout));
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
}

void tst_HostileServer::refusedConnectionIsRetried()
{
    quint16 closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    Window w(QStringLiteral("127.0.0.1"), QString::number(closedPort));
    QSignalSpy states(w.socket, &Winsock::StateChanged);
    QVERIFY(states.isValid());
    QTRY_VERIFY_WITH_TIMEOUT(w.shows(ConnectionState::Error), connectTimeout);
    // One attempt per tick: a second failure follows the first.
    const auto errors = [&] {
        return std::count(states.cbegin(), states.cend(), QVariantList{QVariant::fromValue(ConnectionState::Error)});
    };
    QTRY_VERIFY_WITH_TIMEOUT(errors() >= 2, connectTimeout);
}

void tst_HostileServer::serverThatNeverAnswers()
{
    LoopbackServer server;
    Window w(QStringLiteral("127.0.0.1"), server.portText());
    QTcpSocket* client = server.nextClient(connectTimeout);
    QVERIFY(client);
    QTRY_VERIFY(w.shows(ConnectionState::Connected));
    w.send(QStringLiteral("GM"));
    QCOMPARE(LoopbackServer::read(client, 2), QByteArray("GM"));
    QTest::qWait(1500);
    QVERIFY(w.window->awaitingReply);
    QVERIFY(w.shows(ConnectionState::Connected));
}

void tst_HostileServer::unusableTargets_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("state");
    // A port text the socket cannot take keeps it closed; a host that cannot be looked up fails.
    QTest::newRow("port abc") << "127.0.0.1" << "abc" << int(ConnectionState::Closed);
    QTest::newRow("port 70000") << "127.0.0.1" << "70000" << int(ConnectionState::Closed);
    QTest::newRow("port -1") << "127.0.0.1" << "-1" << int(ConnectionState::Closed);
    QTest::newRow("empty port") << "127.0.0.1" << "" << int(ConnectionState::Closed);
    QTest::newRow("empty host") << "" << "5025" << int(ConnectionState::Closed);
    QTest::newRow("300 character host") << QString(300, u'a') << "5025" << int(ConnectionState::Error);
    QTest::newRow("host with blanks") << "no such host" << "5025" << int(ConnectionState::Error);
}

void tst_HostileServer::unusableTargets()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(int, state);
    Window w(host, port);
    QSignalSpy states(w.socket, &Winsock::StateChanged);
    QVERIFY(states.isValid());
    // Two ticks of the connection timer, then the state as the label shows it.
    QTest::qWait(2500);
    QTRY_VERIFY(w.shows(ConnectionState(state)));
    w.send(QStringLiteral("GM"));
    QVERIFY(!w.window->awaitingReply);
}

QTEST_MAIN(tst_HostileServer)
#include "tst_hostileserver.moc"
