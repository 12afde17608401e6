// Plain routines shared by every part of the program: the text table, the field splitter,
// numbers, the code page, INI files and the data folder. Nothing here needs a widget.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace modTools {

// Text table ---------------------------------------------------------------------------------

// Text of the German id in the current language (id + LanguageOffset); empty when there is none.
QString GetText(qint16 id);
// Text stored under exactly this id, whatever the language; empty when there is none.
QString TextById(int id);
// All ids of the table in ascending order.
QList<int> TextIds();

// Fills the "%%" placeholders of templ left to right with up to eleven arguments.
QString FormatText(const QString& templ, const QStringList& args = {});
// Field fieldNumber (from 1) of text split at the one-character separator.
QString GetField(const QString& text, quint8 fieldNumber, bool numericOnly, const QString& separator);

// Numbers ------------------------------------------------------------------------------------

// A decimal number: optional sign, digits, optionally a fraction.
bool IsNumeric(const QString& text);
// The whole value of a numeric text, rounded half to even; nothing when the text is not numeric
// or the value does not fit.
std::optional<qint64> WholeValue(const QString& text);

// Code page ----------------------------------------------------------------------------------

// Windows-1252, one byte per character; a character the code page lacks becomes "?".
QByteArray ToAnsi(const QString& text);
// The same, written at the end of bytes.
void AppendAnsi(QByteArray& bytes, QStringView text);
QString FromAnsi(QByteArrayView bytes);

// INI files ----------------------------------------------------------------------------------

// Reads section/key of the file into value, at most size - 1 characters; the default when the
// file, section or key is missing. Returns the number of characters placed in value.
qint32 ReadIniString(const QString& section, const QString& key, const QString& defaultValue, QString& value,
                     qint32 size, const QString& filePath);
// Writes section/key of the file, creating file, section and key as needed. The file is replaced
// atomically; a missing folder or any other failure leaves the old file as it was. Returns
// whether the file was written; the program's callers do not act on it.
bool WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& filePath);

// Files and folders --------------------------------------------------------------------------

bool PathExists(const QString& path);
bool FolderExists(const QString& path);
// Creates every missing folder of path; true when the folder exists afterwards.
bool MakePath(const QString& path);

// Folder of the program's own files, without a trailing separator: ../share/relaytab beside the
// folder of the running program when it is installed, else that folder itself.
QString ProgramFolder();
QString ProgramFolderFor(const QString& binaryFolder);
// Base folder shared by all programs of this user, below which the data folder lives.
QString CommonAppDataFolder();
// CommonAppDataFolder() + "/Vordane/Relaytab/", and "profiles/<Profile>/" below it for a profile.
QString DetermineDataFolder();
// Copies the initial files of the program folder into DataFolder where they are missing.
void ProvisionDataFolder();
void ProvisionDataFolderFrom(const QString& programFolder, const QString& dataFolder);
// DataFolder + name, spelt as the file in the data folder is when one matches without regard to
// case ("setup.ini" for "Setup.ini"), so that it is read and written back under its own name.
QString DataFile(const QString& name);

// This computer's host name, at most 63 characters; "localhost" when the lookup fails.
QString LocalHostName();

// Paths need no short form on this platform.
QString GetShortPath(const QString& path);
// The path up to and including its last "/"; empty without one.
QString GetPathFolder(const QString& path);

} // namespace modTools
