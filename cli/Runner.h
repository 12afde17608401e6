// The run of relaytab-run: connect, send the commands through the session engine with the window's
// pacing, print every row as it is logged, close in order, and say by the exit status how it went.
#pragma once

#include "RunOptions.h"

namespace Runner {

// The options with every default applied; commands not empty. Returns the exit status.
int Run(const RunOptions::Options& options, const QStringList& commands);

} // namespace Runner
