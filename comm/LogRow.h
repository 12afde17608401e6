// One row of the traffic log as every consumer sees it: the window's list, the journal on disk, an
// export and the command-line runner's output.
#pragma once

#include <QDateTime>
#include <QString>

enum class LogMode : quint8
{
    None,
    Set,
    Get,
    Wait,
    Timeout,
};

struct LogRow
{
    QDateTime time; // UTC, with milliseconds
    LogMode mode = LogMode::None;
    // As the log holds it: CR and LF already shown as "<CR>" and "<LF>", never cut.
    QString text;
    // A "Set" row whose line could not be put on the wire.
    bool transmitted = true;
};

// The mode as the window's Mode column shows it: "Set", "Get", "Wait", "Timeout"; the same in every
// language.
QString ModeColumnWord(LogMode mode);
// The mode as files and the runner write it: as the column, but "Unsent" for a line that could
// not be transmitted.
QString ModeWord(const LogRow& row);
