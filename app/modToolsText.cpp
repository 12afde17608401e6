#include "modGlobal.h"
#include "modTools.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>

namespace modTools {

namespace {

using TextTable = QHash<int, QString>;

void loadTable(TextTable& table, const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString content = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(content).split(u'\n')) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok)
            table.insert(id, line.mid(tab + 1).toString());
    }
}

const TextTable& table()
{
    static const TextTable texts = [] {
        TextTable t;
        loadTable(t, QStringLiteral(":/texts/texts_de.tsv"));
        loadTable(t, QStringLiteral(":/texts/texts_en.tsv"));
        return t;
    }();
    return texts;
}

} // namespace

QString TextById(int id)
{
    return table().value(id);
}

QString GetText(qint16 id)
{
    return TextById(int(id) + modGlobal::LanguageOffset);
}

QList<int> TextIds()
{
    QList<int> ids = table().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString FormatText(const QString& templ, const QStringList& args)
{
    static const QString placeholder = QStringLiteral("%%");
    QString text = templ;
    const qsizetype count = std::min<qsizetype>(args.size(), 11);
    for (qsizetype i = 0; i < std::max<qsizetype>(count, 1); ++i) {
        const QString arg = i < count ? args.at(i) : QString();
        // The first placeholder is always filled, even with an empty value; later ones stop at the
        // first empty argument.
        if (i > 0 && arg.isEmpty())
            break;
        const qsizetype at = text.indexOf(placeholder);
        if (at < 0)
            break;
        text.replace(at, placeholder.size(), arg);
    }
    return text;
}

QString GetField(const QString& text, quint8 fieldNumber, bool numericOnly, const QString& separator)
{
    if (fieldNumber == 0)
        return {};
    // A separator of another length splits nothing: the text is its one field.
    const auto next = [&](qsizetype from) {
        const qsizetype at = separator.size() == 1 ? text.indexOf(separator.at(0), from) : -1;
        return at < 0 ? text.size() : at;
    };
    qsizetype from = 0;
    for (int field = 1; field < fieldNumber; ++field) {
        from = next(from) + 1;
        if (from > text.size())
            return {};
    }
    const QStringView field = QStringView(text).sliced(from, next(from) - from);
    if (!numericOnly)
        return field.toString();
    QString digits;
    for (const QChar c : field)
        if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.')
            digits.append(c);
    return digits;
}

// Blanks, a sign, digits with at most one point among or before them, blanks: only ASCII digits and
// blanks count. By hand: a settings file is read through it forty times, and a regular expression
// costs a match object each time.
bool IsNumeric(const QString& text)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && blank(text[i]))
        ++i;
    if (i < size && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; i < size && digit(text[i]); ++i)
        ++digits;
    if (i < size && text[i] == u'.')
        for (++i; i < size && digit(text[i]); ++i)
            ++digits;
    while (i < size && blank(text[i]))
        ++i;
    return digits > 0 && i == size;
}

std::optional<qint64> WholeValue(const QString& text)
{
    if (!IsNumeric(text))
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 9.0e18)
        return std::nullopt;
    // nearbyint follows the current rounding mode, which is to nearest with ties to even.
    std::fesetround(FE_TONEAREST);
    return qint64(std::nearbyint(value));
}

namespace {

// Windows-1252 in both directions, taken once from Qt's converter so that the hot receive path
// converts with a table lookup per byte.
struct CodePage
{
    std::array<char16_t, 256> toUnicode{};
    std::array<qint16, 65536> fromUnicode{};

    CodePage()
    {
        fromUnicode.fill(-1);
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QStringDecoder decoder("windows-1252");
        const QString decoded = decoder.isValid() ? decoder.decode(all) : QString::fromLatin1(all);
        for (int b = 0; b < 256; ++b) {
            const char16_t u = b < decoded.size() ? decoded.at(b).unicode() : char16_t(b);
            toUnicode[b] = u;
            fromUnicode[u] = qint16(b);
        }
    }
};

const CodePage& codePage()
{
    static const CodePage page;
    return page;
}

} // namespace

QByteArray ToAnsi(const QString& text)
{
    QByteArray bytes;
    AppendAnsi(bytes, text);
    return bytes;
}

void AppendAnsi(QByteArray& bytes, QStringView text)
{
    const CodePage& page = codePage();
    const qsizetype start = bytes.size();
    bytes.resize(start + text.size());
    char* out = bytes.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const qint16 b = page.fromUnicode[c.unicode()];
        if (b >= 0) {
            *out++ = char(b);
            continue;
        }
        // A character outside the code page, a surrogate pair included, becomes one "?".
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        *out++ = '?';
    }
    bytes.truncate(out - bytes.constData());
}

QString FromAnsi(QByteArrayView bytes)
{
    const CodePage& page = codePage();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(page.toUnicode[quint8(bytes[i])]);
    return text;
}

} // namespace modTools
