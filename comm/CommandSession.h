// The engine of one session with the instrument: the connection and its supervision, the traffic
// log, the send operation and script runs. Core and Network only, so that the window and the
// command-line runner share every rule.
//
// Road of a typed command: Send(text) -> pending events are handled once -> the UTC time is taken
// -> a wait pseudo-command logs its "Wait" row and pauses in 100 ms steps (cut short by a cancel);
// any other text gets CR LF when asked for, its "<CR>"/"<LF>" markers become the control
// characters, it goes to the socket as Windows-1252 bytes in one write, its "Set" row is logged
// and awaitingReply is set. Data arriving on the socket -> ReceiveData -> a "Get" row; a ":" in it
// clears awaitingReply.
//
// Road of a script run: Run(commands) -> for each command: sleep in the event loop while a reply is
// awaited (woken by arriving data, a cancel or End; up to the reply timeout) -> commandStarting ->
// Send -> commandDone -> a plain pause of 1 ms. The run ends Completed, Cancelled, TimedOut or
// Ended.
#pragma once

#include "ConnectionState.h"
#include "EventSleep.h"
#include "LogRow.h"

#include <QObject>
#include <QString>
#include <QStringList>

class Journal;
class TickWait;
class TrafficLog;
class Winsock;

class CommandSession : public QObject
{
    Q_OBJECT
public:
    // The pause after every command of a run.
    static constexpr int AfterCommandMs = 1;

    enum class RunResult
    {
        Completed,
        Cancelled, // while awaiting a reply
        TimedOut,  // no reply within the reply timeout; a "Timeout" row says so, and the cancel is raised
        Ended,     // End() was called or the program is quitting
    };
    struct RunOptions
    {
        // A memory run starts afresh; the test run lets a reply still outstanding hold its first
        // command.
        bool clearAwaitingReply = true;
        // The command-line runner also waits for the reply to the last command.
        bool awaitLastReply = false;
    };

    explicit CommandSession(QObject* parent = nullptr);
    ~CommandSession() override;

    // Connection ---------------------------------------------------------------------------------
    Winsock* Socket() const { return m_socket; }
    ConnectionState State() const;
    // Host and port as texts, used unchanged at the next connection attempt.
    void SetTarget(const QString& host, const QString& port);
    QString Host() const { return m_host; }
    QString Port() const { return m_port; }
    void SetConnectWanted(bool wanted) { m_connectWanted = wanted; }
    bool ConnectWanted() const { return m_connectWanted; }
    // One supervision tick: while a connection is wanted and the socket is in no usable state, close
    // it and start a fresh attempt (true); when none is wanted, close it.
    bool ConnectIfWanted();

    // Sending and receiving ----------------------------------------------------------------------
    // Whether CR LF is appended to every line sent: the option, or a device type that needs it.
    void SetAppendCrLf(bool append) { m_appendCrLf = append; }
    bool AppendCrLf() const { return m_appendCrLf; }
    // Sends one command line or performs the wait it holds; always logs exactly one row.
    void Send(const QString& command);
    // Reads what has arrived and logs it; called on every arrival.
    void ReceiveData();
    QString CurrentCommand() const { return m_currentCommand; }
    bool AwaitingReply() const { return m_awaitingReply; }
    TrafficLog* Log() const { return m_log; }
    // Every row logged from now on also goes into the journal, with a comment line for each change
    // of target and connection state; nullptr for none. The session does not own it.
    void SetJournal(Journal* journal);
    Journal* CurrentJournal() const { return m_journal; }

    // Runs -----------------------------------------------------------------------------------------
    // Seconds a run waits for a reply before it ends with a "Timeout" row; 0 waits forever.
    void SetReplyTimeout(int seconds) { m_replyTimeoutS = seconds; }
    int ReplyTimeout() const { return m_replyTimeoutS; }
    // Sends the commands in order, each once the reply to the one before has come.
    RunResult Run(const QStringList& commands, RunOptions options);
    RunResult Run(const QStringList& commands) { return Run(commands, RunOptions()); }
    bool Running() const { return m_running; }
    // A run stops at its next look, and a wait pseudo-command at once. Stays raised until cleared.
    void RequestCancel();
    void ClearCancel() { m_cancelRequested = false; }
    bool CancelRequested() const { return m_cancelRequested; }
    // The owner is going away: a run stops where it is, without sending anything more.
    void End();
    bool Ending() const { return m_ending; }
    // Sleeps until woken or ms milliseconds have passed, as between passes of a repeated run that
    // had nothing to do. False when the program is ending.
    bool Pause(int ms);
    // Something a run may be waiting for has changed.
    void Wake();

signals:
    void rowLogged(int row);
    void commandStarting(int index, const QString& command);
    void commandDone(int index);
    void stateChanged(ConnectionState state);

private:
    int log(const LogRow& row);
    RunResult awaitReply();

    Winsock* m_socket;
    TrafficLog* m_log;
    TickWait* m_waitTicks;
    Journal* m_journal = nullptr;
    EventSleep m_wait;
    QString m_host;
    QString m_port;
    QString m_currentCommand;
    int m_replyTimeoutS = 0;
    bool m_connectWanted = false;
    bool m_appendCrLf = false;
    bool m_awaitingReply = false;
    bool m_cancelRequested = false;
    bool m_ending = false;
    bool m_running = false;
};
