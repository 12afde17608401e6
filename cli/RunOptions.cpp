#include "RunOptions.h"

#include "CommandSetFile.h"
#include "Defaults.h"
#include "Profiles.h"
#include "QuickDialMemories.h"
#include "Settings.h"
#include "modTools.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace RunOptions {

namespace {

const char* const ExitStatuses = R"(
Exit status:
  0    every command sent, and every reply waited for came
  1    a reply did not come within the reply timeout
  2    usage error
  3    could not connect
  4    the connection was lost during the run
  130  interrupted by SIGINT or SIGTERM
)";

// A whole number within minimum..maximum, else a usage message naming the option.
std::optional<int> number(const QCommandLineParser& parser, const QString& name, int minimum, int maximum,
                          QString& message)
{
    const QString text = parser.value(name);
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (ok && value >= minimum && value <= maximum)
        return int(value);
    message = QStringLiteral("--%1: \"%2\" is not a whole number from %3 to %4")
                  .arg(name, text, QString::number(minimum), QString::number(maximum));
    return std::nullopt;
}

QString readMessage(const QString& path, const QString& what)
{
    return QStringLiteral("cannot read %1 \"%2\"").arg(what, path);
}

} // namespace

Parsed Parse(const QStringList& arguments, Options& options, QString& message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends commands to an instrument's command server, each once the reply to the one before "
        "has come, and prints every line sent, every wait and every reply."));
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("Commands to send, in order."),
                                 QStringLiteral("[COMMAND ...]"));
    const auto option = [&](const QString& name, const QString& description, const QString& value = {}) {
        parser.addOption(QCommandLineOption(name, description, value));
    };
    const QString n = QStringLiteral("N");
    option(QStringLiteral("host"), QStringLiteral("Host; default: Name in Setup.ini, else 127.0.0.1."),
           QStringLiteral("HOST"));
    option(QStringLiteral("port"), QStringLiteral("Port; default: Port in Setup.ini, else 5025."),
           QStringLiteral("PORT"));
    option(QStringLiteral("device-type"),
           QStringLiteral("0..3; default: Device in Setup.ini, else 0. Type 2 always appends CR LF."), n);
    option(QStringLiteral("crlf"),
           QStringLiteral("Append CR LF to every line; default: AppendCrLf in Setup.ini."));
    option(QStringLiteral("no-crlf"), QStringLiteral("Append nothing."));
    option(QStringLiteral("set"), QStringLiteral("Command-set file (.cfg) to take a memory from."),
           QStringLiteral("FILE"));
    option(QStringLiteral("memory"), QStringLiteral("Memory 1..8 of the --set file."), n);
    option(QStringLiteral("script"),
           QStringLiteral(
               "File with one command per line, UTF-8; blank lines and lines starting with # skipped."),
           QStringLiteral("FILE"));
    option(QStringLiteral("repeat"), QStringLiteral("Passes, default 1; 0 repeats until interrupted."), n);
    option(QStringLiteral("reply-timeout"),
           QStringLiteral("Seconds to wait for a reply, default 10; 0 waits forever."), QStringLiteral("S"));
    option(QStringLiteral("connect-timeout"),
           QStringLiteral("Seconds to wait for the connection, default 10."), QStringLiteral("S"));
    option(QStringLiteral("format"),
           QStringLiteral("Output: text (default, the journal's lines), csv or jsonl."),
           QStringLiteral("text|csv|jsonl"));
    option(QStringLiteral("journal"), QStringLiteral("Also write the traffic journal into the data folder."));
    option(QStringLiteral("language"),
           QStringLiteral("Language of the wait rows and commands; default: Language in Setup.ini, else de."),
           QStringLiteral("de|en"));
    option(QStringLiteral("profile"), QStringLiteral("Use the data folder of profile NAME."),
           QStringLiteral("NAME"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments)) {
        message = parser.errorText();
        return Parsed::Error;
    }
    if (parser.isSet(help)) {
        message = parser.helpText() + QLatin1String(ExitStatuses);
        return Parsed::Help;
    }
    if (parser.isSet(version)) {
        message = QStringLiteral("relaytab-run %1").arg(QLatin1String(RELAYTAB_VERSION));
        return Parsed::Version;
    }

    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    const auto wanted = [&](const char* name, int minimum, int maximum, auto& into) {
        if (!isSet(name))
            return true;
        const auto read = number(parser, QLatin1String(name), minimum, maximum, message);
        if (read)
            into = *read;
        return read.has_value();
    };
    if (isSet("host")) {
        if (value("host").isEmpty()) {
            message = QStringLiteral("--host: empty");
            return Parsed::Error;
        }
        options.host = value("host");
    }
    int port = 0;
    if (isSet("port")) {
        if (!wanted("port", 1, 65535, port))
            return Parsed::Error;
        options.port = QString::number(port);
    }
    int device = 0;
    if (isSet("device-type")) {
        if (!wanted("device-type", 0, 3, device))
            return Parsed::Error;
        options.deviceType = device;
    }
    if (isSet("crlf") && isSet("no-crlf")) {
        message = QStringLiteral("--crlf and --no-crlf exclude each other");
        return Parsed::Error;
    }
    if (isSet("crlf") || isSet("no-crlf"))
        options.crlf = isSet("crlf");
    if (!wanted("memory", 1, QuickDialMemories::Count, options.memory) ||
        !wanted("repeat", 0, INT_MAX, options.repeat) ||
        !wanted("reply-timeout", 0, 86400, options.replyTimeoutS) ||
        !wanted("connect-timeout", 1, 3600, options.connectTimeoutS))
        return Parsed::Error;
    options.setFile = value("set");
    options.scriptFile = value("script");
    options.commands = parser.positionalArguments();
    options.journal = isSet("journal");

    if (isSet("format")) {
        static const QStringList formats{QStringLiteral("text"), QStringLiteral("csv"),
                                         QStringLiteral("jsonl")};
        const qsizetype index = formats.indexOf(value("format"));
        if (index < 0) {
            message = QStringLiteral("--format: \"%1\" is none of text, csv, jsonl").arg(value("format"));
            return Parsed::Error;
        }
        options.format = Format(index);
    }
    if (isSet("language")) {
        const qsizetype index =
            QStringList{QStringLiteral("de"), QStringLiteral("en")}.indexOf(value("language"));
        if (index < 0) {
            message = QStringLiteral("--language: \"%1\" is neither de nor en").arg(value("language"));
            return Parsed::Error;
        }
        options.language = int(index);
    }
    if (isSet("profile")) {
        if (!Profiles::IsValidName(value("profile"))) {
            message = Profiles::InvalidNameMessage(value("profile"));
            return Parsed::Error;
        }
        options.profile = value("profile");
    }

    for (const char* file : {"set", "script"}) {
        if (isSet(file) && value(file).isEmpty()) {
            message = QStringLiteral("--%1: empty file name").arg(QLatin1String(file));
            return Parsed::Error;
        }
    }
    if (isSet("set") != isSet("memory")) {
        message = QStringLiteral("--set and --memory go together");
        return Parsed::Error;
    }
    const int sources = int(isSet("set")) + int(isSet("script")) + int(!options.commands.isEmpty());
    if (sources != 1) {
        message = sources == 0 ? QStringLiteral("no commands: give --set and --memory, --script, or commands")
                               : QStringLiteral("give only one of --set/--memory, --script and commands");
        return Parsed::Error;
    }
    return Parsed::Run;
}

