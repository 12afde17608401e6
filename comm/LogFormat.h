// How a log row is written outside the window: the journal's line, an export's CSV record and the
// runner's JSON line. The words and the text escaping are the same in all of them.
#pragma once

#include "LogRow.h"

#include <QByteArray>

namespace LogFormat {

// The row's text with every control character (below 0x20, and 0x7F to 0x9F) as "<XX>" (upper-case
// hex), and half a surrogate pair as U+FFFD, so that a row stays one line and one field of UTF-8. CR and LF
// are already "<CR>" and "<LF>" in the log.
QString EscapedText(const QString& text);

// "2026-12-07T01:02:03.456Z", the row's UTC time.
QByteArray IsoTime(const QDateTime& time);

// time TAB mode TAB text LF, UTF-8.
QByteArray JournalLine(const LogRow& row);
// The journal's first line: a comment naming the program and its version.
QByteArray JournalHeader();
// A comment line; line breaks in it become blanks.
QByteArray JournalComment(const QString& comment);

// RFC 4180: the header and one record per row, CR LF line ends, UTF-8. A file begins with the
// byte-order mark so that spreadsheets read the umlauts.
QByteArray CsvByteOrderMark();
QByteArray CsvHeader();
QByteArray CsvRecord(const LogRow& row);
// A field quoted, its quotes doubled, when it holds a comma, a quote, CR or LF.
QByteArray CsvField(const QByteArray& utf8);

// {"time":"...","mode":"...","text":"..."} LF.
QByteArray JsonLine(const LogRow& row);

} // namespace LogFormat
