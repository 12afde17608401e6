#include "EventSleep.h"

#include <QEventLoop>
#include <QTimer>

bool EventSleep::Sleep(int ms)
{
    QEventLoop loop;
    QTimer timeUp;
    if (ms >= 0) {
        timeUp.setSingleShot(true);
        timeUp.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timeUp, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeUp.start(ms);
    }
    m_loops.append(&loop);
    // Once the program has been told to quit, exec() returns -1 at once.
    const int result = loop.exec();
    m_loops.removeOne(&loop);
    return result == 0;
}

void EventSleep::Wake()
{
    for (QEventLoop* loop : std::as_const(m_loops))
        loop->quit();
}
