// Runs the built instrument-sim as a separate process and talks to it over loopback TCP.
#include "InstrumentSimProcess.h"
#include "TestSupport.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr int Timeout = 5000;

// A client that reads the simulator's replies line by line and counts the pieces they came in.
class Client : public QTcpSocket
{
public:
    explicit Client(quint16 port, const QString& host = QStringLiteral("127.0.0.1"))
    {
        connect(this, &QIODevice::readyRead, this, [this] { ++pieces; });
        connectToHost(host, port);
        waitForConnected(Timeout);
    }
    void send(const QByteArray& bytes)
    {
        write(bytes);
        flush();
    }
    // The next reply without its CR LF, or a null array when none arrives in time.
    QByteArray reply(int timeoutMs = Timeout)
    {
        while (!canReadLine())
            if (!waitForReadyRead(timeoutMs))
                return QByteArray();
        QByteArray line = readLine();
        return line.endsWith("\r\n") ? line.chopped(2) : "<no CR LF>" + line;
    }
    bool quietFor(int ms) { return bytesAvailable() == 0 && !waitForReadyRead(ms); }

    int pieces = 0;
};

} // namespace

class tst_InstrumentSim : public QObject
{
    Q_OBJECT

private slots:
    // Exchanges "command -> reply" separated by " | ", written in UTF-8 and sent in Windows-1252
    // with CR LF; an expected "ERR:word" accepts any error reply mentioning the word; replies to a
    // line that holds several commands are separated by LF.
    void conversation_data()
    {
        columns<QString, QString>("deviceType", "table");
        row("type 0", "0",
            "GM -> GM:0 | SM 1 -> SM:OK | GM -> GM:1 | SM 3 -> ERR:mode | SP 99 31 -> SP:OK | "
            "SP 100 1 -> ERR:address | SP 5 32 -> ERR:value | CA 5 a:b -> ERR:not allowed | "
            "UN nnnnnnnnnnnnnnnnnnnnn -> ERR:longer than 20 | GP 1 -> ERR:unknown command 'GP'");
        row("type 1", "1",
            "GP 17 -> GP 17:0 | SP 17 3 -> SP:OK | GP 17 -> GP 17:3 | sp 255 7 -> SP:OK | "
            "gp 255 -> GP 255:7 | SP 17 8 -> ERR:range | SR 6 Grüße € -> SR:OK | "
            "GR 6 -> GR 6:Grüße € | SO 4 SPEED! 100 -> SO:OK | SO 4 SPEED? -> SO 4:100 | "
            "SP 1 2\rGP 1 -> SP:OK\nGP 1:2 | SP 1 3\n\rGP 1 -> SP:OK\nGP 1:3 | "
            "\t  -> ERR:empty command | SR 1 a  \nGR 1 -> SR:OK\nGR 1:a  ");
        row("type 2", "2",
            "GM 1 -> GM 1:-1 | SM 1 -> SM:OK | GM 3 -> GM 3:1 | SM -1 2 -> SM:OK | GM 2 -> GM 2:-1 | "
            "GM 4 -> ERR:range | SN 98 4294967295 -> SN:OK | GN 98 -> GN 98:4294967295 | "
            "SU Max Muster -> SU:OK | GU -> GU:Max Muster");
        row("type 3", "3",
            "SC 1 Case A -> SC:OK | GC 1 -> GC 1:Case A | SC 9 x -> ERR:address | "
            "SN 8 2147483648 -> SN:OK | GN 8 -> GN 8:2147483648 | SP 1 3 -> ERR:unknown command");
        row("no colon", "1 --no-colon",
            "SR 1 a:b -> SR=OK | GR 1 -> GR 1=a=b | XYZ -> ERR=unknown command 'XYZ'");
    }
    void conversation()
    {
        Sim sim;
        QVERIFY(sim.start(QStringList{"--device-type"} + fetch<QString>("deviceType").split(u' ')));
        Client client(sim.port);
        QStringEncoder encoder("windows-1252");
        for (const QString& exchange : fetch<QString>("table").split(QStringLiteral(" | "))) {
            const QStringList parts = exchange.split(QStringLiteral(" -> "));
            client.send(encoder.encode(parts.at(0)) + "\r\n");
            for (const QString& wanted : parts.at(1).split(u'\n')) {
                const QByteArray expected = encoder.encode(wanted);
                const QByteArray reply = client.reply();
                const bool matches = expected.startsWith("ERR:")
                                         ? reply.startsWith("ERR:") && reply.contains(expected.mid(4))
                                         : reply == expected;
                QVERIFY2(matches,
                         qPrintable(exchange.left(60) + " but " + QString::fromLatin1(reply.left(80))));
            }
        }
        QVERIFY(client.quietFor(100));
    }

