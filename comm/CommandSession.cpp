#include "CommandSession.h"

#include "CommandLine.h"
#include "Journal.h"
#include "TickWait.h"
#include "TrafficLog.h"
#include "Winsock.h"
#include "modTools.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// A plain pause: events are not handled in it, so a reply that comes meanwhile waits in the socket
// for the next wait and cannot stretch the pause. Waking from a sleep takes tens of microseconds
// here, a twentieth of the pause, so the sleep ends a little early and the rest is watched on the
// clock. Linux lets a sleep end up to 50 us late by default so that wake-ups can be merged; this
// one asks for 1 us.
void pauseAfterCommand()
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(CommandSession::AfterCommandMs);
#ifdef __linux__
    const int slack = prctl(PR_GET_TIMERSLACK);
    prctl(PR_SET_TIMERSLACK, 1000UL);
#endif
    std::this_thread::sleep_until(end - microseconds(100));
#ifdef __linux__
    if (slack > 0)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack));
#endif
    while (steady_clock::now() < end) {
    }
}

// The state as a journal comment names it, the same in every language.
QString stateName(ConnectionState state)
{
    static const char* const names[] = {"Closed",        "Open",         "Listening",  "ConnectionPending",
                                        "ResolvingHost", "HostResolved", "Connecting", "Connected",
                                        "Closing",       "Error"};
    const int n = int(state);
    return n >= 0 && n < int(std::size(names)) ? QLatin1String(names[n]) : QString::number(n);
}

} // namespace

CommandSession::CommandSession(QObject* parent)
    : QObject(parent), m_socket(new Winsock(this)), m_log(new TrafficLog(this)),
      m_waitTicks(new TickWait(this))
{
    connect(m_socket, &Winsock::DataArrival, this, &CommandSession::ReceiveData);
    connect(m_socket, &Winsock::StateChanged, this, &CommandSession::stateChanged);
    connect(m_socket, &Winsock::StateChanged, this, [this](ConnectionState state) {
        if (m_journal)
            m_journal->Comment(QStringLiteral("state ") + stateName(state));
    });
}

CommandSession::~CommandSession() = default;

ConnectionState CommandSession::State() const
{
    return m_socket->State();
}

void CommandSession::SetTarget(const QString& host, const QString& port)
{
    if (m_journal && (host != m_host || port != m_port))
        m_journal->Comment(QStringLiteral("target %1:%2").arg(host, port));
    m_host = host;
    m_port = port;
}

void CommandSession::SetJournal(Journal* journal)
{
    m_journal = journal;
    if (m_journal)
        m_journal->Comment(QStringLiteral("target %1:%2, state %3").arg(m_host, m_port, stateName(State())));
}

bool CommandSession::ConnectIfWanted()
{
    return ::ConnectIfWanted(*m_socket, m_connectWanted, m_host, m_port);
}

int CommandSession::log(const LogRow& row)
{
    const int number = m_log->Append(row);
    if (m_journal)
        m_journal->Append(row);
    emit rowLogged(number);
    return number;
}

void CommandSession::Send(const QString& command)
{
    QCoreApplication::processEvents();
    const QDateTime now = CurrentUtcDateTime();
    m_currentCommand = command;

    if (CommandLine::IsWaitCommand(m_currentCommand)) {
        const QString seconds = CommandLine::WaitSecondsText(m_currentCommand);
        // Logged before the pause, so that the operator sees what the program waits for.
        log({now, LogMode::Wait, CommandLine::WaitRowText(seconds)});
        // A wait without a number keeps its row and does not pause; nothing is sent either way.
        if (const auto ticks = CommandLine::WaitTicks(seconds))
            m_waitTicks->Run(*ticks, [this] { return m_cancelRequested; });
        return;
    }
    m_currentCommand = CommandLine::MarkLineBreaks(CommandLine::WithLineEnd(m_currentCommand, m_appendCrLf));
    const QString shown = m_currentCommand;
    m_currentCommand = CommandLine::ExpandLineMarkers(m_currentCommand);
    const bool transmitted = m_socket->SendData(m_currentCommand);
    if (transmitted)
        m_awaitingReply = true;
    // Also after a failed send: the operator is to see the line that did not go out.
    log({now, LogMode::Set, shown, transmitted});
}

void CommandSession::ReceiveData()
{
    const QString text = m_socket->GetData();
    if (m_awaitingReply && text.contains(u':'))
        m_awaitingReply = false;
    log({CurrentUtcDateTime(), LogMode::Get, CommandLine::MarkLineBreaks(text)});
    Wake();
}

CommandSession::RunResult CommandSession::awaitReply()
{
    const QDeadlineTimer deadline = m_replyTimeoutS > 0
                                        ? QDeadlineTimer(qint64(m_replyTimeoutS) * 1000, Qt::PreciseTimer)
                                        : QDeadlineTimer(QDeadlineTimer::Forever);
    while (m_awaitingReply) {
        // A cancel raised before the wait ends it without sleeping.
        if (!m_cancelRequested && !m_ending && !deadline.hasExpired() &&
            !m_wait.Sleep(deadline.isForever() ? EventSleep::Forever : int(deadline.remainingTime())))
            return RunResult::Ended;
        if (m_ending)
            return RunResult::Ended;
        if (m_cancelRequested)
            return RunResult::Cancelled;
        if (m_awaitingReply && deadline.hasExpired()) {
            // Ends the run as a cancel would, and a repetition around it with it.
            m_cancelRequested = true;
            const QString seconds = QString::number(m_replyTimeoutS);
            log({CurrentUtcDateTime(), LogMode::Timeout,
                 modTools::FormatText(modTools::GetText(7000), {seconds})});
            return RunResult::TimedOut;
        }
    }
    return RunResult::Completed;
}

CommandSession::RunResult CommandSession::Run(const QStringList& commands, RunOptions options)
{
    if (options.clearAwaitingReply)
        m_awaitingReply = false;
    m_cancelRequested = false;
    m_running = true;
    RunResult result = RunResult::Completed;
    for (int index = 0; index < commands.size() && result == RunResult::Completed; ++index) {
        result = awaitReply();
        if (result != RunResult::Completed)
            break;
        if (m_ending) {
            result = RunResult::Ended;
            break;
        }
        emit commandStarting(index, commands.at(index));
        Send(commands.at(index));
        emit commandDone(index);
        pauseAfterCommand();
    }
    if (result == RunResult::Completed && options.awaitLastReply)
        result = awaitReply();
    m_running = false;
    return result;
}

void CommandSession::RequestCancel()
{
    m_cancelRequested = true;
    m_waitTicks->Wake();
    Wake();
}

void CommandSession::End()
{
    m_ending = true;
    RequestCancel();
}

bool CommandSession::Pause(int ms)
{
    return m_wait.Sleep(ms);
}

void CommandSession::Wake()
{
    m_wait.Wake();
}
