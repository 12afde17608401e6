// Command-set files: all eight quick-dial memories in one INI file, section SETTINGS, five keys per
// memory. The format is shared with the Windows tool this program replaces, so it stays as it is:
// values are joined with "#" and not escaped, Windows-1252, CR LF.
#pragma once

#include <QString>

class IniDocument;
class QuickDialMemories;

namespace CommandSetFile {

// Reads the set into the eight memories and shows each as used or empty. A missing file, section
// or key reads as its default; no content of a file makes the load fail.
void LoadCommandSet(const QString& filePath, QuickDialMemories& memories);

// Writes the forty keys of the set into the file at once: other sections and keys of an existing
// file stay as they were, and the file on disk is always either the old or the new one whole.
// Line breaks in a value are written as blanks. False when the file could not be written.
bool SaveCommandSet(const QString& filePath, const QuickDialMemories& memories);

// The same on a document in memory.
void LoadCommandSet(const IniDocument& document, QuickDialMemories& memories);
void SaveCommandSet(IniDocument& document, const QuickDialMemories& memories);

} // namespace CommandSetFile
