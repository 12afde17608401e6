// A script run: command after command through the send operation, each sent as soon as the reply
// to the one before has come. In between the run sleeps in the event loop, so the window stays
// alive and the processor idle however long the instrument takes.
#pragma once

#include "EventSleep.h"

#include <QObject>
#include <QStringList>

#include <functional>

class ScriptRunner : public QObject
{
    Q_OBJECT
public:
    // The pause after every command.
    static constexpr int AfterCommandMs = 1;

    // What a run reads and does through the window that owns it.
    struct Hooks
    {
        std::function<bool()> awaitingReply;
        std::function<bool()> cancelRequested;
        // The window is closing or the program ending: the run stops wherever it is.
        std::function<bool()> ending;
        // Sends one command as the command line does; a wait pseudo-command pauses inside.
        std::function<void(const QString&)> send;
        // One more command is done.
        std::function<void()> sent;
    };

    explicit ScriptRunner(Hooks hooks, QObject* parent = nullptr);

    // Sends the commands in order. Returns true when all were sent, false when a cancel came while
    // awaiting a reply or the run was ended.
    bool Run(const QStringList& commands);
    // Sleeps until woken or ms milliseconds have passed: between passes of a repeated run that had
    // nothing to do. False when the program is ending.
    bool Pause(int ms);
    // Something a run may be waiting for has happened: data arrived, cancel was pressed, the window
    // is closing, a run ended.
    void Wake();

private:
    Hooks m_hooks;
    EventSleep m_wait;
};
