#include "Instrument.h"

#include <algorithm>
#include <limits>

namespace sim {

namespace {

// Interface values set with "!" that a client may ask for with "?"; the cap keeps a client that
// invents endless names from growing the server.
constexpr qsizetype MaxInterfaceValues = 1000;

struct CommandError
{
    QByteArray message;
};

[[noreturn]] void fail(QByteArray message)
{
    throw CommandError{std::move(message)};
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isRestrictedChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-' || c == '_';
}

// A piece of client text fit to stand in an error reply: short and without control bytes.
QByteArray quoted(QByteArrayView text)
{
    constexpr qsizetype MaxShown = 32;
    QByteArray shown = text.first(qMin(text.size(), MaxShown)).toByteArray();
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    if (text.size() > MaxShown)
        shown += "...";
    return '\'' + shown + '\'';
}

QByteArray okReply(const CommandDef& def)
{
    return QByteArray(def.code) + ":OK";
}

} // namespace

class Instrument::Cursor
{
public:
    explicit Cursor(QByteArrayView line) : m_rest(line) {}

    // The next blank-separated word; empty at the end of the line.
    QByteArrayView token()
    {
        skipBlanks();
        qsizetype end = 0;
        while (end < m_rest.size() && !isBlank(m_rest[end]))
            ++end;
        const QByteArrayView word = m_rest.first(end);
        m_rest = m_rest.sliced(end);
        return word;
    }

    // The rest of the line after the one blank that separates it from the word before: text
    // parameters keep their blanks.
    QByteArrayView text()
    {
        if (!m_rest.isEmpty() && isBlank(m_rest[0]))
            m_rest = m_rest.sliced(1);
        const QByteArrayView rest = m_rest;
        m_rest = {};
        return rest;
    }

    bool atEnd()
    {
        skipBlanks();
        return m_rest.isEmpty();
    }

    qint64 number(const char* name, qint64 min, qint64 max)
    {
        const QByteArrayView word = token();
        if (word.isEmpty())
            fail("missing " + QByteArray(name));
        qsizetype digits = (word[0] == '-' || word[0] == '+') ? 1 : 0;
        bool ok = digits < word.size();
        for (qsizetype i = digits; ok && i < word.size(); ++i)
            ok = word[i] >= '0' && word[i] <= '9';
        if (!ok)
            fail(QByteArray(name) + ' ' + quoted(word) + " is not a whole number");
        bool inRange = false;
        const qint64 value = word.toByteArray().toLongLong(&inRange);
        if (!inRange || value < min || value > max) {
            fail(QByteArray(name) + ' ' + quoted(word) + " out of range " + QByteArray::number(min) + ".." +
                 QByteArray::number(max));
        }
        return value;
    }

    void expectEnd()
    {
        if (!atEnd())
            fail("too many parameters");
    }

private:
    void skipBlanks()
    {
        while (!m_rest.isEmpty() && isBlank(m_rest[0]))
            m_rest = m_rest.sliced(1);
    }

