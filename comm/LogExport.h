// Saving the traffic log to a file the user chose: CSV for a ".csv" name, journal lines for any other.
#pragma once

#include "LogRow.h"

#include <functional>

namespace LogExport {

// Writes count rows, rowAt(0) .. rowAt(count - 1), into path as a whole or not at all. progress is
// asked now and then with the rows written so far and cancels the export when it says false.
// Gives an error text, or nothing when the file was written.
QString Write(const QString& path, qsizetype count, const std::function<LogRow(qsizetype)>& rowAt,
              const std::function<bool(qsizetype)>& progress = {});

} // namespace LogExport
