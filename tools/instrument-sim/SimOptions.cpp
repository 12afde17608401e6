#include "SimOptions.h"

#include <QCommandLineParser>

#include <limits>

namespace sim {

namespace {

const char* const ReplyFormat = R"(
Replies (Windows-1252, each ending in CR LF, each containing a colon):
  <CODE>:OK                set command accepted, e.g. "SP:OK", "SM:OK"
  <CODE> <arg>:<value>     query with an address or group, e.g. "GP 17:3", "GM 2:1"
  <CODE>:<value>           query without one, e.g. "GM:1", "GCA:Housing 12"
  ERR:<message>            unknown command or bad parameter,
                           e.g. "ERR:unknown command 'XYZ'"
  With --no-colon every ":" of a reply becomes "=".
  A query of a value never set answers 0 for numbers and nothing for texts.
  Set commands are accepted in every production mode.

Commands end at CR or LF (CR LF counts once, empty lines are ignored) or when
no further byte arrives for 50 ms. Command words are matched without regard to
case; numbers are whole decimal numbers; a text parameter is the rest of the
line after the blank that follows the previous parameter, blanks included.
Lines over 1048576 bytes are answered with an error and dropped.

Device types and their commands (set commands; queries):
  0  address 0..99: SM 0|1|2, SP, CA, CB, UF, UN, XC, RM; GM
  1  address 0..255: SM -1|1|2, SP, SC, SN, SP1, SP2, SB, SR, UF, LD, SO, SU,
     SCA, SNA, SP1A, SP2A, SBA, SRA; GM, GP, GC, GN, GP1, GP2, GB, GR, GCA,
     GBA, GNA, GP1A, GP2A, GRA
  2  address 0..98: SM -1 [group 0..3], SM 1 [group 0..3], SM 2 [address],
     SU, SO, UF, LD, SP, SC, SC2, SN, SN2, SP1, SP12, SP2, SP22, SB, SB2, SR,
     SR2, SCA, SCB, SNA, SNB, SP1A, SP2A, SP1B, SP2B, SBA, SBB, SRA, SRB, AGA,
     AGB; GM <group 1..3>, GU, GP, GC, GC2, GN, GN2, GP1, GP12, GP2, GP22, GB,
     GB2, GR, GR2, GCA, GCB, GNA, GNB, GP1A, GP2A, GP1B, GP2B, GBA, GBB, GRA, GRB
  3  address 1..8: SM -1|1, SC, SN, SP1, SP2, SB, SR, UF, LD, SU, SCA, SNA,
     SP1A, SP2A, SBA, SRA; GM, GC, GN, GP1, GP2, GB, GR, GCA, GBA, GNA, GP1A,
     GP2A, GRA
  SO (device type 2) takes an interface command with "!" (execution, answered
  "SO:OK") or "?" (question, answered "SO <address>:<value>" with the value that
  the same command with "!" last set, else 0); XC and SO of device types 0 and 1
  work alike without needing the "!".

Exit status: 0 after SIGINT or SIGTERM, 2 for a bad option or when a port or
address cannot be listened on.

Try it with relaytab-run, beside this program in the same folder:
  instrument-sim --port 5025 &
  relaytab-run --port 5025 --crlf "SM 1" "<WAIT_TIME=2>" "GM" "SM 0"
)";

bool readInt(const QCommandLineParser& parser, const QString& name, int min, int max, int& result,
             QString& message)
{
    if (!parser.isSet(name))
        return true;
    const QString text = parser.value(name);
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < min || value > max) {
        message =
            QStringLiteral("invalid value '%1' for --%2 (expected %3..%4)").arg(text, name).arg(min).arg(max);
        return false;
    }
    result = int(value);
    return true;
}

} // namespace

ParseResult parseOptions(const QStringList& arguments, SimOptions& options, QString& message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays the instrument application's command server on TCP, for trying and testing "
                       "Relaytab without an instrument."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    parser.addOption(help);
    parser.addOptions({
        {QStringLiteral("listen"),
         QStringLiteral("Listen on ADDRESS (repeatable). Default: 127.0.0.1, ::1 and the loopback "
                        "addresses of this computer's host name."),
         QStringLiteral("ADDRESS")},
        {QStringLiteral("port"),
         QStringLiteral("TCP port, 0 picks a free one (default %1).").arg(DefaultCommandPort),
         QStringLiteral("N")},
        {QStringLiteral("device-type"),
         QStringLiteral("Command vocabulary of device type N, 0..3 (default 0)."), QStringLiteral("N")},
        {QStringLiteral("reply-delay"),
         QStringLiteral("Answer each command MS milliseconds after it arrived."), QStringLiteral("MS")},
        {QStringLiteral("chunk"), QStringLiteral("Send each reply in pieces of N bytes, 10 ms apart."),
         QStringLiteral("N")},
        {QStringLiteral("no-colon"), QStringLiteral("Replies never contain a colon (\":\" becomes \"=\").")},
        {QStringLiteral("close-after"), QStringLiteral("Close a connection after answering N commands."),
         QStringLiteral("N")},
        {QStringLiteral("silent"), QStringLiteral("Accept connections and read, but never answer.")},
        {QStringLiteral("verbose"), QStringLiteral("Print each command and reply with a UTC timestamp.")},
    });
    if (!parser.parse(arguments)) {
        message = parser.errorText();
        return ParseResult::Error;
    }
    if (parser.isSet(help)) {
        message = parser.helpText() + QString::fromLatin1(ReplyFormat);
        return ParseResult::Help;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst());
        return ParseResult::Error;
    }
    for (QString text : parser.values(QStringLiteral("listen"))) {
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')))
            text = text.mid(1, text.size() - 2);
        QHostAddress address;
        if (!address.setAddress(text)) {
            message = QStringLiteral("invalid address '%1' for --listen (expected an IP address)").arg(text);
            return ParseResult::Error;
        }
        if (!options.addresses.contains(address))
            options.addresses.append(address);
    }
    int port = options.port;
    constexpr int IntMax = std::numeric_limits<int>::max();
    if (!readInt(parser, QStringLiteral("port"), 0, 65535, port, message) ||
        !readInt(parser, QStringLiteral("device-type"), 0, 3, options.deviceType, message) ||
        !readInt(parser, QStringLiteral("reply-delay"), 0, 3600000, options.replyDelayMs, message) ||
        !readInt(parser, QStringLiteral("chunk"), 1, 1048576, options.chunk, message) ||
        !readInt(parser, QStringLiteral("close-after"), 1, IntMax, options.closeAfter, message)) {
        return ParseResult::Error;
    }
    options.port = quint16(port);
    options.noColon = parser.isSet(QStringLiteral("no-colon"));
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    return ParseResult::Run;
}

} // namespace sim
