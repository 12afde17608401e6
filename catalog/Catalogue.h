// The command catalogue of the four device types and the building of a command from one of its
// entries, as the command assistant does it; nothing here needs a widget.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace Catalogue {

// Lowest and highest value a numeric field may hold: any bounds the catalogue can express.
inline constexpr qint64 LowestNumber = -2147483648LL;
inline constexpr qint64 HighestNumber = 4294967295LL;

// The entries offered for a device type (0..3, anything else counts as 3), in the current
// language: the set commands, then either the query commands or the wait entry.
QStringList ListCatalogue(int deviceType, bool withQueries);

struct Parameter
{
    QString name;
    QString format; // "%d", "%s", "%r", "%u" or "%p"
    QString limit;  // "min#max" for "%d", the maximum length for the others
};

// The fields of one entry: caption, note, count, code, then name, format and limit of up to two
// parameters. Missing fields read as empty.
struct Entry
{
    QString caption;
    QString note;
    QString count;
    QString code;
    std::array<Parameter, 2> parameters;
};

Entry ReadEntry(const QString& text);

// The number of parameters of an entry, 0..2; -1 when its count field is not a usable number,
// which makes the entry one that is accepted without parameters.
int ParameterCount(const Entry& entry);

struct NumberRange
{
    qint64 minimum = 0;
    qint64 maximum = 1;
};

// Bounds of a "%d" parameter from "min#max": min as a signed 32-bit number (0 when not numeric),
// max up to 4294967295 held exactly (1 when not numeric).
NumberRange NumericLimit(const QString& limit);

// Maximum length of a text parameter: the limit when it is a usable number, else 256 for a path
// and 100 for the other formats.
int TextLimit(const QString& format, const QString& limit);

// The limit as the assistant shows it below the input (texts 3211, 3212, 3213); empty for a
// format it does not know.
QString LimitText(const QString& format, const QString& limit);

// True when a parameter name is one of the three address names of the current language (texts
// 3057-3059); such a parameter is preset with the address taken last.
bool IsAddressName(const QString& name);

// Wait pseudo-command ------------------------------------------------------------------------

// "<WAIT_TIME>": the code of the wait entry.
QString WaitCode();
// The wait for seconds, e.g. "<WAIT_TIME=5>".
QString WaitCommand(qint64 seconds);

} // namespace Catalogue
