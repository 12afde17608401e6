#include "ScriptRunner.h"

#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// A plain pause: events are not handled in it, so a reply that comes meanwhile waits in the socket
// for the next wait and cannot stretch the pause. Linux lets a sleep end up to 50 us late by
// default so that wake-ups can be merged; this one asks for 1 us, or the pause would be a twentieth
// longer than meant.
void pauseAfterCommand()
{
#ifdef __linux__
    const int slack = prctl(PR_GET_TIMERSLACK);
    prctl(PR_SET_TIMERSLACK, 1000UL);
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(ScriptRunner::AfterCommandMs));
#ifdef __linux__
    if (slack > 0)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack));
#endif
}

} // namespace

ScriptRunner::ScriptRunner(Hooks hooks, QObject* parent) : QObject(parent), m_hooks(std::move(hooks)) {}

bool ScriptRunner::Run(const QStringList& commands)
{
    for (const QString& command : commands) {
        while (m_hooks.awaitingReply()) {
            // A cancel raised before the wait ends it without sleeping.
            if (!m_hooks.cancelRequested() && !m_wait.Sleep(EventSleep::Forever))
                return false;
            if (m_hooks.ending() || m_hooks.cancelRequested())
                return false;
        }
        if (m_hooks.ending())
            return false;
        m_hooks.send(command);
        m_hooks.sent();
        pauseAfterCommand();
    }
    return true;
}

bool ScriptRunner::Pause(int ms)
{
    return m_wait.Sleep(ms);
}

void ScriptRunner::Wake()
{
    m_wait.Wake();
}
