#include "IniDocument.h"
#include "Settings.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_IniFile : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void read_data();
    void read();
    void readCapacity_data();
    void readCapacity();
    void write_data();
    void write();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void settings_data();
    void settings();
    void settingsWrittenInOrder();
    void commandRow_data();
    void commandRow();

private:
    QString file(const QByteArray& content);
    QByteArray bytes(const QString& path);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_IniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

QString tst_IniFile::file(const QByteArray& content)
{
    const QString path = m_dir->filePath(QStringLiteral("test.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray tst_IniFile::bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A file as the Windows original writes it, and the same content in other shapes.
static const QByteArray windowsFile = "; kept comment\r\n"
                                      "[Other]\r\n"
                                      "Name=wrong section\r\n"
                                      "[SETTINGS]\r\n"
                                      "Port=5025\r\n"
                                      "Name=M\xe4rz-PC\r\n"
                                      "Empty=\r\n"
                                      "  Spaced  =  value with  blanks  \r\n"
                                      "Quoted=\"in quotes\"\r\n"
                                      "Single='x'\r\n"
                                      "Lone=\"\r\n"
                                      "Hash=a#b#c\r\n"
                                      "NoEquals\r\n"
                                      "name=second Name loses\r\n"
                                      "; Port=commented\r\n"
                                      "[settings]\r\n"
                                      "Late=second section is never searched\r\n";

void tst_IniFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << windowsFile << "SETTINGS" << "Port" << "5025";
    QTest::newRow("umlaut Windows-1252") << windowsFile << "SETTINGS" << "Name" << QStringLiteral("März-PC");
    QTest::newRow("key case") << windowsFile << "SETTINGS" << "PORT" << "5025";
    QTest::newRow("section case") << windowsFile << "settings" << "Port" << "5025";
    QTest::newRow("first key wins") << windowsFile << "SETTINGS" << "name" << QStringLiteral("März-PC");
    QTest::newRow("other section") << windowsFile << "Other" << "Name" << "wrong section";
    QTest::newRow("present but empty") << windowsFile << "SETTINGS" << "Empty" << "";
    QTest::newRow("blanks around trimmed") << windowsFile << "SETTINGS" << "Spaced" << "value with  blanks";
    QTest::newRow("outer quotes dropped") << windowsFile << "SETTINGS" << "Quoted" << "in quotes";
    QTest::newRow("single quotes dropped") << windowsFile << "SETTINGS" << "Single" << "x";
    QTest::newRow("one quote kept") << windowsFile << "SETTINGS" << "Lone" << "\"";
    QTest::newRow("hash is ordinary") << windowsFile << "SETTINGS" << "Hash" << "a#b#c";
    QTest::newRow("line without equals") << windowsFile << "SETTINGS" << "NoEquals" << "<default>";
    QTest::newRow("commented key") << windowsFile << "Other" << "Port" << "<default>";
    QTest::newRow("only first section") << windowsFile << "SETTINGS" << "Late" << "<default>";
    QTest::newRow("missing section") << windowsFile << "Nope" << "Port" << "<default>";
    QTest::newRow("missing key") << windowsFile << "SETTINGS" << "Nope" << "<default>";
    QTest::newRow("LF file") << QByteArray("[SETTINGS]\nA=1\nB=2\n") << "SETTINGS" << "B" << "2";
    QTest::newRow("CR file") << QByteArray("[SETTINGS]\rA=1\rB=2") << "SETTINGS" << "B" << "2";
    QTest::newRow("text after section bracket") << QByteArray("[SETTINGS] ; note\r\nA=1\r\n") << "SETTINGS" << "A"
                                                << "1";
    QTest::newRow("indented section") << QByteArray("  [SETTINGS]\r\n\tA = 1\r\n") << "SETTINGS" << "A" << "1";
    QTest::newRow("binary junk") << QByteArrayLiteral("\x00\xff[\x01]=\r\n\x1a[SETTINGS\r\nA=1") << "SETTINGS" << "A"
                                 << "1";
}

void tst_IniFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QString value;
    const qint32 count = modTools::ReadIniString(section, key, QStringLiteral("<default>"), value, 512, file(content));
    QCOMPARE(value, expected);
    QCOMPARE(count, qint32(expected.size()));
}

void tst_IniFile::readCapacity_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");
    QTest::newRow("seven digit port") << "1234567" << 7 << "123456";
    QTest::newRow("fits") << "123456" << 7 << "123456";
    QTest::newRow("one character") << "12" << 2 << "1";
    QTest::newRow("size one gives nothing") << "12" << 1 << "";
    QTest::newRow("size zero gives nothing") << "12" << 0 << "";
}

