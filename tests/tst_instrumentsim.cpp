// Runs the built instrument-sim as a separate process and talks to it over loopback TCP.
#include "InstrumentSimProcess.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>
#include <utility>

namespace {

constexpr int Timeout = 5000;

// A client that reads the simulator's replies line by line.
class Client
{
public:
    bool connectTo(quint16 port, const QString& host = QStringLiteral("127.0.0.1"))
    {
        socket.connectToHost(host, port);
        return socket.waitForConnected(Timeout);
    }

    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    // The next reply without its CR LF, or a null array when none arrives in time.
    QByteArray reply(int timeoutMs = Timeout)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n");
            if (end >= 0) {
                const QByteArray line = buffer.left(end);
                buffer.remove(0, end + 2);
                return line.isNull() ? QByteArray("") : line;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || !waitForData(int(left)))
                return QByteArray();
        }
    }

    bool quietFor(int ms) { return buffer.isEmpty() && !waitForData(ms); }

    bool waitForData(int ms)
    {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(ms))
            return false;
        buffer += socket.readAll();
        ++reads;
        return true;
    }

    QTcpSocket socket;
    QByteArray buffer;
    int reads = 0;
};

// A conversation table holds exchanges "command -> reply", separated by " | " or line ends. It is
// written in UTF-8 and sent in Windows-1252; "{N*c}" stands for N times the character c.
QList<std::pair<QByteArray, QByteArray>> parseConversation(const QString& table)
{
    static const QRegularExpression repeat(QStringLiteral("\\{(\\d+)\\*(.)\\}"));
    QStringEncoder encoder("windows-1252");
    QList<std::pair<QByteArray, QByteArray>> exchanges;
    for (const QString& line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        for (QString exchange : line.split(QStringLiteral(" | "))) {
            for (auto m = repeat.match(exchange); m.hasMatch(); m = repeat.match(exchange))
                exchange.replace(m.capturedStart(), m.capturedLength(),
                                 m.captured(2).repeated(m.captured(1).toInt()));
            const qsizetype arrow = exchange.indexOf(QStringLiteral(" -> "));
            exchanges.append({encoder.encode(exchange.left(arrow)), encoder.encode(exchange.mid(arrow + 4))});
        }
    }
    return exchanges;
}

// An expected reply "ERR:word" accepts any error reply that mentions the word.
bool replyMatches(const QByteArray& reply, const QByteArray& expected)
{
    if (expected.startsWith("ERR:"))
        return reply.startsWith("ERR:") && reply.contains(expected.mid(4));
    return reply == expected;
}

bool ipv6Available()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

} // namespace

class tst_InstrumentSim : public QObject
{
    Q_OBJECT

private slots:
    void conversation_data();
    void conversation();
    void lineEnds_data();
    void lineEnds();
    void garbage();
    void manyCommandsAtOnce();
    void testOptions_data();
    void testOptions();
    void severalClients();
    void addresses_data();
    void addresses();
    void badOption_data();
    void badOption();
    void portInUse_data();
    void portInUse();
    void stopSignal_data();
    void stopSignal();
};

