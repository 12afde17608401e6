#include "CommandBuilder.h"

#include "modTools.h"

void CommandBuilder::Choose(const QString& entryText)
{
    m_entry = Catalogue::ReadEntry(entryText);
    m_step = 1;
    m_command = m_entry.code;
    const int count = Catalogue::ParameterCount(m_entry);
    m_countUsable = count > 0;
    // An entry whose count is no number keeps the former count; it is accepted at step 1 anyway.
    if (count >= 0)
        m_parameterCount = quint8(count);
}

void CommandBuilder::NextStep()
{
    if (!IsLastStep())
        ++m_step;
}

bool CommandBuilder::IsLastStep() const
{
    return !m_countUsable || m_parameterCount < m_step;
}

Catalogue::Parameter CommandBuilder::CurrentParameter() const
{
    if (m_step < 2 || m_step > 3)
        return {};
    return m_entry.parameters[size_t(m_step - 2)];
}

void CommandBuilder::TakeNumber(qint64 value)
{
    if (m_command == Catalogue::WaitCode())
        m_command = Catalogue::WaitCommand(value);
    else
        m_command += QLatin1Char(' ') + QString::number(value);
}

void CommandBuilder::TakeText(const QString& text)
{
    m_command += QLatin1Char(' ') + text;
}

QString CommandBuilder::Note() const
{
    if (m_entry.note.isEmpty())
        return {};
    return modTools::GetText(3208) + QLatin1Char(' ') + m_entry.note;
}
