#include "CommandSetFile.h"

#include "IniDocument.h"
#include "QuickDialMemories.h"
#include "modTools.h"

namespace CommandSetFile {

namespace {

const QString Section = QStringLiteral("SETTINGS");
const QString Separator = QStringLiteral("#");
constexpr QChar RemovedCode = QChar(0x14); // never part of a command or description

QString key(const char* name, int n)
{
    return QLatin1String(name) + QString::number(n);
}

QString readValue(const QString& filePath, const QString& key, const QString& defaultValue)
{
    QString value;
    modTools::ReadIniString(Section, key, defaultValue, value, ValueReadSize, filePath);
    return value;
}

// The non-empty fields of a joined value, up to the first empty one.
QStringList leadingFields(QString joined)
{
    joined.remove(RemovedCode);
    QStringList fields;
    for (int k = 1; k <= MaxFieldsRead; ++k) {
        const QString field = modTools::GetField(joined, quint8(k), false, Separator);
        if (field.isEmpty())
            break;
        fields.append(field);
    }
    return fields;
}

// The flag is a check box: only the number 1 ticks it; anything else, text included, leaves it clear.
int repeatFlag(const QString& value)
{
    return modTools::WholeValue(value) == 1 ? 1 : 0;
}

} // namespace

void LoadCommandSet(const QString& filePath, QuickDialMemories& memories)
{
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        QList<ScriptEntry> entries;
        for (const QString& command : leadingFields(readValue(filePath, key("Command", n), QString())))
            entries.append({command, QString()});
        const QStringList descriptions = leadingFields(readValue(filePath, key("Descript", n), QString()));
        // A "#" inside a description gives more fields than entries; the surplus has no entry.
        for (qsizetype k = 0; k < descriptions.size() && k < entries.size(); ++k)
            entries[k].description = descriptions.at(k);
        memories.setEntries(n, entries);

        memories.setNote(n, readValue(filePath, key("Note", n), QString()));
        const QString label = readValue(filePath, key("Label", n), QString());
        // An empty value marks an empty memory; a missing key reads as "0", a used one.
        const QString repeat = readValue(filePath, key("Repeat", n), QStringLiteral("0"));
        if (!repeat.isEmpty()) {
            memories.setLabel(n, label);
            memories.setRepeat(n, repeatFlag(repeat));
            memories.showAsUsed(n);
        } else {
            memories.setLabel(n, modTools::GetText(3102));
            memories.setRepeat(n, 0);
            memories.showAsEmpty(n);
        }
    }
}

bool SaveCommandSet(const QString& filePath, const QuickDialMemories& memories)
{
    std::optional<IniDocument> file = IniDocument::load(filePath);
    if (!file)
        return false;
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        QStringList commands;
        QStringList descriptions;
        for (const ScriptEntry& entry : memories.entries(n)->entries()) {
            commands.append(entry.command);
            descriptions.append(entry.description);
        }
        const QString joinedCommands = commands.join(Separator);
        const bool used = !joinedCommands.isEmpty();
        const auto write = [&](const char* name, const QString& value) {
            file->setValue(Section, key(name, n), used ? value : QString());
        };
        write("Repeat", QString::number(memories.repeat(n)));
        write("Command", joinedCommands);
        write("Descript", descriptions.join(Separator));
        write("Label", memories.label(n));
        write("Note", memories.note(n));
    }
    return file->save(filePath);
}

} // namespace CommandSetFile