    QByteArrayView m_rest;
};

Instrument::Instrument(int deviceType) : m_vocabulary(vocabulary(deviceType))
{
    m_modes.fill(m_vocabulary.modes.constFirst());
}

QByteArray Instrument::errorReply(QByteArrayView message)
{
    return "ERR:" + message.toByteArray();
}

QByteArray Instrument::execute(QByteArrayView line)
{
    Cursor args(line);
    const QByteArrayView word = args.token();
    try {
        if (word.isEmpty())
            fail("empty command");
        const CommandDef* def = m_vocabulary.find(word.toByteArray().toUpper());
        if (def == nullptr)
            fail("unknown command " + quoted(word));
        return run(*def, args);
    } catch (const CommandError& error) {
        return errorReply(error.message);
    }
}

QByteArray Instrument::run(const CommandDef& def, Cursor& args)
{
    const QByteArray code(def.code);
    switch (def.op) {
    case Op::Mode:
        return setMode(def, args);
    case Op::GetMode:
        if (m_vocabulary.groupModes) {
            const qint64 group = args.number("group", def.min, def.max);
            args.expectEnd();
            return code + ' ' + QByteArray::number(group) + ':' + QByteArray::number(m_modes[group]);
        }
        args.expectEnd();
        return code + ':' + QByteArray::number(m_modes[0]);
    case Op::SetDevice: {
        const qint64 addr = address(args);
        m_values.insert(QByteArray(def.field) + '#' + QByteArray::number(addr), value(def, args));
        return okReply(def);
    }
    case Op::GetDevice: {
        const qint64 addr = address(args);
        args.expectEnd();
        const QByteArray fallback = def.fmt == Fmt::Number ? "0" : "";
        return code + ' ' + QByteArray::number(addr) + ':' +
               m_values.value(QByteArray(def.field) + '#' + QByteArray::number(addr), fallback);
    }
    case Op::SetShared:
        m_values.insert(QByteArray(def.field), value(def, args));
        return okReply(def);
    case Op::GetShared:
        args.expectEnd();
        return code + ':' + m_values.value(QByteArray(def.field), def.fmt == Fmt::Number ? "0" : "");
    case Op::Ack:
        if (def.fmt == Fmt::None)
            args.expectEnd();
        else
            value(def, args);
        return okReply(def);
    case Op::AckDevice:
        address(args);
        value(def, args);
        return okReply(def);
    case Op::Order: {
        const qint64 addr = address(args);
        return order(def, addr, value(def, args));
    }
    }
    return errorReply("unhandled command");
}

QByteArray Instrument::setMode(const CommandDef& def, Cursor& args)
{
    constexpr qint64 Any = std::numeric_limits<qint64>::max();
    const qint64 mode = args.number("mode", -Any, Any);
    const auto& modes = m_vocabulary.modes;
    if (std::none_of(modes.begin(), modes.end(), [mode](int m) { return m == mode; })) {
        QByteArray allowed;
        for (int m : m_vocabulary.modes)
            allowed += (allowed.isEmpty() ? "" : " ") + QByteArray::number(m);
        fail("mode " + QByteArray::number(mode) + " not supported (" + allowed + ")");
    }
    if (!m_vocabulary.groupModes || args.atEnd()) {
        args.expectEnd();
        if (m_vocabulary.groupModes && mode == 2)
            m_modes[1] = 2; // pausing concerns measurement group 1 only
        else
            m_modes.fill(int(mode));
        return okReply(def);
    }
    if (mode == 2) {
        // Pausing one device of group 1 leaves the group's mode as it is.
        address(args);
        args.expectEnd();
        return okReply(def);
    }
    const qint64 group = args.number("group", 0, 3);
    args.expectEnd();
    m_modes[group] = int(mode);
    return okReply(def);
}

// A device or interface command: "?" in its first word asks for a value that an earlier command
// of the same name with "!" (or without either, where the device type allows it) has set.
QByteArray Instrument::order(const CommandDef& def, qint64 address, QByteArrayView command)
{
    Cursor words(command);
    const QByteArrayView word = words.token();
    const bool question = word.contains('?');
    const bool execution = word.contains('!');
    if (def.fmt == Fmt::Interface && question == execution)
        fail(question ? "interface command has both ! and ?" : "interface command needs ! or ?");
    QByteArray name = word.toByteArray();
    name.replace('?', QByteArray()).replace('!', QByteArray());
    const QByteArray key = QByteArray::number(address) + '#' + name;
    if (question && !execution)
        return QByteArray(def.code) + ' ' + QByteArray::number(address) + ':' +
               m_interfaceValues.value(key, "0");
    if (!name.isEmpty()) {
        if (!m_interfaceValues.contains(key) && m_interfaceValues.size() >= MaxInterfaceValues)
            fail("too many interface values stored");
        m_interfaceValues.insert(key, words.text().toByteArray());
    }
    return okReply(def);
}

qint64 Instrument::address(Cursor& args) const
{
    return args.number("address", m_vocabulary.addressMin, m_vocabulary.addressMax);
}

// Checks the value parameter of a set command and returns it as it is to be stored.
QByteArray Instrument::value(const CommandDef& def, Cursor& args) const
{
    if (def.fmt == Fmt::Number) {
        const qint64 number = args.number("value", def.min, def.max);
        args.expectEnd();
        return QByteArray::number(number);
    }
    const QByteArrayView text = args.text();
    if (text.size() > def.max)
        fail("text longer than " + QByteArray::number(def.max) + " characters");
    if (def.fmt == Fmt::Path && text.trimmed().isEmpty())
        fail("missing file path");
    if (def.fmt == Fmt::Restricted) {
        for (char c : text) {
            if (!isRestrictedChar(c))
                fail("character " + quoted(QByteArrayView(&c, 1)) + " not allowed (a-z A-Z 0-9 blank - _)");
        }
    }
    return text.toByteArray();
}

} // namespace sim
