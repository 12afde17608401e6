// An INI file held in memory under the private-profile rules. Several keys can be written and
// the file replaced once, so that a set of keys that belongs together reaches the disk whole.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class IniDocument
{
public:
    // Loads the file; a missing file gives an empty document. Nothing when it cannot be read.
    static std::optional<IniDocument> load(const QString& filePath);
    static IniDocument fromBytes(const QByteArray& bytes);

    // The value of section/key, or nothing when the section or the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Sets section/key: an existing key keeps its line, a missing key follows the last key line of
    // its section, a missing section goes at the end. Line breaks in value become blanks.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Replaces the file atomically; false when it could not (the old file is then untouched).
    bool save(const QString& filePath) const;

    const QByteArray& bytes() const { return m_bytes; }

private:
    struct Line
    {
        qsizetype start = 0;
        qsizetype contentEnd = 0; // first byte of the line ending
        qsizetype end = 0;        // first byte after the line ending
    };
    // The lines are read once, with the names of sections and keys decoded, and kept up to date by
    // setValue: reading and writing the forty keys of a set then costs one pass, not forty.
    struct Entry
    {
        enum Kind
        {
            Other, // blank, comment, or a key line outside any section
            Section,
            Key,
        };
        Line line;
        Kind kind = Other;
        QString name;
    };
    struct Location
    {
        std::optional<qsizetype> section; // indexes into m_entries
        std::optional<qsizetype> key;
        std::optional<qsizetype> lastKeyLine;
    };

    const std::vector<Entry>& entries() const;
    Location locate(const QString& section, const QString& key) const;
    std::optional<Line> nextLine(qsizetype from) const;
    // The bytes from position at on moved by delta; entries from index first on follow them.
    void shiftEntries(qsizetype first, qsizetype delta);

    QByteArray m_bytes;
    mutable std::vector<Entry> m_entries;
    mutable bool m_read = false;
};
