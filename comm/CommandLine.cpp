#include "CommandLine.h"

#include "modTools.h"

#include <cfenv>
#include <cmath>

namespace CommandLine {

namespace {

const QString crMarker = QStringLiteral("<CR>");
const QString lfMarker = QStringLiteral("<LF>");

} // namespace

QString MarkLineBreaks(const QString& text)
{
    // One pass: replacing in place would move the rest of a long reply once per line break.
    QString marked;
    marked.reserve(text.size() + text.size() / 4);
    for (const QChar c : text) {
        if (c == u'\r')
            marked += crMarker;
        else if (c == u'\n')
            marked += lfMarker;
        else
            marked += c;
    }
    return marked;
}

QString ExpandLineMarkers(const QString& text)
{
    QString expanded = text;
    expanded.replace(crMarker, QStringLiteral("\r"));
    expanded.replace(lfMarker, QStringLiteral("\n"));
    return expanded;
}

QString WithLineEnd(const QString& command, bool appendCrLf)
{
    return appendCrLf ? command + QLatin1String("\r\n") : command;
}

bool IsWaitCommand(const QString& command)
{
    const QString prefix = modTools::FormatText(modTools::GetText(5001), {QString()}).left(10);
    // Without its text every command would begin with the empty prefix.
    return !prefix.isEmpty() && command.startsWith(prefix);
}

QString WaitSecondsText(const QString& command)
{
    return modTools::GetField(command, 2, true, QStringLiteral("="));
}

QString WaitRowText(const QString& secondsText)
{
    return modTools::FormatText(modTools::GetText(5002), {secondsText});
}

std::optional<qint64> WaitTicks(const QString& secondsText)
{
    if (!modTools::IsNumeric(secondsText))
        return std::nullopt;
    const double ticks = secondsText.trimmed().toDouble() * 10.0;
    if (!std::isfinite(ticks) || std::fabs(ticks) > 9.0e18)
        return std::nullopt;
    std::fesetround(FE_TONEAREST);
    return qint64(std::nearbyint(ticks));
}

} // namespace CommandLine
