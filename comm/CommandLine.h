// The rules of the command line: line-break markers, the CR LF suffix and the wait
// pseudo-command, which pauses instead of being sent.
#pragma once

#include <QString>

#include <optional>

namespace CommandLine {

// Every CR as "<CR>", then every LF as "<LF>": how a line shows in the traffic log.
QString MarkLineBreaks(const QString& text);
// Every "<CR>" as CR, then every "<LF>" as LF; markers written in lower case stay as they are.
QString ExpandLineMarkers(const QString& text);

// The command as sent, before the markers are expanded: with CR LF appended when asked for.
QString WithLineEnd(const QString& command, bool appendCrLf);

// Whether the command begins with the first ten characters of the wait pseudo-command
// ("<WAIT_TIME").
bool IsWaitCommand(const QString& command);
// The seconds of a wait command: what follows the "=", digits, "-" and "." only.
QString WaitSecondsText(const QString& command);
// "2 Sekunde(n)": the traffic log's text for a wait of these seconds.
QString WaitRowText(const QString& secondsText);
// Number of 100 ms steps, rounded half to even; nothing when the seconds text is not a number.
std::optional<qint64> WaitTicks(const QString& secondsText);

} // namespace CommandLine
