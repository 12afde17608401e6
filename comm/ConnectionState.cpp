#include "ConnectionState.h"

#include "modTools.h"

#include <array>

namespace {

constexpr quint32 black = 0x000000;
constexpr quint32 green = 0x00FF00;
constexpr quint32 magenta = 0xFF00FF;
constexpr quint32 red = 0xFF0000;

constexpr std::array<ConnectionStateInfo, 10> states{{
    {3104, black, false},   // Closed
    {3105, green, true},    // Open
    {3106, green, true},    // Listening
    {3107, magenta, false}, // ConnectionPending
    {3108, magenta, false}, // ResolvingHost
    {3109, magenta, false}, // HostResolved
    {3110, magenta, false}, // Connecting
    {3111, green, true},    // Connected
    {3112, magenta, false}, // Closing
    {3113, red, false},     // Error
}};

} // namespace

std::optional<ConnectionStateInfo> StateInfo(int state)
{
    if (state < 0 || state >= int(states.size()))
        return std::nullopt;
    return states[size_t(state)];
}

bool IsUsable(ConnectionState state)
{
    return states[size_t(state)].usable;
}

QString StateLabelText(int state)
{
    QString text = modTools::GetText(3103) + QLatin1String(": ");
    if (const auto info = StateInfo(state))
        text += modTools::GetText(info->textId);
    return text;
}
