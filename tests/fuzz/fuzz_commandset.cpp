// Random file content through the command-set loader, and what it loaded saved and loaded again, all
// in memory: nothing may crash, a load gives only what the format can carry, and the second load
// gives what the first gave.
#include "CommandSetFile.h"
#include "FuzzCheck.h"
#include "IniDocument.h"
#include "QuickDialMemories.h"

namespace {

bool fits(const QString& text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

void checkLoaded(const QuickDialMemories& memories)
{
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        for (const ScriptEntry& entry : memories.entries(n)->entries()) {
            check(!entry.command.isEmpty());
            for (const QString& text : {entry.command, entry.description})
                check(fits(text) && !text.contains(u'#') && !text.contains(QChar(0x14)));
        }
        check(fits(memories.label(n)) && fits(memories.note(n)));
    }
}

// Blanks and quotes around a value are not kept by any INI file; its reader counts Ctrl-Z, which
// ends a text file on DOS, as a blank.
bool survivesIni(const QString& value)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\x1a'; };
    return value.isEmpty() ||
           (!blank(value.front()) && !blank(value.back()) && value.front() != u'"' && value.front() != u'\'');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniDocument document =
        IniDocument::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QuickDialMemories memories;
    CommandSetFile::LoadCommandSet(document, memories);
    checkLoaded(memories);
    CommandSetFile::SaveCommandSet(document, memories);
    QuickDialMemories again;
    CommandSetFile::LoadCommandSet(IniDocument::fromBytes(document.bytes()), again);
    checkLoaded(again);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        if (memories.entries(n)->count() == 0)
            continue;
        const QList<ScriptEntry>& first = memories.entries(n)->entries();
        const QList<ScriptEntry>& second = again.entries(n)->entries();
        QStringList commands;
        QStringList descriptions;
        for (const ScriptEntry& entry : first) {
            commands << entry.command;
            descriptions << entry.description;
        }
        if (!survivesIni(commands.join(u'#')))
            continue;
        check(second.size() == first.size());
        // An empty description ends the ones after it, as the format reads them.
        const bool describedWhole = survivesIni(descriptions.join(u'#')) && !descriptions.contains(QString());
        for (qsizetype k = 0; k < first.size(); ++k)
            check(second[k].command == first[k].command &&
                  (!describedWhole || second[k].description == first[k].description));
        check(again.repeat(n) == memories.repeat(n));
        if (survivesIni(memories.label(n)))
            check(again.label(n) == memories.label(n));
        if (survivesIni(memories.note(n)))
            check(again.note(n) == memories.note(n));
    }
    return 0;
}