void tst_InstrumentSim::conversation_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("table");

    QTest::newRow("type 0 mode and set commands") << QStringList{"--device-type", "0"} << QStringLiteral(R"(
GM -> GM:0 | SM 1 -> SM:OK | GM -> GM:1 | SM 2 -> SM:OK | GM -> GM:2 | SM 0 -> SM:OK | GM -> GM:0
SM -1 -> ERR:mode | SM 3 -> ERR:mode | GM 1 -> ERR:too many | SP 99 31 -> SP:OK | CA 0 Batch-7_a b -> CA:OK
CB 5 2147483646 -> CB:OK | UF 3 "C:\backup\dev 3.bak" -> UF:OK | UN Anna Maier -> UN:OK | UN {20*n} -> UN:OK
XC 1 any: text! -> XC:OK | RM 2 remark -> RM:OK
)");
    QTest::newRow("type 0 bad parameters") << QStringList{"--device-type", "0"} << QStringLiteral(R"(
SP 100 1 -> ERR:address | SP -1 1 -> ERR:address | SP 5 32 -> ERR:value | SP 5 -> ERR:missing value
SP -> ERR:missing address | SP 5 3 4 -> ERR:too many | SP x 3 -> ERR:number | SP 5 3.5 -> ERR:number
SP 5 99999999999999999999 -> ERR:range | CA 5 a:b -> ERR:not allowed | CB 5 2147483647 -> ERR:range
UN {21*n} -> ERR:longer than 20 | UF 3  -> ERR:file path | GP 1 -> ERR:unknown command 'GP' | GM -> GM:0
)");
    QTest::newRow("type 1 device values") << QStringList{"--device-type", "1"} << QStringLiteral(R"(
GP 17 -> GP 17:0 | SP 17 3 -> SP:OK | GP 17 -> GP 17:3 | GP 18 -> GP 18:0 | sp 255 7 -> SP:OK
gp 255 -> GP 255:7 | SP 17 8 -> ERR:range | GP 256 -> ERR:address | GP 17 -> GP 17:3 | SC 5 Housing 12 -> SC:OK
GC 5 -> GC 5:Housing 12 | GC 6 -> GC 6: | SR 5 a: b!? -> SR:OK | GR 5 -> GR 5:a: b!?
SN 255 2147483646 -> SN:OK | GN 255 -> GN 255:2147483646 | SN 5 -1 -> ERR:range | SP1 0 x-y_z 1 -> SP1:OK
GP1 0 -> GP1 0:x-y_z 1 | SP2 1 v2 -> SP2:OK | GP2 1 -> GP2 1:v2 | SB 2 Lot 4 -> SB:OK | GB 2 -> GB 2:Lot 4
SC 5 {32*c} -> SC:OK | SC 5 {33*c} -> ERR:longer than 32 | SC 5 a.b -> ERR:not allowed | GC 5 -> GC 5:{32*c}
SR 6 Grüße € -> SR:OK | GR 6 -> GR 6:Grüße € | SR 7 {64*ä} -> SR:OK | SR 7 {65*ä} -> ERR:longer than 64
GR 7 -> GR 7:{64*ä} | SC 5 Grüße -> ERR:not allowed
)");
    QTest::newRow("type 1 group values, mode, files, device commands")
        << QStringList{"--device-type", "1"} << QStringLiteral(R"(
SCA Group caption! -> SCA:OK | GCA -> GCA:Group caption! | SNA -1 -> SNA:OK | GNA -> GNA:-1
SNA -2 -> ERR:range | SP1A p1 -> SP1A:OK | GP1A -> GP1A:p1 | SP2A p2 -> SP2A:OK | GP2A -> GP2A:p2
SBA b -> SBA:OK | GBA -> GBA:b | SRA remark: yes -> SRA:OK | GRA -> GRA:remark: yes | GRA 1 -> ERR:too many
SU Operator 1 -> SU:OK | GU -> ERR:unknown command | GM -> GM:-1 | SM 1 -> SM:OK | GM -> GM:1 | SM 2 -> SM:OK
GM -> GM:2 | SM 0 -> ERR:mode | UF 3 "/tmp/a b.bak" -> UF:OK | LD "/tmp/devices.lst" -> LD:OK
SO 4 SPEED! 100 -> SO:OK | SO 4 SPEED? -> SO 4:100 | SO 5 SPEED? -> SO 5:0 | SO 4 RESET -> SO:OK
)");
    QTest::newRow("type 2 group modes") << QStringList{"--device-type", "2"} << QStringLiteral(R"(
GM 1 -> GM 1:-1 | SM 1 -> SM:OK | GM 1 -> GM 1:1 | GM 3 -> GM 3:1 | SM -1 2 -> SM:OK | GM 2 -> GM 2:-1
GM 1 -> GM 1:1 | SM 2 -> SM:OK | GM 1 -> GM 1:2 | GM 3 -> GM 3:1 | SM 2 5 -> SM:OK | GM 1 -> GM 1:2
SM -1 -> SM:OK | GM 3 -> GM 3:-1 | SM 1 2 -> SM:OK | GM 2 -> GM 2:1 | GM 1 -> GM 1:-1 | GM -> ERR:missing group
GM 0 -> ERR:range | GM 4 -> ERR:range | SM -1 4 -> ERR:range | SM 2 99 -> ERR:address | SM 0 -> ERR:mode
SM 1 2 3 -> ERR:too many
)");
    QTest::newRow("type 2 device values") << QStringList{"--device-type", "2"} << QStringLiteral(R"(
SN 98 4294967295 -> SN:OK | GN 98 -> GN 98:4294967295 | SN 98 4294967296 -> ERR:range | SN2 98 7 -> SN2:OK
GN2 98 -> GN2 98:7 | GN 98 -> GN 98:4294967295 | SP 0 127 -> SP:OK | GP 0 -> GP 0:127 | SP 0 128 -> ERR:range
SC 1 c1 -> SC:OK | SC2 1 c2 -> SC2:OK | GC 1 -> GC 1:c1 | GC2 1 -> GC2 1:c2 | SP1 2 a -> SP1:OK
SP12 2 b -> SP12:OK | SP2 2 c -> SP2:OK | SP22 2 d -> SP22:OK | GP1 2 -> GP1 2:a | GP12 2 -> GP12 2:b
GP2 2 -> GP2 2:c | GP22 2 -> GP22 2:d | SB 3 e -> SB:OK | SB2 3 f -> SB2:OK | GB 3 -> GB 3:e | GB2 3 -> GB2 3:f
SR 4 {256*r} -> SR:OK | SR2 4 g -> SR2:OK | GR 4 -> GR 4:{256*r} | GR2 4 -> GR2 4:g
SR 4 bad! -> ERR:not allowed | UF 98 "C:\a.bak" -> UF:OK | LD "C:\list.txt" -> LD:OK | AGA -> AGA:OK
AGB -> AGB:OK | AGB 1 -> ERR:too many
)");
    QTest::newRow("type 2 group values and interface commands")
        << QStringList{"--device-type", "2"} << QStringLiteral(R"(
SCA a -> SCA:OK | SCB b -> SCB:OK | GCA -> GCA:a | GCB -> GCB:b | SNA 1 -> SNA:OK | SNB 2 -> SNB:OK
GNA -> GNA:1 | GNB -> GNB:2 | SP1A c -> SP1A:OK | SP2A d -> SP2A:OK | SP1B e -> SP1B:OK | SP2B f -> SP2B:OK
GP1A -> GP1A:c | GP2A -> GP2A:d | GP1B -> GP1B:e | GP2B -> GP2B:f | SBA g -> SBA:OK | SBB h -> SBB:OK
GBA -> GBA:g | GBB -> GBB:h | SRA i -> SRA:OK | SRB j -> SRB:OK | GRA -> GRA:i | GRB -> GRB:j
SU Max Muster -> SU:OK | GU -> GU:Max Muster | SNA -1 -> ERR:range | SCA x! -> ERR:not allowed
SO 5 !OUT 1 -> SO:OK | SO 5 ?OUT -> SO 5:1 | SO 6 ?OUT -> SO 6:0 | SO 5 OUT -> ERR:! or ?
SO 5 !?OUT -> ERR:both | SO 99 ?OUT -> ERR:address | SO 5 {1999*x}? -> SO 5:0
SO 5 {2000*x}? -> ERR:longer than 2000
)");
    QTest::newRow("type 3") << QStringList{"--device-type", "3"} << QStringLiteral(R"(
SC 1 Case A -> SC:OK | GC 1 -> GC 1:Case A | SC 0 x -> ERR:address | SC 9 x -> ERR:address
SN 8 2147483648 -> SN:OK | GN 8 -> GN 8:2147483648 | SN 8 2147483649 -> ERR:range | SP1 2 p -> SP1:OK
GP1 2 -> GP1 2:p | SP2 2 q -> SP2:OK | GP2 2 -> GP2 2:q | SB 3 b -> SB:OK | GB 3 -> GB 3:b
SR 4 remark: 1 -> SR:OK | GR 4 -> GR 4:remark: 1 | UF 1 {512*p} -> UF:OK | UF 1 {513*p} -> ERR:longer than 512
SP 1 3 -> ERR:unknown command | GP 1 -> ERR:unknown command | GM -> GM:-1 | SM 1 -> SM:OK | GM -> GM:1
SM 2 -> ERR:mode | SCA free: text -> SCA:OK | GCA -> GCA:free: text | SNA -1 -> SNA:OK | GNA -> GNA:-1
SP1A a -> SP1A:OK | GP1A -> GP1A:a | SP2A b -> SP2A:OK | GP2A -> GP2A:b | SBA c -> SBA:OK | GBA -> GBA:c
SRA d -> SRA:OK | GRA -> GRA:d | SU {21*u} -> ERR:longer than 20 | LD x -> LD:OK
)");
    QTest::newRow("no colon") << QStringList{"--device-type", "1", "--no-colon"} << QStringLiteral(R"(
SR 1 a:b -> SR=OK | GR 1 -> GR 1=a=b | XYZ -> ERR=unknown command 'XYZ' | GM -> GM=-1
)");
}

