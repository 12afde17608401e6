#include "CommandSetFile.h"

#include "IniDocument.h"
#include "QuickDialMemories.h"
#include "modTools.h"

#include <array>
#include <climits>

namespace CommandSetFile {

namespace {

const QString Section = QStringLiteral("SETTINGS");
constexpr QChar Separator = u'#';
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

// Hands the non-empty fields of a joined value to take, up to the first empty one and at most
// limit of them. Only the fields kept are copied: a damaged file can hold thousands of empty ones.
template <typename Take> void takeLeadingFields(const QString& value, qsizetype limit, Take take)
{
    QString cleaned;
    QStringView joined = value;
    if (value.contains(RemovedCode)) {
        cleaned = value;
        cleaned.remove(RemovedCode);
        joined = cleaned;
    }
    for (qsizetype from = 0, taken = 0; taken < limit; ++taken) {
        qsizetype end = joined.indexOf(Separator, from);
        if (end < 0)
            end = joined.size();
        if (end == from)
            break;
        const QStringView field = joined.sliced(from, end - from);
        // A value of one field, the usual memory of one command, is shared rather than copied.
        take(field.size() == value.size() ? value : field.toString());
        from = end + 1;
        if (from > joined.size())
            break;
    }
}

// The fields of a memory joined for its key.
QString joined(const QList<ScriptEntry>& entries, QString ScriptEntry::*field)
{
    qsizetype size = entries.size();
    for (const ScriptEntry& entry : entries)
        size += (entry.*field).size();
    QString text;
    text.reserve(size);
    for (const ScriptEntry& entry : entries) {
        if (&entry != &entries.front())
            text.append(Separator);
        text.append(entry.*field);
    }
    return text;
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
        takeLeadingFields(readValue(file, key.command, QString()), LLONG_MAX, [&](QString command) {
            entries.append({std::move(command), QString()});
        });
        // A "#" inside a description gives more fields than entries; the surplus has no entry.
        qsizetype described = 0;
        takeLeadingFields(readValue(file, key.descript, QString()), entries.size(), [&](QString description) {
            entries[described++].description = std::move(description);
        });
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
        const QList<ScriptEntry>& entries = memories.entries(n)->entries();
        const QString joinedCommands = joined(entries, &ScriptEntry::command);
        const bool used = !joinedCommands.isEmpty();
        const auto write = [&](const QString& key, const QString& value) {
            file.setValue(Section, key, used ? value : QString());
        };
        const Keys& key = keys(n);
        write(key.repeat, QString::number(memories.repeat(n)));
        write(key.command, joinedCommands);
        write(key.descript, joined(entries, &ScriptEntry::description));
        write(key.label, memories.label(n));
        write(key.note, memories.note(n));
    }
}

} // namespace CommandSetFile
