// Sleeping in the event loop: timers, arriving data and clicks are handled while the caller sleeps,
// and the processor stays idle until something happens.
#pragma once

#include <QList>

class QEventLoop;

class EventSleep
{
public:
    static constexpr int Forever = -1;

    EventSleep() = default;
    EventSleep(const EventSleep&) = delete;
    EventSleep& operator=(const EventSleep&) = delete;

    // Sleeps until Wake() or until ms milliseconds have passed (Forever: no time limit). Returns
    // false when the program is ending: its event loops no longer run, so a caller that slept again
    // would spin instead.
    bool Sleep(int ms);
    // Ends every sleep of this object at once, nested ones included; each caller looks again at
    // what it waits for.
    void Wake();

private:
    QList<QEventLoop*> m_loops;
};