void tst_InstrumentSim::conversation()
{
    QFETCH(QStringList, args);
    QFETCH(QString, table);

    Sim sim;
    QVERIFY(sim.start(args));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    for (const auto& [command, expected] : parseConversation(table)) {
        client.send(command + "\r\n");
        const QByteArray reply = client.reply();
        QVERIFY2(replyMatches(reply, expected), (command.left(40) + " -> " + reply.left(80)).constData());
    }
}

void tst_InstrumentSim::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("replies");

    QTest::newRow("CR") << QByteArray("SP 1 2\rGP 1\r") << QByteArrayList{"SP:OK", "GP 1:2"};
    QTest::newRow("LF") << QByteArray("SP 1 2\nGP 1\n") << QByteArrayList{"SP:OK", "GP 1:2"};
    QTest::newRow("CR LF") << QByteArray("SP 1 2\r\nGP 1\r\n") << QByteArrayList{"SP:OK", "GP 1:2"};
    QTest::newRow("LF CR") << QByteArray("SP 1 2\n\rGP 1\n\r") << QByteArrayList{"SP:OK", "GP 1:2"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n\n\rGM\r\n\n") << QByteArrayList{"GM:-1"};
    QTest::newRow("no terminator") << QByteArray("GM") << QByteArrayList{"GM:-1"};
    QTest::newRow("last without terminator")
        << QByteArray("SP 1 2\r\nGP 1") << QByteArrayList{"SP:OK", "GP 1:2"};
    QTest::newRow("blank line") << QByteArray(" \t \r\nGM\r\n")
                                << QByteArrayList{"ERR:empty command", "GM:-1"};
    QTest::newRow("text keeps trailing blanks")
        << QByteArray("SR 1 a  \r\nGR 1\r\n") << QByteArrayList{"SR:OK", "GR 1:a  "};
}