    void testOptions_data()
    {
        // replies: how many of SM:OK, GM:1, SM:OK come; nothing may arrive before quietMs; the replies
        // come in at least minPieces pieces; nextReply: to GM from a new client (null: none)
        columns<QStringList, int, int, int, bool, QByteArray>("args", "replies", "quietMs", "minPieces",
                                                              "closes", "nextReply");
        row("reply delay", QStringList{"--reply-delay", "600"}, 3, 300, 1, false, QByteArray("GM:2"));
        row("chunk", QStringList{"--chunk", "3"}, 3, 0, 3, false, QByteArray("GM:2"));
        // The third command is never run.
        row("close after", QStringList{"--close-after", "2"}, 2, 0, 1, true, QByteArray("GM:1"));
        row("silent", QStringList{"--silent"}, 0, 500, 0, false, QByteArray());
    }
    void testOptions()
    {
        QFETCH(int, quietMs);
        QFETCH(QByteArray, nextReply);
        Sim sim;
        QVERIFY(sim.start(fetch<QStringList>("args")));
        Client client(sim.port);
        // The pause after a send without a line end ends its last command.
        client.send("SM 1\r\nGM\r\nSM 2");
        QVERIFY(quietMs == 0 || client.quietFor(quietMs));
        for (const QByteArray& expected :
             QByteArrayList{"SM:OK", "GM:1", "SM:OK"}.first(fetch<int>("replies")))
            QCOMPARE(client.reply(), expected);
        QVERIFY(client.pieces >= fetch<int>("minPieces"));
        if (fetch<bool>("closes"))
            QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, Timeout);
        QVERIFY(client.quietFor(100));
        // The server goes on for the next client.
        Client next(sim.port);
        next.send("GM\r\n");
        QCOMPARE(next.reply(nextReply.isNull() ? 300 : Timeout), nextReply);
    }

    void severalClientsOnEveryLoopback()
    {
        Sim sim;
        QVERIFY(sim.start({"--device-type", "1"}, true));
        QTcpServer probe;
        Client a(sim.port);
        Client b(sim.port, probe.listen(QHostAddress::LocalHostIPv6, 0) ? "::1" : "127.0.0.1");
        QCOMPARE(b.state(), QAbstractSocket::ConnectedState);

        // The instrument is shared.
        a.send("SP 17 3\r\n");
        QCOMPARE(a.reply(), QByteArray("SP:OK"));
        b.send("GP 17\r\n");
        QCOMPARE(b.reply(), QByteArray("GP 17:3"));
        // The line buffers are not: halves sent by two clients never make one command.
        a.send("GP");
        b.send(" 17\r\n");
        QCOMPARE(b.reply(), QByteArray("ERR:unknown command '17'"));
        QCOMPARE(a.reply(), QByteArray("ERR:missing address"));
    }

    void refusedStart_data()
    {
        columns<QStringList, bool>("args", "inUse"); // inUse: the port, given last, is taken on 127.0.0.1
        row("port too high", QStringList{"--port", "70000"}, false);
        row("device type 4", QStringList{"--device-type", "4"}, false);
        row("unknown option", QStringList{"--bogus"}, false);
        row("port in use, given address", QStringList{"--listen", "127.0.0.1"}, true);
        row("port in use, default addresses", QStringList{}, true);
    }
    void refusedStart()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, inUse);
        QTcpServer holder;
        if (inUse) {
            QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
            args << QStringLiteral("--port") << QString::number(holder.serverPort());
        }
        QProcess process;
        process.start(QStringLiteral(INSTRUMENT_SIM_PATH), args);
        QVERIFY(process.waitForFinished(Timeout));
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 2);
        const QByteArray error = process.readAllStandardError();
        QVERIFY2(error.startsWith("instrument-sim: ") && error.count('\n') == 1 && error.endsWith('\n'),
                 error.data());
        QVERIFY2(!inUse ||
                     error.contains("port " + QByteArray::number(holder.serverPort()) + " is already in use"),
                 error.data());
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_InstrumentSim)
#include "tst_instrumentsim.moc"
