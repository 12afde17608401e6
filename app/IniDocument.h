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

    const QByteArray& bytes() const;

private:
    enum class Ending : quint8
    {
        None,
        Cr,
        Lf,
        CrLf
    };
    // A line's text lies in m_text, the bytes read, or in m_added, the text written since. Neither
    // buffer changes what it holds, so lines and names keep their offsets, and a new line is linked
    // in after its neighbour: writing the forty keys of a set costs no pass over the lines.
    struct Line
    {
        qsizetype start = 0;
        qsizetype size = 0; // without the line ending
        qsizetype next = -1;
        Ending ending = Ending::None;
        bool added = false;
    };
    // The name of a section (owner -1, target its index in m_sections) or of a key (owner its
    // section, target its line), found in m_slots by a hash of its case-folded characters.
    struct Name
    {
        size_t hash = 0;
        qsizetype start = 0;
        qsizetype size = 0;
        qsizetype owner = -1;
        qsizetype target = 0;
        bool added = false;
    };
    // Only the first section of a name counts; its line and its last key line.
    struct Section
    {
        qsizetype line = 0;
        qsizetype lastKey = -1;
    };
    void parse();
    // Indexes what line id, of that text, says under section current; false when the line is no
    // key and no section, which an added line must not be.
    bool index(qsizetype id, QByteArrayView text, qsizetype& current);
    // Links a line of m_added from start to its end after line after (-1: the first line); its id.
    qsizetype appendLine(qsizetype after, qsizetype start);
    QByteArrayView text(const Line& line) const;
    template <typename Text> const Name* find(qsizetype owner, const Text& name, size_t hash) const;
    // The name of that text, which starts there in m_added or m_text; false when it is known.
    bool addName(qsizetype owner, qsizetype target, QByteArrayView text, qsizetype start, bool added);
    // Puts a name into its free slot; rehash makes count slots anew and places every name again.
    void place(size_t name);
    void rehash(size_t count);
    // Slots for as many names as m_names has room for.
    void fitSlots();
    // Room for the two lines and two names an added key brings at most, with slots for them.
    void makeRoom();
    qsizetype findSection(const QString& section) const;
    qsizetype findKey(qsizetype section, const QString& key) const;

    QByteArray m_text;
    QByteArray m_added;
    std::vector<Line> m_lines;
    std::vector<Name> m_names;
    std::vector<qsizetype> m_slots; // indexes into m_names, -1 where free
    std::vector<Section> m_sections;
    qsizetype m_last = -1; // the id of the last line, -1 in an empty file
    bool m_edited = false;
    mutable std::optional<QString> m_lastSection; // and what findSection found for it
    mutable qsizetype m_lastSectionIndex = -1;
    mutable QByteArray m_joined; // the lines joined again after an edit
    mutable bool m_joinedValid = false;
};