void tst_InstrumentSim::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, replies);

    Sim sim;
    QVERIFY(sim.start({"--device-type", "1"}));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    client.send(bytes);
    for (const QByteArray& expected : replies)
        QCOMPARE(client.reply(), expected);
    QVERIFY2(client.quietFor(300), client.buffer.constData());
}

void tst_InstrumentSim::garbage()
{
    Sim sim;
    QVERIFY(sim.start({}));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    QByteArray allBytes;
    for (int c = 0; c < 256; ++c)
        allBytes += char(c);
    client.send(allBytes + "\r\n");
    // Even if a pause splits it, some part of 3 MB without a line end exceeds the 1 MB limit.
    const QByteArray piece(64 * 1024, 'A');
    for (int i = 0; i < 48; ++i)
        client.send(piece);
    client.send("\r\nGM\r\n");
    QByteArrayList replies;
    for (QByteArray reply = client.reply(10000); !reply.isNull(); reply = client.reply(1000)) {
        replies << reply;
        if (reply == "GM:0")
            break;
    }
    QVERIFY(replies.size() >= 5);
    QCOMPARE(replies.takeLast(), QByteArray("GM:0"));
    for (const QByteArray& reply : std::as_const(replies))
        QVERIFY2(reply.startsWith("ERR:") && reply.size() < 200, reply.left(200).constData());
    QVERIFY(replies.contains("ERR:line longer than 1048576 bytes"));
}

