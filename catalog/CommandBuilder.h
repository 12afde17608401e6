// What the command assistant knows while it builds a command: the chosen entry, the step and the
// command text grown so far. The dialog shows this state; it adds only the inputs.
#pragma once

#include "Catalogue.h"

#include <QString>

class CommandBuilder
{
public:
    // Starts over with an entry: step 1, the command is its code alone.
    void Choose(const QString& entryText);
    // One step further; the step after the last parameter is never reached.
    void NextStep();

    // 1: no parameter asked for yet; 2: the first parameter; 3: the second.
    quint8 Step() const { return m_step; }
    quint8 ParameterCount() const { return m_parameterCount; }
    // True when the next press hands the command back: the entry has no (usable) parameters or
    // the last one is being asked for.
    bool IsLastStep() const;
    // The parameter asked for at this step; empty fields at step 1.
    Catalogue::Parameter CurrentParameter() const;

    // Appends a value: one blank and the decimal number, or for the wait entry the complete wait.
    void TakeNumber(qint64 value);
    void TakeText(const QString& text);

    QString Command() const { return m_command; }
    QString Caption() const { return m_entry.caption; }
    // The note prefixed with text 3208 and a blank; empty for an entry without a note.
    QString Note() const;

private:
    Catalogue::Entry m_entry;
    quint8 m_step = 1;
    quint8 m_parameterCount = 0;
    bool m_countUsable = false;
    QString m_command;
};
