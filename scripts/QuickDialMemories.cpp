#include "QuickDialMemories.h"

#include "modTools.h"

#include <QStringBuilder>

QuickDialMemories::QuickDialMemories(QObject* parent) : QObject(parent)
{
    for (Memory& memory : m_memories)
        memory.entries = new ScriptModel(this);
}

void QuickDialMemories::setEntries(int n, const QList<ScriptEntry>& entries)
{
    at(n).entries->replaceAll(entries);
    emit changed(n);
}

void QuickDialMemories::setLabel(int n, const QString& label)
{
    at(n).label = label;
    emit changed(n);
}

void QuickDialMemories::setNote(int n, const QString& note)
{
    at(n).note = note;
    emit changed(n);
}

void QuickDialMemories::setRepeat(int n, int repeat)
{
    if (at(n).repeat == repeat)
        return;
    at(n).repeat = repeat;
    emit changed(n);
}

void QuickDialMemories::showAsUsed(int n)
{
    Memory& memory = at(n);
    // Built in one piece each: a set load shows all eight memories.
    memory.buttonCaption = QStringView(memory.label).left(10) % QLatin1String("...");
    memory.buttonToolTip = modTools::GetText(3027) % QLatin1String(": ") % memory.label;
    emit changed(n);
}

void QuickDialMemories::showAsEmpty(int n)
{
    Memory& memory = at(n);
    memory.buttonCaption = modTools::GetText(3102);
    memory.buttonToolTip.clear();
    emit changed(n);
}

void QuickDialMemories::store(int n, const QString& label, const QString& note,
                              const QList<ScriptEntry>& entries)
{
    Memory& memory = at(n);
    memory.note = note;
    memory.label = label;
    memory.entries->replaceAll(entries);
    showAsUsed(n);
}

void QuickDialMemories::erase(int n)
{
    Memory& memory = at(n);
    memory.note.clear();
    memory.label.clear();
    memory.entries->clear();
    showAsEmpty(n);
}