void tst_InstrumentSim::manyCommandsAtOnce()
{
    Sim sim;
    QVERIFY(sim.start({"--device-type", "1"}));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    constexpr int Count = 5000;
    QByteArray bytes;
    for (int i = 0; i < Count; ++i)
        bytes += "SP " + QByteArray::number(i % 256) + ' ' + QByteArray::number(i % 8) + "\r\nGP " +
                 QByteArray::number(i % 256) + "\r\n";
    client.send(bytes);
    for (int i = 0; i < Count; ++i) {
        QCOMPARE(client.reply(), QByteArray("SP:OK"));
        QCOMPARE(client.reply(), "GP " + QByteArray::number(i % 256) + ':' + QByteArray::number(i % 8));
    }
}

void tst_InstrumentSim::testOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<int>("quietMs");  // nothing may arrive before this
    QTest::addColumn<int>("minReads"); // the replies must come in at least this many pieces
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("nextClientReply"); // to GM from a new client; null: none

    QTest::newRow("reply delay") << QStringList{"--reply-delay", "600"} << QByteArrayList{"SM:OK", "GM:1"}
                                 << 300 << 1 << false << QByteArray("GM:2");
    QTest::newRow("chunk") << QStringList{"--chunk", "3"} << QByteArrayList{"SM:OK", "GM:1"} << 0 << 3
                           << false << QByteArray("GM:2");
    // The third command (SM 2) is never run.
    QTest::newRow("close after") << QStringList{"--close-after", "2"} << QByteArrayList{"SM:OK", "GM:1"} << 0
                                 << 1 << true << QByteArray("GM:1");
    QTest::newRow("silent") << QStringList{"--silent"} << QByteArrayList{} << 500 << 0 << false
                            << QByteArray();
}

void tst_InstrumentSim::testOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArrayList, replies);
    QFETCH(int, quietMs);
    QFETCH(int, minReads);
    QFETCH(bool, closes);
    QFETCH(QByteArray, nextClientReply);

    Sim sim;
    QVERIFY(sim.start(args));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    client.send("SM 1\r\nGM\r\nSM 2\r\n");
    if (quietMs > 0)
        QVERIFY(client.quietFor(quietMs));
    for (const QByteArray& expected : replies)
        QCOMPARE(client.reply(), expected);
    QVERIFY(client.reads >= minReads);
    if (closes) {
        QTRY_COMPARE_WITH_TIMEOUT(client.socket.state(), QAbstractSocket::UnconnectedState, Timeout);
        QVERIFY(client.buffer.isEmpty() && client.socket.bytesAvailable() == 0);
    } else if (replies.size() == 2) {
        QCOMPARE(client.reply(), QByteArray("SM:OK"));
    }
    QVERIFY(client.quietFor(100));
    QCOMPARE(client.socket.state(),
             closes ? QAbstractSocket::UnconnectedState : QAbstractSocket::ConnectedState);

    Client next;
    QVERIFY(next.connectTo(sim.port));
    next.send("GM\r\n");
    if (nextClientReply.isNull())
        QVERIFY(next.quietFor(300));
    else
        QCOMPARE(next.reply(), nextClientReply);
}

void tst_InstrumentSim::severalClients()
{
    Sim sim;
    QVERIFY(sim.start({"--device-type", "1"}));
    Client a;
    Client b;
    Client c;
    QVERIFY(a.connectTo(sim.port));
    QVERIFY(b.connectTo(sim.port));
    QVERIFY(c.connectTo(sim.port));

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

    // Each client gets its own answers, in its own order.
    a.send("SC 1 from a\r\nGC 1\r\n");
    c.send("SC 2 from c\r\nGC 2\r\n");
    QCOMPARE(c.reply(), QByteArray("SC:OK"));
    QCOMPARE(c.reply(), QByteArray("GC 2:from c"));
    QCOMPARE(a.reply(), QByteArray("SC:OK"));
    QCOMPARE(a.reply(), QByteArray("GC 1:from a"));
    QVERIFY(b.quietFor(100));
}

