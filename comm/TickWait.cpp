#include "TickWait.h"

#include <QEventLoop>
#include <QTimer>

TickWait::TickWait(QObject* parent) : QObject(parent) {}

bool TickWait::Run(qint64 ticks, const std::function<bool()>& stopRequested)
{
    for (qint64 tick = 0; tick < ticks; ++tick) {
        QEventLoop loop;
        QTimer step;
        step.setSingleShot(true);
        step.setTimerType(Qt::PreciseTimer);
        connect(&step, &QTimer::timeout, &loop, &QEventLoop::quit);
        step.start(TickMs);

        QEventLoop* outer = m_loop;
        m_loop = &loop;
        // An event loop that cannot run (the application is ending) must not turn into a busy loop.
        const int result = loop.exec();
        m_loop = outer;

        if (result != 0 || stopRequested())
            return false;
    }
    return true;
}

void TickWait::Wake()
{
    if (m_loop)
        m_loop->quit();
}
