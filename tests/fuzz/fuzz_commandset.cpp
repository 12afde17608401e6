// Random file content through the command-set loader, and what it loaded saved and loaded again, all
// in memory: nothing may crash, a load gives only what the format can carry, and the second load
// gives what the first gave.
#include "CommandSetFile.h"
#include "FuzzCheck.h"
#include "IniDocument.h"
#include "QuickDialMemories.h"

#include <algorithm>

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
// ends a text file on DOS, as a blank. The value begins as first begins and ends as last ends.
bool survivesIni(const QString& first, const QString& last)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\x1a'; };
    return first.isEmpty() ||
           (!blank(first.front()) && !blank(last.back()) && first.front() != u'"' && first.front() != u'\'');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Not copied: AddressSanitizer then sees any read past the fuzzer's own buffer.
    IniDocument document =
        IniDocument::fromBytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    // A load sets every part of every memory, so the two sets serve all inputs: making them anew
    // (eight models each) cost more than the load. Each run erases what it loaded, as libFuzzer
    // checks every run that keeps memory it allocated for a leak.
    static QuickDialMemories memories;
    static QuickDialMemories again;
    CommandSetFile::LoadCommandSet(document, memories);
    checkLoaded(memories);
    CommandSetFile::SaveCommandSet(document, memories);
    CommandSetFile::LoadCommandSet(IniDocument::fromBytes(document.bytes()), again);
    checkLoaded(again);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        if (memories.entries(n)->count() == 0)
            continue;
        const QList<ScriptEntry>& first = memories.entries(n)->entries();
        const QList<ScriptEntry>& second = again.entries(n)->entries();
        if (!survivesIni(first.front().command, first.back().command))
            continue;
        check(second.size() == first.size());
        // An empty description ends the ones after it, as the format reads them.
        const bool describedWhole =
            std::none_of(first.begin(), first.end(),
                         [](const ScriptEntry& e) { return e.description.isEmpty(); }) &&
            survivesIni(first.front().description, first.back().description);
        for (qsizetype k = 0; k < first.size(); ++k)
            check(second[k].command == first[k].command &&
                  (!describedWhole || second[k].description == first[k].description));
        check(again.repeat(n) == memories.repeat(n));
        const QString label = memories.label(n);
        const QString note = memories.note(n);
        if (survivesIni(label, label))
            check(again.label(n) == label);
        if (survivesIni(note, note))
            check(again.note(n) == note);
    }
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        memories.erase(n);
        again.erase(n);
    }
    return 0;
}
