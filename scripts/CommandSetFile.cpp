#include "CommandSetFile.h"

#include "IniDocument.h"
#include "QuickDialMemories.h"
#include "modTools.h"

#include <algorithm>
#include <array>
#include <climits>

namespace CommandSetFile {

namespace {

const QString Section = QStringLiteral("SETTINGS");
const QString Separator = QStringLiteral("#");
constexpr QChar RemovedCode = QChar(0x14); // never part of a command or description

// The keys of memory n, made once: a set is read and written forty keys at a time.
struct Keys
{
    QString command, descript, note, label, repeat;
};

const Keys& keys(int n)
{
    static const auto all = [] {
        std::array<Keys, QuickDialMemories::Count + 1> made;
        for (int k = 1; k <= QuickDialMemories::Count; ++k) {
            const QString number = QString::number(k);
            made[size_t(k)] = {"Command" + number, "Descript" + number, "Note" + number, "Label" + number,
                               "Repeat" + number};
        }
        return made;
    }();
    return all[size_t(n)];
}

// The whole value: the program never writes a value short, so reading one short would only lose
// the memory's tail.
QString readValue(const IniDocument* file, const QString& key, const QString& defaultValue)
{
    return file ? file->value(Section, key).value_or(defaultValue) : defaultValue;
}

// The non-empty fields of a joined value, up to the first empty one.
QStringList leadingFields(QString joined)
{
    joined.remove(RemovedCode);
    QStringList fields = joined.split(Separator);
    const auto firstEmpty = std::find(fields.begin(), fields.end(), QString());
    fields.erase(firstEmpty, fields.end());
    return fields;
}

// The flag is a check box, ticked by any number but 0; a value that is no number leaves it clear.
// A value other than 0 and 1 (2 is the box's third, grey state) is kept as it is.
int repeatFlag(const QString& value)
{
    const auto number = modTools::WholeValue(value);
    return number && *number >= INT_MIN && *number <= INT_MAX ? int(*number) : 0;
}

void load(const IniDocument* file, QuickDialMemories& memories)
{
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        QList<ScriptEntry> entries;
        const Keys& key = keys(n);
        for (const QString& command : leadingFields(readValue(file, key.command, QString())))
            entries.append({command, QString()});
        const QStringList descriptions = leadingFields(readValue(file, key.descript, QString()));
        // A "#" inside a description gives more fields than entries; the surplus has no entry.
        for (qsizetype k = 0; k < descriptions.size() && k < entries.size(); ++k)
            entries[k].description = descriptions.at(k);
        memories.setEntries(n, entries);

        memories.setNote(n, readValue(file, key.note, QString()));
        const QString label = readValue(file, key.label, QString());
        // An empty value marks an empty memory; a missing key reads as "0", a used one.
        const QString repeat = readValue(file, key.repeat, QStringLiteral("0"));
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

} // namespace

void LoadCommandSet(const QString& filePath, QuickDialMemories& memories)
{
    const std::optional<IniDocument> file = IniDocument::load(filePath);
    load(file ? &*file : nullptr, memories);
}

void LoadCommandSet(const IniDocument& document, QuickDialMemories& memories)
{
    load(&document, memories);
}

bool SaveCommandSet(const QString& filePath, const QuickDialMemories& memories)
{
    std::optional<IniDocument> file = IniDocument::load(filePath);
    if (!file)
        return false;
    SaveCommandSet(*file, memories);
    return file->save(filePath);
}

void SaveCommandSet(IniDocument& file, const QuickDialMemories& memories)
{
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        QStringList commands;
        QStringList descriptions;
        for (const ScriptEntry& entry : memories.entries(n)->entries()) {
            commands.append(entry.command);
            descriptions.append(entry.description);
        }
        const QString joinedCommands = commands.join(Separator);
        const bool used = !joinedCommands.isEmpty();
        const auto write = [&](const QString& key, const QString& value) {
            file.setValue(Section, key, used ? value : QString());
        };
        const Keys& key = keys(n);
        write(key.repeat, QString::number(memories.repeat(n)));
        write(key.command, joinedCommands);
        write(key.descript, descriptions.join(Separator));
        write(key.label, memories.label(n));
        write(key.note, memories.note(n));
    }
}

} // namespace CommandSetFile
