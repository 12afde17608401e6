#include "TickWait.h"

TickWait::TickWait(QObject* parent) : QObject(parent) {}

bool TickWait::Run(qint64 ticks, const std::function<bool()>& stopRequested)
{
    for (qint64 tick = 0; tick < ticks; ++tick) {
        if (!m_step.Sleep(TickMs) || stopRequested())
            return false;
    }
    return true;
}

void TickWait::Wake()
{
    m_step.Wake();
}
