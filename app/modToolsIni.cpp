#include "IniDocument.h"
#include "modTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace {

// Looked up rather than compared: every line of a file is trimmed at both ends.
constexpr auto blanks = [] {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\t', '\v', '\f', '\r', '\x1a'})
        table[quint8(c)] = true;
    return table;
}();

bool isBlank(char c)
{
    return blanks[quint8(c)];
}

// The loops here and over names walk pointers: the fuzzer traces every integer comparison, and a
// counter's tells it nothing.
QByteArrayView trimmed(QByteArrayView text)
{
    const char* from = text.begin();
    const char* to = text.end();
    while (from != to && isBlank(*from))
        ++from;
    while (to != from && isBlank(to[-1]))
        --to;
    return QByteArrayView(from, to);
}

// Appends "=" and the value in the code page; a line break in it (CR LF, CR or LF) becomes one
// blank, as a key line cannot hold one.
void appendValue(QByteArray& bytes, const QString& value)
{
    bytes.append('=');
    const qsizetype start = bytes.size();
    modTools::AppendAnsi(bytes, value);
    const QByteArrayView added = QByteArrayView(bytes).sliced(start);
    if (!added.contains('\r') && !added.contains('\n'))
        return;
    char* const data = bytes.data();
    qsizetype out = start;
    for (qsizetype in = start; in < bytes.size(); ++in) {
        const char c = data[in];
        if (c == '\r' && in + 1 < bytes.size() && data[in + 1] == '\n')
            ++in;
        data[out++] = c == '\r' || c == '\n' ? ' ' : c;
    }
    bytes.truncate(out);
}

// What a line names once blanks are trimmed: a section ("[name]", the "]" optional), a key
// ("name=value", or a line without "=") or nothing (blank lines and ";" comments). The name's
// offset is counted from the start of the line.
enum class Kind
{
    Nothing,
    Section,
    Key
};
struct Named
{
    Kind kind = Kind::Nothing;
    qsizetype from = 0;
    qsizetype size = 0;
};

Named named(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text.front() == ';')
        return {};
    QByteArrayView name;
    Kind kind = Kind::Key;
    if (text.front() == '[') {
        const qsizetype close = text.indexOf(']');
        name = trimmed(text.sliced(1, (close < 0 ? text.size() : close) - 1));
        kind = Kind::Section;
    } else {
        const qsizetype eq = text.indexOf('=');
        name = trimmed(eq < 0 ? text : text.first(eq));
    }
    return {kind, name.data() - line.data(), name.size()};
}

// Every character folded as QString::compare folds them without case, by a table: the names a set
// reads and writes are looked up some hundred times a load.
const std::array<char16_t, 65536>& foldedChars()
{
    static const auto table = [] {
        auto all = std::make_unique<std::array<char16_t, 65536>>();
        for (char32_t c = 0; c < 65536; ++c)
            (*all)[c] = char16_t(QChar::toCaseFolded(c));
        return all;
    }();
    return *table;
}

// The same for the code page's characters, by byte; each byte is one character of the first plane.
const std::array<char16_t, 256>& foldedBytes()
{
    static const auto table = [] {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = modTools::FromAnsi(all);
        std::array<char16_t, 256> folded;
        for (int b = 0; b < 256; ++b)
            folded[size_t(b)] = foldedChars()[text[b].unicode()];
        return folded;
    }();
    return table;
}

// A name as the file holds it, in bytes of the code page, and as a caller gives it; each folds
// its characters.
struct FileName
{
    const char* begin;
    const char* end;
    const std::array<char16_t, 256>& table = foldedBytes();
    char16_t fold(char c) const { return table[quint8(c)]; }
};

struct CallerName
{
    const QChar* begin;
    const QChar* end;
    const std::array<char16_t, 65536>& table = foldedChars();
    CallerName(const QString& name) : begin(name.cbegin()), end(name.cend()) {}
    char16_t fold(QChar c) const { return table[c.unicode()]; }
};

