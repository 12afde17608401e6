// Talking to the instrument application's command server: the socket and its states, the rules of
// the command line, the wait pseudo-command and the traffic log. Core and Network only, no widgets.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The states of the Windows socket control, with their numbers; a client socket never reports Open,
// Listening or ConnectionPending, but the table knows them.
enum class ConnectionState : quint8
{
    Closed = 0,
    Open = 1,
    Listening = 2,
    ConnectionPending = 3,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
    Error = 9,
};

struct ConnectionStateInfo
{
    qint16 textId;  // German id of the state text
    quint32 colour; // 0xRRGGBB of the state label
    bool usable;    // commands may be sent in this state
};

// What the state label shows for a state value; nothing for a value outside 0..9.
std::optional<ConnectionStateInfo> StateInfo(int state);

// Open, Listening and Connected: the connection can carry commands and is kept as it is.
bool IsUsable(ConnectionState state);

// "Zustand: " followed by the state text, in the current language; only the prefix for a value
// outside 0..9.
QString StateLabelText(int state);