void tst_IniFile::readCapacity()
{
    QFETCH(QString, stored);
    QFETCH(int, size);
    QFETCH(QString, expected);
    const QString path = file("[S]\r\nK=" + stored.toLatin1() + "\r\n");
    QString value;
    QCOMPARE(modTools::ReadIniString("S", "K", "", value, size, path), qint32(expected.size()));
    QCOMPARE(value, expected);
    // The default is cut the same way.
    modTools::ReadIniString("S", "Missing", stored, value, size, path);
    QCOMPARE(value, expected);
}

void tst_IniFile::write_data()
{
    QTest::addColumn<QByteArray>("before"); // "<none>": no file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray("<none>") << "SETTINGS" << "Port" << "5025"
                              << QByteArray("[SETTINGS]\r\nPort=5025\r\n");
    QTest::newRow("empty file") << QByteArray() << "SETTINGS" << "Port" << "1" << QByteArray("[SETTINGS]\r\nPort=1\r\n");
    QTest::newRow("replace keeps spelling and the rest")
        << QByteArray("; c\r\n[settings]\r\nPORT=1\r\nOther=x\r\n") << "SETTINGS" << "Port" << "2"
        << QByteArray("; c\r\n[settings]\r\nPORT=2\r\nOther=x\r\n");
    QTest::newRow("replace in LF file keeps LF")
        << QByteArray("[S]\nK=1\nL=2\n") << "S" << "K" << "9" << QByteArray("[S]\nK=9\nL=2\n");
    QTest::newRow("new key after last key line")
        << QByteArray("[S]\r\nA=1\r\n\r\n; trailing comment\r\n[T]\r\nX=1\r\n") << "S" << "B" << "2"
        << QByteArray("[S]\r\nA=1\r\nB=2\r\n\r\n; trailing comment\r\n[T]\r\nX=1\r\n");
    QTest::newRow("new key in empty section") << QByteArray("[S]\r\n[T]\r\n") << "S" << "B" << "2"
                                              << QByteArray("[S]\r\nB=2\r\n[T]\r\n");
    QTest::newRow("new key after unterminated last line")
        << QByteArray("[S]\r\nA=1") << "S" << "B" << "2" << QByteArray("[S]\r\nA=1\r\nB=2\r\n");
    QTest::newRow("new section at end") << QByteArray("[T]\r\nX=1\r\n") << "S" << "K" << "v"
                                        << QByteArray("[T]\r\nX=1\r\n[S]\r\nK=v\r\n");
    QTest::newRow("new section after unterminated line") << QByteArray("[T]\r\nX=1") << "S" << "K" << "v"
                                                         << QByteArray("[T]\r\nX=1\r\n[S]\r\nK=v\r\n");
    QTest::newRow("umlaut as one byte") << QByteArray("<none>") << "S" << "K" << QStringLiteral("ä€")
                                        << QByteArray("[S]\r\nK=\xe4\x80\r\n");
    QTest::newRow("line breaks become blanks") << QByteArray("<none>") << "S" << "K"
                                               << QStringLiteral("a\r\nb\rc\nd\n\ne")
                                               << QByteArray("[S]\r\nK=a b c d  e\r\n");
    QTest::newRow("empty value") << QByteArray("[S]\r\nK=old\r\n") << "S" << "K" << "" << QByteArray("[S]\r\nK=\r\n");
    QTest::newRow("untouched bytes outside the code page survive")
        << QByteArray("[S]\r\nJunk=\x81\x8d\xff\r\nK=1\r\n") << "S" << "K" << "2"
        << QByteArray("[S]\r\nJunk=\x81\x8d\xff\r\nK=2\r\n");
}

void tst_IniFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = before == "<none>" ? m_dir->filePath(QStringLiteral("new.ini")) : file(before);
    QVERIFY(modTools::WriteIniString(section, key, value, path));
    QCOMPARE(bytes(path), after);
}

void tst_IniFile::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("read-only file") << "readonly";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("missing folder") << "nofolder";
}

void tst_IniFile::failedWriteKeepsOldFile()
{
    QFETCH(QString, how);
    const QByteArray old = "[S]\r\nK=old\r\n";
    QString path = file(old);
    if (how == "readonly") {
        if (QFile::permissions(path) && ::geteuid() == 0)
            QSKIP("root writes read-only files");
        QFile::setPermissions(path, QFileDevice::ReadOwner);
    } else if (how == "folder") {
        path = m_dir->filePath(QStringLiteral("folder.cfg"));
        QVERIFY(QDir().mkdir(path));
    } else {
        path = m_dir->filePath(QStringLiteral("missing/test.ini"));
    }
    QVERIFY(!modTools::WriteIniString("S", "K", "new", path));
    if (how == "readonly")
        QCOMPARE(bytes(path), old);
    else if (how == "folder")
        QVERIFY(QFileInfo(path).isDir());
    else
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("missing"))));
    // Nothing half-written is left beside the target.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"test.ini"});
}