// Room for needed more, by first or by as much as there is: a set writes some forty keys at once,
// and gets room for them in one step rather than in a few doublings.
template <typename Table> void grow(Table& table, qsizetype needed, qsizetype first)
{
    if (qsizetype(table.capacity()) - qsizetype(table.size()) < needed)
        table.reserve(qsizetype(table.size()) + std::max(qsizetype(table.size()), first));
}

template <typename Text> size_t hashOf(qsizetype owner, const Text& name)
{
    size_t hash = 14695981039346656037ULL ^ size_t(owner + 1);
    for (auto c = name.begin; c != name.end; ++c)
        hash = (hash ^ name.fold(*c)) * 1099511628211ULL;
    return hash;
}

} // namespace

std::optional<IniDocument> IniDocument::load(const QString& filePath)
{
    IniDocument doc;
    QFile file(filePath);
    if (!file.exists())
        return doc;
    if (QFileInfo(filePath).isDir() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    doc.m_text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    doc.parse();
    return doc;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_text = bytes;
    doc.parse();
    return doc;
}

const QByteArray& IniDocument::bytes() const
{
    if (!m_edited)
        return m_text;
    if (!m_joinedValid) {
        static const QByteArrayView endings[] = {"", "\r", "\n", "\r\n"};
        // No line is ever put before the first one read.
        const qsizetype first = m_lines.empty() ? -1 : 0;
        qsizetype size = 0;
        for (qsizetype id = first; id >= 0; id = m_lines[size_t(id)].next)
            size += m_lines[size_t(id)].size + endings[int(m_lines[size_t(id)].ending)].size();
        m_joined = QByteArray(size, Qt::Uninitialized);
        char* out = m_joined.data();
        for (qsizetype id = first; id >= 0; id = m_lines[size_t(id)].next) {
            const Line& line = m_lines[size_t(id)];
            const QByteArrayView content = text(line);
            const QByteArrayView ending = endings[int(line.ending)];
            out = std::copy_n(content.data(), content.size(), out);
            out = std::copy_n(ending.data(), ending.size(), out);
        }
        m_joinedValid = true;
    }
    return m_joined;
}

QByteArrayView IniDocument::text(const Line& line) const
{
    return QByteArrayView(line.added ? m_added : m_text).sliced(line.start, line.size);
}

void IniDocument::parse()
{
    m_added.clear();
    m_lines.clear();
    m_names.clear();
    m_slots.clear();
    m_sections.clear();
    m_lastSection.reset();
    m_edited = false;
    m_joinedValid = false;
    const char* bytes = m_text.constData();
    const qsizetype size = m_text.size();
    // The next CR and the next LF, each searched for again only once passed, so that a file with
    // only one kind of line ending is not searched to its end for the other on every line.
    const auto nextOf = [&](char c, qsizetype from) {
        const void* at = std::memchr(bytes + from, c, size_t(size - from));
        return at ? static_cast<const char*>(at) - bytes : size;
    };
    // Room for every line, and for the names up to the size of a large command set; a larger file
    // grows their index as it goes, as blank lines and comments have no name. No more: most
    // documents are only read, and an edit grows the tables as it needs.
    size_t room = 1;
    for (qsizetype at = nextOf('\n', 0); at < size; at = nextOf('\n', at + 1))
        ++room;
    // A CR ends a line of its own unless an LF follows it.
    for (qsizetype at = nextOf('\r', 0); at < size; at = nextOf('\r', at + 1))
        room += at + 1 == size || bytes[at + 1] != '\n';
    m_lines.reserve(room);
    m_names.reserve(std::min<size_t>(room, 1024));
    fitSlots();
    qsizetype cr = -1;
    qsizetype lf = -1;
    qsizetype current = -1;
    for (qsizetype at = 0; at < size;) {
        if (cr < at)
            cr = nextOf('\r', at);
        if (lf < at)
            lf = nextOf('\n', at);
        Line line{at, std::min(cr, lf) - at, qsizetype(m_lines.size()) + 1, Ending::None, false};
        at += line.size;
        // CR, LF and CR LF each end a line.
        if (at < size && bytes[at] == '\r' && at + 1 < size && bytes[at + 1] == '\n')
            line.ending = Ending::CrLf, at += 2;
        else if (at < size)
            line.ending = bytes[at] == '\r' ? Ending::Cr : Ending::Lf, ++at;
        m_lines.push_back(line);
        index(qsizetype(m_lines.size()) - 1, QByteArrayView(bytes + line.start, line.size), current);
    }
    m_last = qsizetype(m_lines.size()) - 1;
    if (m_last >= 0)
        m_lines.back().next = -1;
}

bool IniDocument::index(qsizetype id, QByteArrayView text, qsizetype& current)
{
    const Line& line = m_lines[size_t(id)];
    const Named name = named(text);
    const QByteArrayView nameText = text.sliced(name.from, name.size);
    const qsizetype nameStart = line.start + name.from;
    if (name.kind == Kind::Section) {
        const qsizetype section = qsizetype(m_sections.size());
        // A later section of a name seen before counts for nothing, and so do its keys.
        current = addName(-1, section, nameText, nameStart, line.added) ? section : -1;
        if (current >= 0) {
            // Room for the few a file holds, in one step.
            if (m_sections.empty())
                m_sections.reserve(4);
            m_sections.push_back({id, -1});
        }
    } else if (name.kind == Kind::Key && current >= 0) {
        m_sections[size_t(current)].lastKey = id;
        addName(current, id, nameText, nameStart, line.added);
    }
    return name.kind != Kind::Nothing;
}

template <typename Text>
const IniDocument::Name* IniDocument::find(qsizetype owner, const Text& name, size_t hash) const
{
    if (m_slots.empty())
        return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask; m_slots[slot] >= 0; slot = (slot + 1) & mask) {
        const Name& candidate = m_names[size_t(m_slots[slot])];
        if (candidate.hash != hash || candidate.owner != owner || candidate.size != name.end - name.begin)
            continue;
        const char* const start = (candidate.added ? m_added : m_text).constData() + candidate.start;
        const FileName known{start, start + candidate.size};
        auto c = name.begin;
        for (const char* k = known.begin; c != name.end && known.fold(*k) == name.fold(*c); ++k)
            ++c;
        if (c == name.end)
            return &candidate;
    }
    return nullptr;
}

