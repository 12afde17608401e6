// Command vocabularies of the four device types: which command words exist, what they take and
// which piece of instrument state they set or read.
#pragma once

#include <QList>
#include <QtGlobal>

namespace sim {

enum class Op
{
    Mode,      // SM: production mode, one of DeviceVocabulary::modes
    GetMode,   // GM
    SetDevice, // address + value, stored per address
    GetDevice, // address, reads the value stored per address
    SetShared, // value, stored once (user name, group captions...)
    GetShared, // reads a value stored once
    Ack,       // optional value (file path), only acknowledged
    AckDevice, // address + value (file path), only acknowledged
    Order,     // address + device or interface command; a question ("?") is answered
};

enum class Fmt
{
    None,
    Number,     // whole decimal number within min..max
    Text,       // free text up to max characters
    Restricted, // a-z A-Z 0-9 blank - _ up to max characters
    Interface,  // free text up to max characters that must carry "!" or "?"
    Path,       // file path up to max characters, not empty
};

struct CommandDef
{
    const char* code;
    Op op;
    const char* field; // state key; queries name the key of their set command
    Fmt fmt;           // value parameter of a set command; value type of a query
    qint64 min;
    qint64 max; // highest number, or the text limit
};

struct DeviceVocabulary
{
    qint64 addressMin;
    qint64 addressMax;
    QList<int> modes; // values that SM accepts; the first is the state at start
    bool groupModes;  // SM and GM take a group, SM 2 an address
    QList<CommandDef> commands;

    const CommandDef* find(const QByteArray& upperCode) const;
};

// Device type 0..3.
const DeviceVocabulary& vocabulary(int deviceType);

} // namespace sim
