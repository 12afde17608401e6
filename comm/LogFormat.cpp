#include "LogFormat.h"

namespace LogFormat {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

// C0, DEL and C1: readers that split lines on NEL (U+0085) and the like must see one line a row.
bool needsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

void appendTwoDigits(QByteArray& out, int value)
{
    out += char('0' + value / 10);
    out += char('0' + value % 10);
}

// Written by hand: QDateTime::toString with a format costs more than the rest of a journal line.
void appendIsoTime(QByteArray& out, const QDateTime& time)
{
    const QDateTime utc = time.toUTC();
    const QDate date = utc.date();
    const QTime clock = utc.time();
    const int year = date.year();
    if (year < 0 || year > 9999) {
        out += utc.toString(Qt::ISODateWithMs).toLatin1();
        return;
    }
    appendTwoDigits(out, year / 100);
    appendTwoDigits(out, year % 100);
    out += '-';
    appendTwoDigits(out, date.month());
    out += '-';
    appendTwoDigits(out, date.day());
    out += 'T';
    appendTwoDigits(out, clock.hour());
    out += ':';
    appendTwoDigits(out, clock.minute());
    out += ':';
    appendTwoDigits(out, clock.second());
    out += '.';
    out += char('0' + clock.msec() / 100);
    appendTwoDigits(out, clock.msec() % 100);
    out += 'Z';
}

QByteArray escapedUtf8(const QString& text)
{
    return EscapedText(text).toUtf8();
}

} // namespace

QString EscapedText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && !needsEscape(text[i].unicode()) && !text[i].isSurrogate())
        ++i;
    if (i == text.size())
        return text;
    QString out;
    out.reserve(text.size() + 16);
    out += QStringView(text).first(i);
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            // Half a character has no UTF-8; the replacement character says something was there.
            out += QChar(QChar::ReplacementCharacter);
        } else if (needsEscape(c.unicode())) {
            out += u'<';
            out += QLatin1Char(hexDigits[c.unicode() >> 4]);
            out += QLatin1Char(hexDigits[c.unicode() & 0xF]);
            out += u'>';
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray IsoTime(const QDateTime& time)
{
    QByteArray out;
    appendIsoTime(out, time);
    return out;
}

QByteArray JournalLine(const LogRow& row)
{
    QByteArray out;
    out.reserve(32 + row.text.size());
    appendIsoTime(out, row.time);
    out += '\t';
    out += ModeWord(row).toLatin1();
    out += '\t';
    out += escapedUtf8(row.text);
    out += '\n';
    return out;
}

QByteArray JournalHeader()
{
    return QByteArrayLiteral("# Relaytab " RELAYTAB_VERSION " traffic journal\n");
}

QByteArray JournalComment(const QString& comment)
{
    QString text = comment;
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return "# " + text.toUtf8() + '\n';
}

QByteArray CsvByteOrderMark()
{
    return QByteArrayLiteral("\xEF\xBB\xBF");
}

QByteArray CsvHeader()
{
    return QByteArrayLiteral("date,time,mode,text\r\n");
}

QByteArray CsvField(const QByteArray& utf8)
{
    bool quote = false;
    for (const char c : utf8)
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    if (!quote)
        return utf8;
    QByteArray out;
    out.reserve(utf8.size() + 8);
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

QByteArray CsvRecord(const LogRow& row)
{
    // "2026-12-07T01:02:03.456Z" gives the date and the time fields.
    const QByteArray iso = IsoTime(row.time);
    const qsizetype t = iso.indexOf('T');
    QByteArray out;
    out.reserve(40 + row.text.size());
    out += iso.left(t);
    out += ',';
    out += iso.mid(t + 1, iso.size() - t - 2);
    out += ',';
    out += ModeWord(row).toLatin1();
    out += ',';
    out += CsvField(escapedUtf8(row.text));
    out += "\r\n";
    return out;
}

QByteArray JsonLine(const LogRow& row)
{
    const QString text = EscapedText(row.text);
    QByteArray out;
    out.reserve(64 + text.size());
    out += "{\"time\":\"";
    appendIsoTime(out, row.time);
    out += "\",\"mode\":\"";
    out += ModeWord(row).toLatin1();
    out += "\",\"text\":\"";
    // Control characters are escaped already; the quote and the backslash remain, the
    // noncharacters (U+FFFF and the like), which some JSON readers refuse as raw UTF-8, and the
    // byte-order mark, which some drop at the start of a string.
    qsizetype plain = 0;
    const auto flush = [&](qsizetype upTo) {
        out += QStringView(text).sliced(plain, upTo - plain).toUtf8();
        plain = upTo;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t point = pair ? QChar::surrogateToUcs4(c, text[i + 1]) : c.unicode();
        if (c == u'"' || c == u'\\') {
            flush(i);
            out += '\\';
        } else if (QChar::isNonCharacter(point) || point == 0xFEFF) {
            flush(i);
            for (qsizetype k = i; k <= i + (pair ? 1 : 0); ++k) {
                out += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += hexDigits[(text[k].unicode() >> shift) & 0xF];
            }
            plain = i + (pair ? 2 : 1);
        }
        if (pair)
            ++i;
    }
    flush(text.size());
    out += "\"}\n";
    return out;
}

} // namespace LogFormat