bool IniDocument::addName(qsizetype owner, qsizetype target, QByteArrayView text, qsizetype start, bool added)
{
    const FileName name{text.begin(), text.end()};
    const size_t hash = hashOf(owner, name);
    if (find(owner, name, hash))
        return false;
    m_names.push_back({hash, start, text.size(), owner, target, added});
    // Half full at most, so that a search meets a free slot soon.
    if (m_names.size() * 2 > m_slots.size())
        rehash(std::max<size_t>(16, m_slots.size() * 2));
    else
        place(m_names.size() - 1);
    return true;
}

void IniDocument::place(size_t name)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = m_names[name].hash & mask;
    while (m_slots[slot] >= 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = qsizetype(name);
}

void IniDocument::rehash(size_t count)
{
    m_slots.assign(count, -1);
    for (size_t n = 0; n < m_names.size(); ++n)
        place(n);
}

void IniDocument::fitSlots()
{
    if (2 * m_names.capacity() > m_slots.size())
        rehash(std::bit_ceil(2 * m_names.capacity()));
}

void IniDocument::makeRoom()
{
    grow(m_lines, 2, 64);
    grow(m_names, 2, 64);
    fitSlots();
}

qsizetype IniDocument::findSection(const QString& section) const
{
    // A set asks for the same section forty times in a row.
    if (m_lastSection && section == *m_lastSection)
        return m_lastSectionIndex;
    const CallerName name(section);
    const Name* found = find(-1, name, hashOf(-1, name));
    m_lastSection = section;
    m_lastSectionIndex = found ? found->target : -1;
    return m_lastSectionIndex;
}

