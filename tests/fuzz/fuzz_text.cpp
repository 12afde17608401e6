// Random texts through the field splitter, the placeholder filler and the code page.
#include "modTools.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const quint8 fieldNumber = data[0];
    const QString separator = QString(QChar(data[1] % 2 ? u'#' : u','));
    const QString text = modTools::FromAnsi(QByteArrayView(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));

    // The fields of a text, joined again, give the text back.
    QStringList fields;
    for (int k = 1; k <= 255; ++k) {
        const QString field = modTools::GetField(text, quint8(k), false, separator);
        if (k > text.count(separator.at(0)) + 1) {
            if (!field.isEmpty())
                std::abort();
            break;
        }
        fields << field;
    }
    if (text.count(separator.at(0)) < 255 && fields.join(separator) != text)
        std::abort();
    const QString numeric = modTools::GetField(text, fieldNumber, true, separator);
    for (const QChar c : numeric)
        if (!(c.isDigit() || c == u'-' || c == u'.'))
            std::abort();
    modTools::IsNumeric(numeric);
    modTools::WholeValue(numeric);

    const QStringList args = text.split(u'|');
    const QString filled = modTools::FormatText(text, args);
    if (!text.contains(QLatin1String("%%")) && filled != text)
        std::abort();

    if (modTools::FromAnsi(modTools::ToAnsi(modTools::FromAnsi(modTools::ToAnsi(text)))) !=
        modTools::FromAnsi(modTools::ToAnsi(text)))
        std::abort();
    return 0;
}
