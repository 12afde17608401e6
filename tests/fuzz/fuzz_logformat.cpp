// Any text, read as UTF-16 so that every control character and lone surrogates occur, through the
// journal line, the CSV record and the JSON line: each gives exactly one line or one record, and
// what a reader parses back is the text with each control character as <XX> and each lone
// surrogate as U+FFFD.
#include "FuzzCheck.h"
#include "LogFormat.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Worked out apart from the writer, as a reader of the files expects the text.
QString expectedText(const QString& text)
{
    QString out;
    out.reserve(text.size() * 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) {
            // By hand: a formatted number costs several allocations, and inputs are full of NULs.
            const auto digit = [](int v) { return QChar(v < 10 ? u'0' + v : u'A' + v - 10); };
            out += u'<';
            out += digit(c.unicode() / 16);
            out += digit(c.unicode() % 16);
            out += u'>';
        } else {
            out += c;
        }
    }
    return out;
}

// The fields of one RFC 4180 record that must fill bytes exactly, CR LF at its end included.
std::optional<QList<QByteArray>> csvRecord(const QByteArray& bytes)
{
    QList<QByteArray> fields{QByteArray()};
    qsizetype i = 0;
    bool quoted = false;
    bool fieldStart = true;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                fields.last() += '"';
                i += 2;
                continue;
            }
            if (c == '"')
                quoted = false;
            else
                fields.last() += c;
        } else if (c == '"' && fieldStart) {
            quoted = true;
        } else if (c == ',') {
            fields.append(QByteArray());
            fieldStart = true;
            ++i;
            continue;
        } else if (c == '\r' && i + 2 == bytes.size() && bytes[i + 1] == '\n') {
            return fields;
        } else if (c == '"' || c == '\r' || c == '\n') {
            return std::nullopt;
        } else {
            fields.last() += c;
        }
        fieldStart = false;
        ++i;
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const LogRow row{QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3, 456), Qt::UTC), LogMode::Get, text};
    const QString expected = expectedText(text);
    // Compared as bytes: a decoder would drop a byte-order mark at the start of a field.
    const QByteArray expectedUtf8 = expected.toUtf8();

    const QByteArray line = LogFormat::JournalLine(row);
    check(line.endsWith('\n') && line.count('\n') == 1 && !line.contains('\r'));
    const QList<QByteArray> parts = line.chopped(1).split('\t');
    check(parts.size() == 3 && parts[0] == "2026-12-07T01:02:03.456Z" && parts[1] == "Get");
    check(parts[2] == expectedUtf8);

    const auto record = csvRecord(LogFormat::CsvRecord(row));
    check(record && record->size() == 4 && (*record)[2] == "Get");
    check((*record)[3] == expectedUtf8);

    const QByteArray json = LogFormat::JsonLine(row);
    check(json.endsWith('\n') && json.count('\n') == 1);
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(json, &error).object();
    check(error.error == QJsonParseError::NoError && object.value("text").toString() == expected);
    return 0;
}