qsizetype IniDocument::findKey(qsizetype section, const QString& key) const
{
    if (section < 0)
        return -1;
    const CallerName name(key);
    const Name* found = find(section, name, hashOf(section, name));
    return found ? found->target : -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype id = findKey(findSection(section), key);
    if (id < 0)
        return std::nullopt;
    const QByteArrayView text = trimmed(this->text(m_lines[size_t(id)]));
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    QByteArrayView value = trimmed(text.sliced(eq + 1));
    // As the Windows reader does: one pair of matching outer quotes is dropped.
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return modTools::FromAnsi(value);
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    qsizetype owner = findSection(section);
    const qsizetype id = findKey(owner, key);
    grow(m_added, 256, 2048);
    m_edited = true;
    m_joinedValid = false;
    if (id >= 0) {
        Line& line = m_lines[size_t(id)];
        const Named name = named(text(line));
        const qsizetype start = m_added.size();
        // The name may lie in m_added itself; append() copies what it is given before it grows.
        m_added.append(text(line).sliced(name.from, name.size));
        appendValue(m_added, value);
        line = {start, m_added.size() - start, line.next, line.ending, true};
        return;
    }
    // A missing section goes at the end of the file, and its key follows it. A name that reads as a
    // comment or as another section, or holds a line break, changes what the lines after it mean;
    // the file is then read again rather than followed by hand.
    makeRoom();
    // The code page keeps CR and LF as they are, and a value's become blanks.
    const auto breaks = [](const QString& name) { return name.contains(u'\r') || name.contains(u'\n'); };
    const auto followed = [this](qsizetype id, qsizetype& current) {
        return index(id, text(m_lines[size_t(id)]), current);
    };
    qsizetype current = owner;
    qsizetype after;
    bool indexed = !breaks(key);
    if (owner < 0) {
        const qsizetype start = m_added.size();
        m_added.append('[');
        modTools::AppendAnsi(m_added, section);
        m_added.append(']');
        after = appendLine(m_last, start);
        m_lastSection.reset();
        indexed = indexed && !breaks(section) && followed(after, current) && current >= 0;
        owner = current;
    } else {
        const Section& own = m_sections[size_t(owner)];
        after = own.lastKey >= 0 ? own.lastKey : own.line;
    }
    const qsizetype keyStart = m_added.size();
    modTools::AppendAnsi(m_added, key);
    appendValue(m_added, value);
    const qsizetype added = appendLine(after, keyStart);
    if (!indexed || !followed(added, current) || current != owner) {
        m_text = bytes();
        parse();
    }
}

qsizetype IniDocument::appendLine(qsizetype after, qsizetype start)
{
    const qsizetype id = qsizetype(m_lines.size());
    Line line{start, m_added.size() - start, -1, Ending::CrLf, true};
    if (after >= 0) {
        Line& before = m_lines[size_t(after)];
        if (before.ending == Ending::None) // last line of the file without a line ending
            before.ending = Ending::CrLf;
        line.next = before.next;
        before.next = id;
    }
    if (line.next < 0)
        m_last = id;
    m_lines.push_back(line);
    return id;
}

bool IniDocument::save(const QString& filePath) const
{
    const QFileInfo info(filePath);
    if (info.isDir() || !info.absoluteDir().exists())
        return false;
    QSaveFile file(filePath);
    // Unbuffered, so that a full disk shows in write() itself: a buffered write fails only in the
    // flush at commit, which does not stop the empty file from replacing the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray& content = bytes();
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace modTools {

qint32 ReadIniString(const QString& section, const QString& key, const QString& defaultValue, QString& value,
                     qint32 size, const QString& filePath)
{
    value = QString(qMax(size, 0) + 1, u' ');
    std::optional<QString> stored;
    if (const auto doc = IniDocument::load(filePath))
        stored = doc->value(section, key);
    const QString& text = stored ? *stored : defaultValue;
    value = size > 0 ? text.left(size - 1) : QString();
    return qint32(value.size());
}

bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& filePath)
{
    auto doc = IniDocument::load(filePath);
    if (!doc)
        return false;
    doc->setValue(section, key, value);
    return doc->save(filePath);
}

} // namespace modTools
