// Setup.ini: the settings of the last run. Keys, defaults and read sizes are kept in one table.
#pragma once

#include <QString>

namespace Settings {

inline constexpr char Section[] = "SETTINGS";

enum class Key
{
    Port,
    Name,
    Device,
    AppendCrLf,
    Connect,
    Language,
    SelTab,
    Command,
    Journal,
    JournalKeepMB,
    ReplyTimeout,
};

struct KeyInfo
{
    const char* name;
    const char* defaultValue; // Name's default is the host name, filled in when read
    qint32 size;              // read capacity: at most size - 1 characters come back
    int minimum;              // range of a numeric key; a value outside takes the default
    int maximum;
};

const KeyInfo& Info(Key key);

// DataFolder + "Setup.ini".
QString SetupFile();

// The text of a key, cut to its read size.
QString ReadText(Key key, const QString& filePath);
// A numeric key: its whole value when numeric and within range, the default when numeric but out
// of range, 0 when not numeric.
int ReadNumber(Key key, const QString& filePath);

// What the main window restores at start and saves at exit.
struct Values
{
    QString port;
    QString name;
    int device = 0;
    int appendCrLf = 0;
    int connect = 1;
    int language = 0;
    int selTab = 0;
    // Keys of this program only; they follow the seven above in the file.
    int journal = 1;
    int journalKeepMB = 1024;
    int replyTimeout = 0; // seconds a script run waits for a reply; 0 without limit
};

Values Read(const QString& filePath);
// Writes the seven keys in the order Port, Name, Device, Connect, Language, SelTab, AppendCrLf,
// then this program's own keys, replacing the file once so that it is never left half old, half new.
bool Write(const Values& values, const QString& filePath);

// Row of the assistant's command list to select: the stored row when it is within 0..rowCount-1,
// else 0.
int ReadCommandRow(int rowCount, const QString& filePath);
void WriteCommandRow(int row, const QString& filePath);

} // namespace Settings