void tst_IniFile::settings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("device");
    QTest::addColumn<int>("appendCrLf");
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("selTab");
    const QString host = modTools::LocalHostName();
    QTest::newRow("no file") << QByteArray("<none>") << "5025" << host << 0 << 0 << 1 << 0 << 0;
    QTest::newRow("all set") << QByteArray("[SETTINGS]\r\nPort=2000\r\nName=pc1\r\nDevice=2\r\nAppendCrLf=1\r\n"
                                           "Connect=0\r\nLanguage=1\r\nSelTab=3\r\n")
                             << "2000" << "pc1" << 2 << 1 << 0 << 1 << 3;
    QTest::newRow("seven digit port") << QByteArray("[SETTINGS]\r\nPort=1234567\r\n") << "123456" << host << 0 << 0
                                      << 1 << 0 << 0;
    QTest::newRow("70 character name") << QByteArray("[SETTINGS]\r\nName=" + QByteArray(70, 'n') + "\r\n") << "5025"
                                       << QString(64, u'n') << 0 << 0 << 1 << 0 << 0;
    QTest::newRow("SelTab 12 reads 1") << QByteArray("[SETTINGS]\r\nSelTab=12\r\n") << "5025" << host << 0 << 0 << 1
                                       << 0 << 1;
    QTest::newRow("Language 1.0") << QByteArray("[SETTINGS]\r\nLanguage=1.0\r\n") << "5025" << host << 0 << 0 << 1
                                  << 1 << 0;
    QTest::newRow("Device -1 is a lone minus") << QByteArray("[SETTINGS]\r\nDevice=-1\r\n") << "5025" << host << 0
                                               << 0 << 1 << 0 << 0;
    QTest::newRow("empty values") << QByteArray("[SETTINGS]\r\nPort=\r\nName=\r\nDevice=\r\nAppendCrLf=\r\n"
                                                "Connect=\r\nLanguage=\r\nSelTab=\r\n")
                                  << "" << "" << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("out of range takes the defaults")
        << QByteArray("[SETTINGS]\r\nDevice=7\r\nLanguage=300\r\nConnect=5\r\nSelTab=9\r\nAppendCrLf=4\r\n") << "5025"
        << host << 0 << 0 << 1 << 0 << 0;
    QTest::newRow("not numeric falls back") << QByteArray("[SETTINGS]\r\nDevice=x\r\nConnect=y\r\nLanguage=en\r\n")
                                            << "5025" << host << 0 << 0 << 0 << 0 << 0;
}

void tst_IniFile::settings()
{
    QFETCH(QByteArray, content);
    const QString path = content == "<none>" ? m_dir->filePath(QStringLiteral("Setup.ini")) : file(content);
    const Settings::Values v = Settings::Read(path);
    QTEST(v.port, "port");
    QTEST(v.name, "name");
    QTEST(v.device, "device");
    QTEST(v.appendCrLf, "appendCrLf");
    QTEST(v.connect, "connect");
    QTEST(v.language, "language");
    QTEST(v.selTab, "selTab");
}

void tst_IniFile::settingsWrittenInOrder()
{
    const QString path = file("; mine\r\n[SETTINGS]\r\nCommand=4\r\nForeign=kept\r\nPort=1\r\n");
    Settings::Values v;
    v.port = "2000";
    v.name = "pc";
    v.device = 3;
    v.connect = 0;
    v.language = 1;
    v.selTab = 2;
    v.appendCrLf = 1;
    QVERIFY(Settings::Write(v, path));
    QCOMPARE(bytes(path), QByteArray("; mine\r\n[SETTINGS]\r\nCommand=4\r\nForeign=kept\r\nPort=2000\r\nName=pc\r\n"
                                     "Device=3\r\nConnect=0\r\nLanguage=1\r\nSelTab=2\r\nAppendCrLf=1\r\n"));
    QCOMPARE(Settings::Read(path).device, 3);
}

void tst_IniFile::commandRow_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("expected");
    QTest::newRow("in range") << QByteArray("5") << 21 << 5;
    QTest::newRow("last row") << QByteArray("20") << 21 << 20;
    QTest::newRow("one past") << QByteArray("21") << 21 << 0;
    QTest::newRow("40 of 21") << QByteArray("40") << 21 << 0;
    QTest::newRow("negative") << QByteArray("-3") << 21 << 0;
    QTest::newRow("not numeric") << QByteArray("abc") << 21 << 0;
    QTest::newRow("missing") << QByteArray() << 21 << 0;
}

void tst_IniFile::commandRow()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, rows);
    QFETCH(int, expected);
    const QString path = file(stored.isNull() ? QByteArray("[SETTINGS]\r\n") : "[SETTINGS]\r\nCommand=" + stored + "\r\n");
    QCOMPARE(Settings::ReadCommandRow(rows, path), expected);
    Settings::WriteCommandRow(7, path);
    QCOMPARE(Settings::ReadCommandRow(rows, path), 7);
}

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_inifile.moc"
