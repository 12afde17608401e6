// The simulated instrument: the state that set commands change and query commands read back,
// shared by every client of the server.
#pragma once

#include "Vocabulary.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <array>

namespace sim {

class Instrument
{
public:
    explicit Instrument(int deviceType);

    // One command line without its line end, in Windows-1252 bytes; returns the reply without
    // its line end. Every reply contains a colon, errors included.
    QByteArray execute(QByteArrayView line);

    static QByteArray errorReply(QByteArrayView message);

private:
    class Cursor;

    QByteArray run(const CommandDef& def, Cursor& args);
    QByteArray setMode(const CommandDef& def, Cursor& args);
    QByteArray order(const CommandDef& def, qint64 address, QByteArrayView command);
    qint64 address(Cursor& args) const;
    QByteArray value(const CommandDef& def, Cursor& args) const;

    const DeviceVocabulary& m_vocabulary;
    QHash<QByteArray, QByteArray> m_values;
    QHash<QByteArray, QByteArray> m_interfaceValues;
    std::array<int, 4> m_modes{}; // per group; device types without groups use the first
};

} // namespace sim
