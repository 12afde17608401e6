#include "Catalogue.h"

#include "modTools.h"

#include <algorithm>
#include <limits>

using modTools::FormatText;
using modTools::GetField;
using modTools::GetText;

namespace Catalogue {

namespace {

// First ids of the set and query blocks, by device type.
struct Blocks
{
    qint16 set;
    qint16 query;
};

constexpr std::array<Blocks, 4> blocks{{{1000, 1200}, {2000, 2200}, {6001, 6200}, {4000, 4200}}};

constexpr qint16 WaitEntry = 5000;
constexpr qint16 WaitTemplate = 5001;

void appendBlock(QStringList& entries, qint16 first)
{
    for (qint16 id = first;; ++id) {
        const QString text = GetText(id);
        if (text.isEmpty())
            return;
        entries.append(text);
    }
}

QString field(const QString& text, int number)
{
    return GetField(text, quint8(number), false, QStringLiteral(","));
}

} // namespace

QStringList ListCatalogue(int deviceType, bool withQueries)
{
    const Blocks& block = blocks[size_t(deviceType >= 0 && deviceType <= 2 ? deviceType : 3)];
    QStringList entries;
    appendBlock(entries, block.set);
    if (withQueries)
        appendBlock(entries, block.query);
    else
        entries.append(GetText(WaitEntry));
    return entries;
}

Entry ReadEntry(const QString& text)
{
    Entry entry;
    entry.caption = field(text, 1);
    entry.note = field(text, 2);
    entry.count = field(text, 3);
    entry.code = field(text, 4);
    for (int k = 1; k <= 2; ++k) {
        Parameter& parameter = entry.parameters[size_t(k - 1)];
        parameter.name = field(text, 3 * k + 2);
        parameter.format = field(text, 3 * k + 3);
        parameter.limit = field(text, 3 * k + 4);
    }
    return entry;
}

int ParameterCount(const Entry& entry)
{
    const auto count = modTools::WholeValue(entry.count);
    if (!count || *count < 0)
        return -1;
    // Nothing beyond the second parameter is ever read.
    return int(std::min<qint64>(*count, 2));
}

NumberRange NumericLimit(const QString& limit)
{
    const QString separator = QStringLiteral("#");
    const auto low = modTools::WholeValue(GetField(limit, 1, true, separator));
    const auto high = modTools::WholeValue(GetField(limit, 2, true, separator));
    NumberRange range;
    if (low)
        range.minimum =
            std::clamp<qint64>(*low, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (high)
        range.maximum = std::clamp(*high, LowestNumber, HighestNumber);
    return range;
}

int TextLimit(const QString& format, const QString& limit)
{
    const int fallback = format == QLatin1String("%p") ? 256 : 100;
    const auto value = modTools::WholeValue(limit);
    // A text box takes at most 32767 characters; a length outside 1..32767 is no usable limit.
    if (!value || *value < 1 || *value > std::numeric_limits<qint16>::max())
        return fallback;
    return int(*value);
}

QString LimitText(const QString& format, const QString& limit)
{
    if (format == QLatin1String("%d")) {
        const NumberRange range = NumericLimit(limit);
        return FormatText(GetText(3211), {QString::number(range.minimum), QString::number(range.maximum)});
    }
    if (format == QLatin1String("%s") || format == QLatin1String("%u") || format == QLatin1String("%r"))
        return FormatText(GetText(3212), {QString::number(TextLimit(format, limit))});
    if (format == QLatin1String("%p"))
        return FormatText(GetText(3213), {QString::number(TextLimit(format, limit))});
    return {};
}

bool IsAddressName(const QString& name)
{
    if (name.isEmpty())
        return false;
    return name == GetText(3057) || name == GetText(3058) || name == GetText(3059);
}

QString WaitCode()
{
    return FormatText(GetText(WaitTemplate), {QString()});
}

QString WaitCommand(qint64 seconds)
{
    return FormatText(GetText(WaitTemplate), {QLatin1Char('=') + QString::number(seconds)});
}

} // namespace Catalogue
