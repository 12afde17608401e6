// Random texts through the field splitter, the placeholder filler and the code page.
#include "FuzzCheck.h"
#include "modTools.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QString separator = QString(QChar(data[1] % 2 ? u'#' : u','));
    const QString text = modTools::FromAnsi(QByteArrayView(data + 2, qsizetype(size - 2)));
    const qsizetype separators = text.count(separator);

    // The fields of a text, joined again, give the text back; beyond the last there is nothing.
    QStringList fields;
    for (int k = 1; k <= 255 && k <= separators + 1; ++k)
        fields << modTools::GetField(text, quint8(k), false, separator);
    if (separators < 255) {
        check(fields.join(separator) == text);
        check(modTools::GetField(text, quint8(separators + 2), false, separator).isEmpty());
    }
    const QString numeric = modTools::GetField(text, data[0], true, separator);
    for (const QChar c : numeric)
        check(c.isDigit() || c == u'-' || c == u'.');
    // The number rule as a regular expression, written apart from the reader.
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    check(modTools::IsNumeric(text) == number.match(text).hasMatch());
    modTools::WholeValue(numeric);

    const QString filled = modTools::FormatText(text, text.split(u'|'));
    check(text.contains(QLatin1String("%%")) || filled == text);
    const QString once = modTools::FromAnsi(modTools::ToAnsi(text));
    check(modTools::FromAnsi(modTools::ToAnsi(once)) == once);
    return 0;
}
