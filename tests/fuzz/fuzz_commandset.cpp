// Random file content through the command-set loader, and what it loaded saved and loaded again:
// nothing may crash, and what comes out of a load must be what the format can carry.
#include "CommandSetFile.h"
#include "FuzzCheck.h"
#include "QuickDialMemories.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

bool fits(const QString& text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

void checkLoaded(const QuickDialMemories& memories)
{
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        const QList<ScriptEntry>& entries = memories.entries(n)->entries();
        for (const ScriptEntry& entry : entries) {
            check(!entry.command.isEmpty());
            for (const QString& text : {entry.command, entry.description})
                check(fits(text) && !text.contains(u'#') && !text.contains(QChar(0x14)));
        }
        check(fits(memories.label(n)) && fits(memories.note(n)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("set.cfg"));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();

    QuickDialMemories memories;
    CommandSetFile::LoadCommandSet(path, memories);
    checkLoaded(memories);
    check(CommandSetFile::SaveCommandSet(path, memories));
    QuickDialMemories again;
    CommandSetFile::LoadCommandSet(path, again);
    checkLoaded(again);
    // Whatever the file held, the labels of used memories survive a save (blanks and quotes around
    // a value are not kept by any INI file).
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        const QString label = memories.label(n);
        if (again.entries(n)->count() > 0 && label.trimmed() == label && !label.startsWith(u'"') &&
            !label.startsWith(u'\''))
            check(again.label(n) == label);
    }
    return 0;
}