void ApplyStored(Options& options, const QString& setupFile)
{
    const bool stored = QFileInfo::exists(setupFile);
    const auto text = [&](Settings::Key key, const QString& fallback) {
        if (!stored)
            return fallback;
        QString value;
        modTools::ReadIniString(QLatin1String(Settings::Section), QLatin1String(Settings::Info(key).name),
                                fallback, value, Settings::Info(key).size, setupFile);
        return value;
    };
    const auto number = [&](Settings::Key key) { return stored ? Settings::ReadNumber(key, setupFile) : 0; };
    if (!options.host)
        options.host = text(Settings::Key::Name, QStringLiteral("127.0.0.1"));
    if (!options.port)
        options.port = text(Settings::Key::Port, QString::number(DefaultCommandPort));
    if (!options.deviceType)
        options.deviceType = number(Settings::Key::Device);
    if (!options.crlf)
        options.crlf = number(Settings::Key::AppendCrLf) != 0;
    if (!options.language)
        options.language = number(Settings::Key::Language);
}

std::optional<QStringList> ScriptCommands(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    QStringList commands;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'#'))
            commands.append(line);
    }
    return commands;
}

bool LoadCommands(const Options& options, QStringList& commands, QString& message)
{
    if (!options.commands.isEmpty()) {
        commands = options.commands;
        return true;
    }
    const bool fromSet = !options.setFile.isEmpty();
    const QString path = fromSet ? options.setFile : options.scriptFile;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        message = readMessage(path, fromSet ? QStringLiteral("command set") : QStringLiteral("script"));
        return false;
    }
    if (fromSet) {
        file.close();
        QuickDialMemories memories;
        CommandSetFile::LoadCommandSet(path, memories);
        commands = memories.entries(options.memory)->commands();
        if (commands.isEmpty())
            message = QStringLiteral("memory %1 of \"%2\" is empty").arg(options.memory).arg(path);
        return !commands.isEmpty();
    }
    const auto read = ScriptCommands(file.readAll());
    if (!read) {
        message = QStringLiteral("script \"%1\" is not UTF-8").arg(path);
        return false;
    }
    commands = *read;
    if (commands.isEmpty())
        message = QStringLiteral("script \"%1\" holds no command").arg(path);
    return !commands.isEmpty();
}

} // namespace RunOptions
