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

bool sameName(QByteArrayView stored, const QString& wanted)
{
    return modTools::FromAnsi(stored).compare(wanted, Qt::CaseInsensitive) == 0;
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

IniDocument::Location IniDocument::locate(const QString& section, const QString& key) const
{
    Location where;
    bool inSection = false;
    for (auto line = nextLine(0); line; line = nextLine(line->end)) {
        const QByteArrayView text =
            trimmed(QByteArrayView(m_bytes).sliced(line->start, line->contentEnd - line->start));
        if (text.isEmpty() || text.front() == ';')
            continue;
        if (text.front() == '[') {
            if (inSection)
                break; // only the first matching section counts
            qsizetype close = text.indexOf(']');
            if (close < 0)
                close = text.size();
            if (sameName(trimmed(text.sliced(1, close - 1)), section)) {
                inSection = true;
                where.section = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        where.lastKeyLine = line;
        if (!where.key) {
            const qsizetype eq = text.indexOf('=');
            if (sameName(trimmed(eq < 0 ? text : text.first(eq)), key))
                where.key = line;
        }
    }
    return where;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Location where = locate(section, key);
    if (!where.key)
        return std::nullopt;
    const QByteArrayView text =
        trimmed(QByteArrayView(m_bytes).sliced(where.key->start, where.key->contentEnd - where.key->start));
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
        const Line line = *where.key;
        const QByteArrayView text =
            trimmed(QByteArrayView(m_bytes).sliced(line.start, line.contentEnd - line.start));
        const qsizetype eq = text.indexOf('=');
        const QByteArray storedKey = trimmed(eq < 0 ? text : text.first(eq)).toByteArray();
        m_bytes.replace(line.start, line.contentEnd - line.start, storedKey + '=' + keyLineValue);
        return;
    }
    const QByteArray newLine = modTools::ToAnsi(key) + '=' + keyLineValue + "\r\n";
    if (where.section) {
        const Line after = where.lastKeyLine ? *where.lastKeyLine : *where.section;
        qsizetype at = after.end;
        if (after.contentEnd == after.end) { // last line of the file without a line ending
            m_bytes.insert(at, "\r\n");
            at += 2;
        }
        m_bytes.insert(at, newLine);
        return;
    }
    if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r'))
        m_bytes.append("\r\n");
    m_bytes.append('[' + modTools::ToAnsi(section) + "]\r\n" + newLine);
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
