#include "modTools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_DataFolder : public QObject
{
    Q_OBJECT
private slots:
    void provision_data();
    void provision();
    void makePath_data();
    void makePath();
    void dataFolderBelowXdgDataHome();

private:
    static void put(const QString& path, const QByteArray& content);
    static QByteArray get(const QString& path);
};

void tst_DataFolder::put(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray tst_DataFolder::get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Files are given as "name=content"; a name ending in "/" is a folder.
void tst_DataFolder::provision_data()
{
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<QStringList>("dataBefore"); // "<nofolder>": the data folder does not exist
    QTest::addColumn<QStringList>("dataAfter");
    QTest::newRow("first start with installer folder")
        << QStringList{"setup.ini=initial", "DefaultCommandSet.cfg=set", "relaytab=binary"} << QStringList{}
        << QStringList{"DefaultCommandSet.cfg=set", "Setup.ini=initial"};
    QTest::newRow("own Setup.ini stays") << QStringList{"setup.ini=initial"} << QStringList{"Setup.ini=mine"}
                                         << QStringList{"Setup.ini=mine"};
    QTest::newRow("only the missing set is copied")
        << QStringList{"A.cfg=shipped A", "B.cfg=shipped B"} << QStringList{"A.cfg=changed A"}
        << QStringList{"A.cfg=changed A", "B.cfg=shipped B"};
    QTest::newRow("names match without case") << QStringList{"Setup.INI=initial", "a.CFG=shipped"}
                                               << QStringList{"setup.ini=mine", "A.cfg=mine"}
                                               << QStringList{"A.cfg=mine", "setup.ini=mine"};
    QTest::newRow("folder named like a set is skipped") << QStringList{"Folder.cfg/", "C.cfg=c"} << QStringList{}
                                                        << QStringList{"C.cfg=c"};
    QTest::newRow("nothing to copy") << QStringList{"readme.txt=x"} << QStringList{} << QStringList{};
    QTest::newRow("missing data folder copies nothing") << QStringList{"setup.ini=initial", "D.cfg=d"}
                                                        << QStringList{"<nofolder>"} << QStringList{"<nofolder>"};
}

void tst_DataFolder::provision()
{
    QFETCH(QStringList, program);
    QFETCH(QStringList, dataBefore);
    QFETCH(QStringList, dataAfter);
    QTemporaryDir root;
    const QString programFolder = root.filePath(QStringLiteral("program"));
    const QString dataFolder = root.filePath(QStringLiteral("data")) + u'/';
    QDir().mkpath(programFolder);
    for (const QString& spec : program) {
        if (spec.endsWith(u'/'))
            QDir().mkpath(programFolder + u'/' + spec);
        else
            put(programFolder + u'/' + spec.section(u'=', 0, 0), spec.section(u'=', 1).toLatin1());
    }
    if (dataBefore != QStringList{"<nofolder>"}) {
        QDir().mkpath(dataFolder);
        for (const QString& spec : dataBefore)
            put(dataFolder + spec.section(u'=', 0, 0), spec.section(u'=', 1).toLatin1());
    }

    modTools::ProvisionDataFolderFrom(programFolder, dataFolder);

    if (dataAfter == QStringList{"<nofolder>"}) {
        QVERIFY(!QFileInfo::exists(dataFolder));
        return;
    }
    QStringList found;
    for (const QString& name : QDir(dataFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name))
        found << name + u'=' + QString::fromLatin1(get(dataFolder + name));
    dataAfter.sort();
    found.sort();
    QCOMPARE(found, dataAfter);
}

void tst_DataFolder::makePath_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("wanted");
    QTest::newRow("all missing") << "" << "Vordane/Relaytab/";
    QTest::newRow("all there") << "Vordane/Relaytab" << "Vordane/Relaytab/";
    QTest::newRow("last missing") << "Vordane" << "Vordane/Relaytab/";
    QTest::newRow("without trailing separator") << "" << "a/b/c";
    QTest::newRow("doubled separators") << "" << "a//b/";
}

void tst_DataFolder::makePath()
{
    QFETCH(QString, existing);
    QFETCH(QString, wanted);
    QTemporaryDir root;
    if (!existing.isEmpty())
        QDir(root.path()).mkpath(existing);
    const QString path = root.path() + u'/' + wanted;
    QVERIFY(modTools::MakePath(path));
    QVERIFY(modTools::FolderExists(path));
    QVERIFY(modTools::MakePath(path));
}

void tst_DataFolder::dataFolderBelowXdgDataHome()
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QCOMPARE(modTools::DetermineDataFolder(), home.path() + QLatin1String("/Vordane/Relaytab/"));
    qunsetenv("XDG_DATA_HOME");
    // A file where the folder should be: MakePath reports failure instead of pretending.
    put(home.filePath(QStringLiteral("blocked")), "file");
    QVERIFY(!modTools::MakePath(home.filePath(QStringLiteral("blocked/sub/"))));
}

QTEST_GUILESS_MAIN(tst_DataFolder)
#include "tst_datafolder.moc"
