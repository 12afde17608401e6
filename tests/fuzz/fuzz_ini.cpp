// Random file content through the INI reader and writer: nothing may crash, a written value must
// read back, and the keys the write did not touch must keep their values.
#include "FuzzCheck.h"
#include "IniDocument.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniDocument doc =
        IniDocument::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    static const QStringList sections{"SETTINGS", "settings", "Other", ""};
    static const QStringList keys{"Port", "Name", "Command1", "Descript1", "x", ""};
    const QString section = sections.at(size % sections.size());
    const QString key = keys.at((size / 7) % keys.size());
    QList<std::optional<QString>> before;
    for (const QString& k : keys)
        before << doc.value(section, k);

    // The value carries blanks, "#", a quote and a line break, as operators' notes do.
    doc.setValue(section, key, QStringLiteral("v %1#\"q\r\nx").arg(size));
    // Empty section or key names cannot be found again on every input; the rest must.
    if (!section.isEmpty() && !key.isEmpty())
        check(doc.value(section, key) == QStringLiteral("v %1#\"q x").arg(size));
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (keys.at(i).compare(key, Qt::CaseInsensitive) != 0 && !keys.at(i).isEmpty() && !key.isEmpty())
            check(doc.value(section, keys.at(i)) == before.at(i));
    return 0;
}
