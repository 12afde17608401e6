// An INI file held in memory under the private-profile rules. Several keys can be written and
// the file replaced once, so that a set of keys that belongs together reaches the disk whole.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <unordered_map>
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
    // The lines are read once and kept up to date by setValue, with an index of the names of
    // sections and keys: reading and writing the forty keys of a set then costs one pass over the
    // lines, not forty.
    // A name of a section or key, equal to another whatever their case, as the reader compares them.
    struct Name
    {
        QString text;
        friend bool operator==(const Name& a, const Name& b)
        {
            return a.text.compare(b.text, Qt::CaseInsensitive) == 0;
        }
    };
    // Over the characters folded as QString::compare folds them, so that names equal but for their
    // case hash alike. Names are text of the code page, which has nothing beyond the first plane.
    struct NameHash
    {
        size_t operator()(const Name& name) const
        {
            size_t seed = 0;
            for (const QChar c : name.text)
                seed = qHashMulti(seed, char16_t(QChar::toCaseFolded(c.unicode())));
            return seed;
        }
    };
    // Node maps, not QHash: an inserted line moves the lines after it, and walking a node map to
    // follow them costs its size, not its capacity.
    template <typename T> using NameMap = std::unordered_map<Name, T, NameHash>;
    // The first section of a name: its line, its last key line, and the first line of each key.
    struct SectionIndex
    {
        qsizetype entry = 0;
        std::optional<qsizetype> lastKey;
        NameMap<qsizetype> keys;
    };
    struct Location
    {
        std::optional<qsizetype> section; // indexes into m_lines
        std::optional<qsizetype> key;
        std::optional<qsizetype> lastKeyLine;
    };

    const std::vector<Line>& lines() const;
    Location locate(const QString& section, const QString& key) const;
    std::optional<Line> nextLine(qsizetype from) const;
    // The bytes of the lines from index first on moved by delta.
    void shiftLines(qsizetype first, qsizetype delta);

    QByteArray m_bytes;
    mutable std::vector<Line> m_lines;
    mutable NameMap<SectionIndex> m_sections;
    mutable bool m_read = false;
};