void tst_InstrumentSim::addresses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("host");
    QTest::newRow("default, IPv4") << QStringList{} << QStringLiteral("127.0.0.1");
    QTest::newRow("default, IPv6") << QStringList{} << QStringLiteral("::1");
    QTest::newRow("given IPv6") << QStringList{"--listen", "::1"} << QStringLiteral("::1");
    QTest::newRow("given IPv6 in brackets") << QStringList{"--listen", "[::1]"} << QStringLiteral("::1");
}

void tst_InstrumentSim::addresses()
{
    QFETCH(QStringList, args);
    QFETCH(QString, host);
    if (host.contains(QLatin1Char(':')) && !ipv6Available())
        QSKIP("no IPv6 loopback on this machine");

    Sim sim;
    QVERIFY(sim.start(args, true));
    Client client;
    QVERIFY(client.connectTo(sim.port, host));
    client.send("GM\r\n");
    QCOMPARE(client.reply(), QByteArray("GM:0"));
}

void tst_InstrumentSim::badOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("port too high") << QStringList{"--port", "70000"};
    QTest::newRow("port negative") << QStringList{"--port", "-1"};
    QTest::newRow("port not a number") << QStringList{"--port", "abc"};
    QTest::newRow("port missing value") << QStringList{"--port"};
    QTest::newRow("device type 4") << QStringList{"--device-type", "4"};
    QTest::newRow("device type text") << QStringList{"--device-type", "one"};
    QTest::newRow("chunk 0") << QStringList{"--chunk", "0"};
    QTest::newRow("close-after 0") << QStringList{"--close-after", "0"};
    QTest::newRow("negative delay") << QStringList{"--reply-delay", "-5"};
    QTest::newRow("bad address") << QStringList{"--listen", "999.1.1.1"};
    QTest::newRow("unknown option") << QStringList{"--bogus"};
    QTest::newRow("stray argument") << QStringList{"extra"};
}

void tst_InstrumentSim::badOption()
{
    QFETCH(QStringList, args);

    QProcess process;
    process.start(QStringLiteral(INSTRUMENT_SIM_PATH), args);
    QVERIFY(process.waitForFinished(Timeout));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QByteArray error = process.readAllStandardError();
    QVERIFY2(error.startsWith("instrument-sim: ") && error.endsWith('\n') && error.count('\n') == 1,
             error.constData());
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

void tst_InstrumentSim::portInUse_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("given address") << QStringLiteral("127.0.0.1") << QStringList{"--listen", "127.0.0.1"};
    QTest::newRow("second given address")
        << QStringLiteral("::1") << QStringList{"--listen", "127.0.0.1", "--listen", "::1"};
    QTest::newRow("default addresses") << QStringLiteral("127.0.0.1") << QStringList{};
}

void tst_InstrumentSim::portInUse()
{
    QFETCH(QString, address);
    QFETCH(QStringList, args);
    if (address.contains(QLatin1Char(':')) && !ipv6Available())
        QSKIP("no IPv6 loopback on this machine");

    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress(address), 0));
    const QString port = QString::number(holder.serverPort());
    QProcess process;
    process.start(QStringLiteral(INSTRUMENT_SIM_PATH), args << QStringLiteral("--port") << port);
    QVERIFY(process.waitForFinished(Timeout));
    QCOMPARE(process.exitCode(), 2);
    const QByteArray error = process.readAllStandardError();
    QVERIFY2(error.contains(port.toLatin1()) && error.contains("in use"), error.constData());
    QVERIFY(!process.readAllStandardOutput().contains("listening"));
}

void tst_InstrumentSim::stopSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void tst_InstrumentSim::stopSignal()
{
    QFETCH(int, signal);

    Sim sim;
    QVERIFY(sim.start({}));
    Client client;
    QVERIFY(client.connectTo(sim.port));
    QCOMPARE(::kill(pid_t(sim.process.processId()), signal), 0);
    QVERIFY(sim.process.waitForFinished(Timeout));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_InstrumentSim)
#include "tst_instrumentsim.moc"
