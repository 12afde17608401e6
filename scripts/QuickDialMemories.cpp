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

QString QuickDialMemories::buttonCaption(int n) const
{
    const Memory& memory = at(n);
    return memory.shownUsed ? QStringView(memory.label).left(10) % QLatin1String("...") : memory.buttonText;
}

QString QuickDialMemories::buttonToolTip(int n) const
{
    const Memory& memory = at(n);
    return memory.shownUsed ? memory.buttonText % QLatin1String(": ") % memory.label : QString();
}

void QuickDialMemories::showAsUsed(int n)
{
    show(n, true, 3027);
}

void QuickDialMemories::showAsEmpty(int n)
{
    show(n, false, 3102);
}

void QuickDialMemories::show(int n, bool used, int textId)
{
    Memory& memory = at(n);
    memory.shownUsed = used;
    memory.buttonText = modTools::GetText(textId);
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
