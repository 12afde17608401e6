#include "Profiles.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QSet>
#include <QStandardPaths>

namespace modTools {

namespace {

// File names match without regard to case, as on the platform the data files come from:
// "setup.ini" finds "Setup.ini". Gives the entry's real path, or nothing.
QString findIgnoringCase(const QString& folder, const QString& name)
{
    const QString exact = QDir(folder).filePath(name);
    if (PathExists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(folder).filePath(e);
    return {};
}

} // namespace

bool PathExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool MakePath(const QString& path)
{
    if (FolderExists(path))
        return true;
    // Component by component from the root, ignoring folders that exist already.
    QString rest = path;
    QString built;
    while (!rest.isEmpty()) {
        if (rest.startsWith(QLatin1String("//"))) {
            built += rest.left(2);
            rest.remove(0, 2);
        } else if (rest.startsWith(u'/')) {
            built += rest.left(1);
            rest.remove(0, 1);
        }
        const qsizetype slash = rest.indexOf(u'/');
        const qsizetype take = slash < 0 ? rest.size() : slash;
        built += rest.left(take);
        rest.remove(0, take);
        if (!built.isEmpty() && !built.endsWith(u'/'))
            QDir().mkdir(built);
    }
    QCoreApplication::processEvents();
    return FolderExists(path);
}

QString ProgramFolder()
{
    return ProgramFolderFor(QCoreApplication::applicationDirPath());
}

QString ProgramFolderFor(const QString& binaryFolder)
{
    const QString installed = QDir::cleanPath(binaryFolder + QLatin1String("/../share/relaytab"));
    return QFileInfo(installed).isDir() ? installed : binaryFolder;
}

QString CommonAppDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString DetermineDataFolder()
{
    QString base = CommonAppDataFolder();
    // Without a usable base the data stays beside the user's home rather than at the file system root.
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.local/share");
    while (base.endsWith(u'/') && base.size() > 1)
        base.chop(1);
    const QString folder = base + QLatin1String("/Vordane/Relaytab/");
    return modGlobal::Profile.isEmpty() ? folder : Profiles::DataFolder(folder, modGlobal::Profile);
}

void ProvisionDataFolder()
{
    ProvisionDataFolderFrom(ProgramFolder(), modGlobal::DataFolder);
}

void ProvisionDataFolderFrom(const QString& programFolder, const QString& dataFolder)
{
    const QString setupName = QStringLiteral("setup.ini");
    const QString source = findIgnoringCase(programFolder, setupName);
    if (findIgnoringCase(dataFolder, setupName).isEmpty() && !source.isEmpty()) {
        // The data folder's own spelling is "Setup.ini".
        QFile::copy(source, dataFolder + QLatin1String("Setup.ini"));
    }

    // Listed once: asking the folder for each of thousands of sets took quadratic time.
    QSet<QString> present;
    const QStringList entries =
        QDir(dataFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        present.insert(e.toLower());
    QDirIterator it(programFolder, {QStringLiteral("*.cfg")},
                    QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        QCoreApplication::processEvents();
        const QFileInfo entry(it.next());
        if (entry.isDir())
            continue;
        const QString key = entry.fileName().toLower();
        if (!present.contains(key) && QFile::copy(entry.filePath(), dataFolder + entry.fileName()))
            present.insert(key);
    }
}

QString DataFile(const QString& name)
{
    const QString existing = findIgnoringCase(modGlobal::DataFolder, name);
    return existing.isEmpty() ? modGlobal::DataFolder + name : existing;
}

QString LocalHostName()
{
    const QString name = QHostInfo::localHostName().left(63);
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

QString GetShortPath(const QString& path)
{
    return path;
}

QString GetPathFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

} // namespace modTools
