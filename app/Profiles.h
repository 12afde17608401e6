// Profiles: one data folder per instrument, each with its own settings, command set and journal.
#pragma once

#include <QString>

namespace Profiles {

// 1 to 64 ASCII letters, digits, "-" and "_": a name that is one folder on every file system.
bool IsValidName(const QString& name);

// The data folder of a profile under the program's data folder; both end in "/".
QString DataFolder(const QString& dataFolder, const QString& name);

// The one-line usage error for a name that is not valid.
QString InvalidNameMessage(const QString& name);

} // namespace Profiles
