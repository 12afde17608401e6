// Constants that the program and the instrument simulator share.
#pragma once

#include <QtGlobal>

// TCP port of the instrument application's command server when none is configured.
inline constexpr quint16 DefaultCommandPort = 5025;
