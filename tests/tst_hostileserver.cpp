// The real main window against servers that misbehave: odd bytes, huge and tiny replies, replies
// without a colon, closing, resetting, never answering, refusing, and targets that cannot work.
// The program must stay alive, show the right state, reconnect where it can and let a run be
// cancelled.
#include "CommandLine.h"
#include "ConnectionState.h"
#include "LoopbackServer.h"
#include "QuickDialMemories.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "Winsock.h"
#include "frmMain.h"
#include "modTools.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <sys/socket.h>

Q_DECLARE_METATYPE(ConnectionState)

namespace {

constexpr int connectTimeout = 8000;

// A main window of its own, connecting to host and port from its first tick on.
struct Window
{
    Window(const QString& host, const QString& port)
    {
        data.writeSetup({{"Connect", "1"}, {"Name", host}, {"Port", port}, {"SelTab", "1"}});
        window = std::make_unique<frmMain>();
        window->show();
        states =
            std::make_unique<QSignalSpy>(control<Winsock>(window.get(), "Winsock1"), &Winsock::StateChanged);
    }
    template <typename T> T* find(const char* name) const { return control<T>(window.get(), name); }
    bool shows(ConnectionState state) const
    {
        const auto* label = find<QLabel>("labState");
        return label->text() == StateLabelText(int(state)) &&
               (label->palette().color(QPalette::WindowText).rgb() & 0xffffff) ==
                   StateInfo(int(state))->colour;
    }
    qsizetype seen(ConnectionState state) const
    {
        return std::count(states->cbegin(), states->cend(), QVariantList{QVariant::fromValue(state)});
    }
    // Everything logged as received, joined.
    QString received() const
    {
        QString all;
        const TrafficLog* log = window->trafficLog();
        for (int row = 0; row < log->rowCount(); ++row)
            all += log->RowMode(row) == TrafficLog::Mode::Get ? log->RowParameter(row) : QString();
        return all;
    }
    void send(const QString& text)
    {
        find<QLineEdit>("txtSend")->setText(text);
        QTest::keyClick(find<QLineEdit>("txtSend"), Qt::Key_Return);
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<QSignalSpy> states;
};

// A server on 127.0.0.1 and a window connected to it.
struct Connected
{
    LoopbackServer server;
    Window w{QStringLiteral("127.0.0.1"), server.portText()};
    QTcpSocket* client = server.nextClient(connectTimeout);
};

QString closedPort()
{
    LoopbackServer gone;
    return gone.portText();
}

} // namespace

class tst_HostileServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<ConnectionState>(); }

    void oddBytes_data()
    {
        columns<QByteArray, int>("bytes", "chunk"); // chunk: bytes per write
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        row("every byte value", all, 256);
        row("one byte at a time", QByteArray("GM:1\r\nSP 17:3\r\n\0\x80\xff", 18), 1);
        QByteArray burst(10 * 1024 * 1024, 'x');
        burst[burst.size() / 2] = ':';
        row("10 MB in one burst", burst, int(burst.size()));
    }
    void oddBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, chunk);
        Connected c;
        QVERIFY(c.client);
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            c.client->write(bytes.mid(at, chunk));
            c.client->flush();
            QTest::qWait(5);
        }
        QTRY_COMPARE_WITH_TIMEOUT(c.w.received(), CommandLine::MarkLineBreaks(modTools::FromAnsi(bytes)),
                                  30000);
        // The window still paints and answers.
        c.w.window->grab();
        QTRY_VERIFY(c.w.shows(ConnectionState::Connected));
        c.w.send(QStringLiteral("GM"));
        QCOMPARE(LoopbackServer::read(c.client, 2), QByteArray("GM"));
    }

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
        QTRY_VERIFY(c.w.shows(ConnectionState::Connected));
        c.w.window->Memories->store(1, QStringLiteral("Run"), QString(), {{"GM", ""}, {"SP 1 2", ""}});

        // The click returns only when the run has ended, so the server's part runs from the client's
        // signal and the cancel from a timer, once the run has had time to go on wrongly and the window
        // to connect again; should the cancel not end the run, closing the window does.
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
            QTimer::singleShot(1500, &row, [&] { c.w.find<QPushButton>("cmdCancelCommandScript")->click(); });
            QTimer::singleShot(12000, &row, [&] {
                stuck = c.w.window->scriptBusy;
                c.w.window->close();
            });
        });
        QTimer::singleShot(0, c.w.find<QPushButton>("cmdCommand1"), &QPushButton::click);
        QTRY_VERIFY_WITH_TIMEOUT(got.startsWith("GM") && !c.w.window->scriptBusy, 20000);
        QVERIFY(!stuck);
        QVERIFY(c.w.find<QProgressBar>("prgProgress")->isHidden());
        QCOMPARE(got, QByteArray("GM"));
        QCOMPARE(c.w.received(), CommandLine::MarkLineBreaks(QString::fromLatin1(reply)));
        QVERIFY(c.w.window->awaitingReply);
        QVERIFY(then == 0 || c.server.nextClient());
        QTRY_VERIFY(c.w.shows(ConnectionState::Connected));
        QVERIFY(then != 1 || c.w.seen(ConnectionState::Closing) > 0);
    }

    // A port text the socket cannot take keeps it closed; a host that cannot be looked up fails.
    void unusableTargets_data()
    {
        columns<QString, QString, int>("host", "port", "state");
        const int closed = int(ConnectionState::Closed);
        const int error = int(ConnectionState::Error);
        row("port abc", "127.0.0.1", "abc", closed);
        row("port 70000", "127.0.0.1", "70000", closed);
        row("port 0", "127.0.0.1", "0", closed);
        row("port -1", "127.0.0.1", "-1", closed);
        row("empty port", "127.0.0.1", "", closed);
        row("empty host", "", "5025", closed);
        row("300 character host", QString(300, u'a'), "5025", error);
        row("host with blanks", "no such host", "5025", error);
        row("refused", "127.0.0.1", closedPort(), error);
    }
    void unusableTargets()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(int, state);
        Window w(host, port);
        // Tried again at every tick: a second failure follows the first.
        if (state == int(ConnectionState::Error))
            QTRY_VERIFY_WITH_TIMEOUT(w.seen(ConnectionState::Error) >= 2, connectTimeout);
        else
            QTest::qWait(2500);
        QTRY_VERIFY(w.shows(ConnectionState(state)));
        w.send(QStringLiteral("GM"));
        QVERIFY(!w.window->awaitingReply);
    }
};

QTEST_MAIN(tst_HostileServer)
#include "tst_hostileserver.moc"
