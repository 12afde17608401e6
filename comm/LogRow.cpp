#include "LogRow.h"

QString ModeColumnWord(LogMode mode)
{
    switch (mode) {
    case LogMode::Set:
        return QStringLiteral("Set");
    case LogMode::Get:
        return QStringLiteral("Get");
    case LogMode::Wait:
        return QStringLiteral("Wait");
    case LogMode::Timeout:
        return QStringLiteral("Timeout");
    case LogMode::None:
        break;
    }
    return {};
}

QString ModeWord(const LogRow& row)
{
    if (row.mode == LogMode::Set && !row.transmitted)
        return QStringLiteral("Unsent");
    return ModeColumnWord(row.mode);
}
