// A pause in steps of 100 ms that keeps the program alive: each step sleeps in an event loop, so
// timers, arriving data and clicks are handled while it waits.
#pragma once

#include "EventSleep.h"

#include <QObject>

#include <functional>

class TickWait : public QObject
{
    Q_OBJECT
public:
    static constexpr int TickMs = 100;

    explicit TickWait(QObject* parent = nullptr);

    // Sleeps for ticks steps; after every step, stops when stopRequested() holds. A count of 0 or
    // less does not wait. Returns whether the pause ran its full length.
    bool Run(qint64 ticks, const std::function<bool()>& stopRequested);
    // Ends the current step at once, so that a raised stop request is seen without delay.
    void Wake();

private:
    EventSleep m_step;
};
