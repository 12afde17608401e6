#include "IniDocument.h"
#include "modTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || (c >= 0x0b && c <= 0x0d) || c == 0x1a;
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

QString withoutLineBreaks(const QString& value)
{
    QString text = value;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
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
    doc.m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return doc;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_bytes = bytes;
    return doc;
}

std::optional<IniDocument::Line> IniDocument::nextLine(qsizetype from) const
{
    if (from >= m_bytes.size())
        return std::nullopt;
    Line line;
    line.start = from;
    qsizetype i = from;
    while (i < m_bytes.size() && m_bytes[i] != '\r' && m_bytes[i] != '\n')
        ++i;
    line.contentEnd = i;
    if (i < m_bytes.size()) {
        // CR, LF and CR LF each end a line.
        if (m_bytes[i] == '\r' && i + 1 < m_bytes.size() && m_bytes[i + 1] == '\n')
            ++i;
        ++i;
    }
    line.end = i;
    return line;
}

const std::vector<IniDocument::Line>& IniDocument::lines() const
{
    if (m_read)
        return m_lines;
    m_lines.clear();
    m_lines.reserve(size_t(m_bytes.count('\n') + 1));
    m_sections.clear();
    SectionIndex* current = nullptr; // null in a later section of a name seen before
    for (auto line = nextLine(0); line; line = nextLine(line->end)) {
        const QByteArrayView text =
            trimmed(QByteArrayView(m_bytes).sliced(line->start, line->contentEnd - line->start));
        const qsizetype index = qsizetype(m_lines.size());
        if (!text.isEmpty() && text.front() == '[') {
            qsizetype close = text.indexOf(']');
            if (close < 0)
                close = text.size();
            // Only the first section of a name counts.
            const Name name{modTools::FromAnsi(trimmed(text.sliced(1, close - 1)))};
            const auto [where, added] = m_sections.try_emplace(name, SectionIndex{index, {}, {}});
            current = added ? &where->second : nullptr;
        } else if (!text.isEmpty() && text.front() != ';' && current) {
            const qsizetype eq = text.indexOf('=');
            current->lastKey = index;
            current->keys.try_emplace(Name{modTools::FromAnsi(trimmed(eq < 0 ? text : text.first(eq)))},
                                      index);
        }
        m_lines.push_back(*line);
    }
    m_read = true;
    return m_lines;
}

IniDocument::Location IniDocument::locate(const QString& section, const QString& key) const
{
    lines();
    Location where;
    const auto found = m_sections.find(Name{section});
    if (found == m_sections.end())
        return where;
    where.section = found->second.entry;
    where.lastKeyLine = found->second.lastKey;
    const auto line = found->second.keys.find(Name{key});
    if (line != found->second.keys.end())
        where.key = line->second;
    return where;
}

void IniDocument::shiftLines(qsizetype first, qsizetype delta)
{
    for (size_t i = size_t(first); i < m_lines.size(); ++i) {
        m_lines[i].start += delta;
        m_lines[i].contentEnd += delta;
        m_lines[i].end += delta;
    }
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Location where = locate(section, key);
    if (!where.key)
        return std::nullopt;
    const Line& line = m_lines[size_t(*where.key)];
    const QByteArrayView text =
        trimmed(QByteArrayView(m_bytes).sliced(line.start, line.contentEnd - line.start));
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
    const QByteArray keyLineValue = modTools::ToAnsi(withoutLineBreaks(value));
    const Location where = locate(section, key);
    if (where.key) {
        Line& line = m_lines[size_t(*where.key)];
        const QByteArrayView text =
            trimmed(QByteArrayView(m_bytes).sliced(line.start, line.contentEnd - line.start));
        const qsizetype eq = text.indexOf('=');
        const QByteArray content = trimmed(eq < 0 ? text : text.first(eq)).toByteArray() + '=' + keyLineValue;
        const qsizetype delta = content.size() - (line.contentEnd - line.start);
        m_bytes.replace(line.start, line.contentEnd - line.start, content);
        line.contentEnd += delta;
        line.end += delta;
        shiftLines(*where.key + 1, delta);
        return;
    }
    const QByteArray newLine = modTools::ToAnsi(key) + '=' + keyLineValue + "\r\n";
    if (where.section) {
        const qsizetype afterIndex = where.lastKeyLine ? *where.lastKeyLine : *where.section;
        Line& after = m_lines[size_t(afterIndex)];
        const qsizetype oldEnd = after.end;
        if (after.contentEnd == after.end) { // last line of the file without a line ending
            m_bytes.insert(after.end, "\r\n");
            after.end += 2;
        }
        const qsizetype at = after.end;
        m_bytes.insert(at, newLine);
        shiftLines(afterIndex + 1, at + newLine.size() - oldEnd);
        const qsizetype index = afterIndex + 1;
        m_lines.insert(m_lines.begin() + index, Line{at, at + newLine.size() - 2, at + newLine.size()});
        // The lines from the new one on moved down by one.
        for (auto& [name, other] : m_sections) {
            other.entry += other.entry >= index ? 1 : 0;
            if (other.lastKey && *other.lastKey >= index)
                ++*other.lastKey;
            for (auto& [keyName, line] : other.keys)
                line += line >= index ? 1 : 0;
        }
        SectionIndex& own = m_sections.at(Name{section});
        own.lastKey = index;
        own.keys.try_emplace(Name{key}, index);
        return;
    }
    if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r'))
        m_bytes.append("\r\n");
    m_bytes.append('[' + modTools::ToAnsi(section) + "]\r\n" + newLine);
    // Rare: read again rather than follow the appended lines by hand.
    m_read = false;
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
    if (file.write(m_bytes) != m_bytes.size()) {
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
