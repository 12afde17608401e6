// The runner's inputs: the first line of the input picks the part, the rest is its input.
//   0: arguments, one a line; parsing ends in a run, help, version or a one-line usage error.
//   1: a script file's bytes; every command is one non-blank line that is no comment.
//   2: a --reply-timeout value; accepted exactly when it is a whole number from 0 to 86400.
//   3: a wait command; its seconds give a number of 100 ms steps, never a negative one for a
//      text without a minus sign.
#include "CommandLine.h"
#include "FuzzCheck.h"
#include "RunOptions.h"

namespace {

void arguments(const QString& input)
{
    RunOptions::Options options;
    QString message;
    const auto parsed = RunOptions::Parse(QStringList{"relaytab-run"} + input.split(u'\n'), options, message);
    if (parsed == RunOptions::Parsed::Error)
        check(!message.isEmpty() && !message.contains(u'\n'));
    if (parsed == RunOptions::Parsed::Run)
        check(int(!options.commands.isEmpty()) + int(!options.scriptFile.isEmpty()) +
                  int(!options.setFile.isEmpty()) ==
              1);
}

void script(const QByteArray& bytes)
{
    const auto commands = RunOptions::ScriptCommands(bytes);
    if (!commands)
        return;
    for (const QString& command : *commands)
        check(!command.trimmed().isEmpty() && !command.trimmed().startsWith(u'#') &&
              !command.contains(u'\n'));
}

void replyTimeout(const QString& value)
{
    RunOptions::Options options;
    QString message;
    const auto parsed = RunOptions::Parse({"relaytab-run", "--reply-timeout", value, "GM"}, options, message);
    bool whole = !value.isEmpty() && value.size() <= 12;
    for (qsizetype i = 0; whole && i < value.size(); ++i)
        whole = value[i].isDigit() && value[i].unicode() < 0x80;
    const bool inRange = whole && value.toLongLong() <= 86400;
    // QString::toLongLong also takes a sign and blanks around the digits.
    if (inRange)
        check(parsed == RunOptions::Parsed::Run && options.replyTimeoutS == value.toInt());
    if (parsed == RunOptions::Parsed::Run)
        check(options.replyTimeoutS >= 0 && options.replyTimeoutS <= 86400);
}

void wait(const QString& command)
{
    const QString seconds = CommandLine::WaitSecondsText(command);
    for (const QChar c : seconds)
        check(c.isDigit() || c == u'-' || c == u'.');
    const auto ticks = CommandLine::WaitTicks(seconds);
    if (ticks && !seconds.contains(u'-'))
        check(*ticks >= 0);
    (void)CommandLine::WaitRowText(seconds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype newline = bytes.indexOf('\n');
    const QByteArray body = newline < 0 ? QByteArray() : bytes.mid(newline + 1);
    switch (bytes.left(newline < 0 ? bytes.size() : newline).toInt()) {
    case 0:
        arguments(QString::fromUtf8(body));
        break;
    case 1:
        script(body);
        break;
    case 2:
        replyTimeout(QString::fromUtf8(body));
        break;
    default:
        wait(QString::fromUtf8(body));
        break;
    }
    return 0;
}
