// relaytab-run, the command-line runner: its options, and where its commands come from. Parsing
// touches no file, so that every argument list can be tried without side effects.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace RunOptions {

// How the runner tells its caller how the run went.
enum Exit
{
    Success = 0,
    NoReply = 1,      // a reply did not come within the timeout
    UsageError = 2,   // the arguments, a file or a number
    NoConnection = 3, // refused, host not found or timed out
    ConnectionLost = 4,
    Interrupted = 130, // SIGINT or SIGTERM
};

enum class Format
{
    Text,  // the journal's lines
    Csv,   // the export's records, header first
    Jsonl, // one JSON object a line
};

struct Options
{
    // Unset values come from Setup.ini, else from the built-in defaults (ApplyStored).
    std::optional<QString> host;
    std::optional<QString> port;
    std::optional<int> deviceType;
    std::optional<bool> crlf;
    std::optional<int> language; // 0 German, 1 English
    // Exactly one source: a memory of a command-set file, a script file, or the commands given.
    QString setFile;
    int memory = 0;
    QString scriptFile;
    QStringList commands;
    int repeat = 1; // 0 until interrupted
    int replyTimeoutS = 10;
    int connectTimeoutS = 10;
    Format format = Format::Text;
    bool journal = false;
    QString profile;
};

enum class Parsed
{
    Run,
    Help,    // message holds the help text
    Version, // message holds the version line
    Error,   // message holds the usage error, one line
};

// arguments as QCoreApplication::arguments(), the program's name first.
Parsed Parse(const QStringList& arguments, Options& options, QString& message);

// Fills what the arguments left unset from the settings file; a file that is missing gives the
// built-in defaults: 127.0.0.1, port 5025, device type 0, no CR LF, German.
void ApplyStored(Options& options, const QString& setupFile);

// The commands of a script file: one a line, UTF-8, LF or CR LF; blank lines and lines starting
// with "#" are skipped. Nothing when the bytes are not UTF-8.
std::optional<QStringList> ScriptCommands(const QByteArray& bytes);

// The commands to run, read from the source the options name; false with a one-line message when
// a file is missing or unreadable, or the memory or script is empty.
bool LoadCommands(const Options& options, QStringList& commands, QString& message);

} // namespace RunOptions
