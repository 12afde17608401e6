#include "Settings.h"

#include "Defaults.h"
#include "IniDocument.h"
#include "modGlobal.h"
#include "modTools.h"

#include <array>
#include <climits>

namespace Settings {

namespace {

constexpr std::array<KeyInfo, 11> keys{{
    {"Port", "", 7, 0, 0},
    {"Name", "", 65, 0, 0},
    {"Device", "0", 2, 0, 3},
    {"AppendCrLf", "0", 2, 0, 1},
    {"Connect", "1", 2, 0, 1},
    {"Language", "0", 65, 0, 1},
    {"SelTab", "0", 2, 0, 3},
    {"Command", "0", 9, 0, 0},
    {"Journal", "1", 2, 0, 1},
    {"JournalKeepMB", "1024", 11, 0, INT_MAX},
    {"ReplyTimeout", "0", 11, 0, 3600},
}};

QString defaultText(Key key)
{
    switch (key) {
    case Key::Port:
        return QString::number(DefaultCommandPort);
    case Key::Name:
        return modTools::LocalHostName();
    default:
        return QString::fromLatin1(Info(key).defaultValue);
    }
}

// This program's own keys take their default for any value they cannot use: a mistyped retention
// must not delete every journal.
int ownNumber(Key key, const QString& filePath)
{
    const auto value = modTools::WholeValue(ReadText(key, filePath));
    if (!value || *value < Info(key).minimum || *value > Info(key).maximum)
        return QByteArray(Info(key).defaultValue).toInt();
    return int(*value);
}

} // namespace

const KeyInfo& Info(Key key)
{
    return keys[size_t(key)];
}

QString SetupFile()
{
    return modTools::DataFile(QStringLiteral("Setup.ini"));
}

QString ReadText(Key key, const QString& filePath)
{
    QString value;
    modTools::ReadIniString(QLatin1String(Section), QLatin1String(Info(key).name), defaultText(key), value,
                            Info(key).size, filePath);
    return value;
}

int ReadNumber(Key key, const QString& filePath)
{
    const auto value = modTools::WholeValue(ReadText(key, filePath));
    if (!value)
        return 0;
    if (*value < Info(key).minimum || *value > Info(key).maximum)
        return QByteArray(Info(key).defaultValue).toInt();
    return int(*value);
}

Values Read(const QString& filePath)
{
    Values v;
    v.port = ReadText(Key::Port, filePath);
    v.name = ReadText(Key::Name, filePath);
    v.device = ReadNumber(Key::Device, filePath);
    v.appendCrLf = ReadNumber(Key::AppendCrLf, filePath);
    v.connect = ReadNumber(Key::Connect, filePath);
    v.language = ReadNumber(Key::Language, filePath);
    v.selTab = ReadNumber(Key::SelTab, filePath);
    v.journal = ownNumber(Key::Journal, filePath);
    v.journalKeepMB = ownNumber(Key::JournalKeepMB, filePath);
    v.replyTimeout = ownNumber(Key::ReplyTimeout, filePath);
    return v;
}

bool Write(const Values& v, const QString& filePath)
{
    auto doc = IniDocument::load(filePath);
    if (!doc)
        return false;
    const QString section = QLatin1String(Section);
    const auto put = [&](Key key, const QString& value) {
        doc->setValue(section, QLatin1String(Info(key).name), value);
    };
    put(Key::Port, v.port);
    put(Key::Name, v.name);
    put(Key::Device, QString::number(v.device));
    put(Key::Connect, QString::number(v.connect));
    put(Key::Language, QString::number(v.language));
    put(Key::SelTab, QString::number(v.selTab));
    put(Key::AppendCrLf, QString::number(v.appendCrLf));
    put(Key::Journal, QString::number(v.journal));
    put(Key::JournalKeepMB, QString::number(v.journalKeepMB));
    put(Key::ReplyTimeout, QString::number(v.replyTimeout));
    return doc->save(filePath);
}

int ReadCommandRow(int rowCount, const QString& filePath)
{
    const auto value = modTools::WholeValue(ReadText(Key::Command, filePath));
    return value && *value >= 0 && *value < rowCount ? int(*value) : 0;
}

void WriteCommandRow(int row, const QString& filePath)
{
    modTools::WriteIniString(QLatin1String(Section), QLatin1String(Info(Key::Command).name),
                             QString::number(row), filePath);
}

} // namespace Settings
