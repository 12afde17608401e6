// Command-line options of the simulator.
#pragma once

#include "Defaults.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace sim {

struct SimOptions
{
    QList<QHostAddress> addresses; // empty: the loopback addresses of this computer
    quint16 port = DefaultCommandPort;
    int deviceType = 0;
    int replyDelayMs = 0;
    int chunk = 0; // 0: each reply in one piece
    bool noColon = false;
    int closeAfter = 0; // 0: never
    bool silent = false;
    bool verbose = false;
};

enum class ParseResult
{
    Run,
    Help,
    Error,
};

// arguments as QCoreApplication::arguments(); message is the help text or the error.
ParseResult parseOptions(const QStringList& arguments, SimOptions& options, QString& message);

} // namespace sim
