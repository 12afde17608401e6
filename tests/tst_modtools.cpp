// The units under everything: the text table and the command catalogue, fields and numbers, the code
// page, INI files, the settings in Setup.ini, the provisioning of the data folder, and command-set
// files as the Windows original writes and reads them.
#include "Catalogue.h"
#include "CommandSetFile.h"
#include "QuickDialMemories.h"
#include "Settings.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QtTest>

#include <memory>
#include <unistd.h>

namespace {

// Makes the files ("name=content;..."; a name ending in "/" is a folder) in folder.
void create(const QString& folder, const QString& files)
{
    QDir().mkpath(folder);
    for (const QString& file : files.split(u';', Qt::SkipEmptyParts)) {
        if (file.endsWith(u'/'))
            QDir().mkpath(folder + file);
        else
            writeBytes(folder + file.section(u'=', 0, 0), file.section(u'=', 1).toLatin1());
    }
}

// A file as the Windows original writes it: CRLF, Windows-1252, comments and foreign sections.
const QByteArray windowsFile =
    "; kept comment\r\n[Other]\r\nName=wrong section\r\n[SETTINGS]\r\nPort=5025\r\nName=M\xe4rz-PC\r\n"
    "Empty=\r\n  Spaced  =  value with  blanks  \r\nQuoted=\"in quotes\"\r\nLone=\"\r\nHash=a#b#c\r\n"
    "NoEquals\r\nname=second Name loses\r\n; Port=commented\r\n[settings]\r\nLate=never searched\r\n";

QByteArray keyLines(int n, const QByteArray& repeat = {}, const QByteArray& command = {},
                    const QByteArray& descript = {}, const QByteArray& label = {},
                    const QByteArray& note = {})
{
    const QByteArray number = QByteArray::number(n);
    return "Repeat" + number + '=' + repeat + "\r\nCommand" + number + '=' + command + "\r\nDescript" +
           number + '=' + descript + "\r\nLabel" + number + '=' + label + "\r\nNote" + number + '=' + note +
           "\r\n";
}

// Memory n as one text: its entries "command|description" joined by ";", label, note, repeat,
// button caption and tooltip.
QString state(const QuickDialMemories& m, int n)
{
    QStringList entries;
    for (const ScriptEntry& entry : m.entries(n)->entries())
        entries << entry.command + u'|' + entry.description;
    return QStringList{entries.join(u';'),           m.label(n),         m.note(n),
                       QString::number(m.repeat(n)), m.buttonCaption(n), m.buttonToolTip(n)}
        .join(" ~ ");
}

QString used(const QString& entries, const QString& label, int repeat = 0, const QString& note = {})
{
    return QStringList{
        entries, label, note, QString::number(repeat), label.left(10) + "...", "Bezeichnung: " + label}
        .join(" ~ ");
}

const QString emptyMemory = QStringLiteral(" ~ [Leer] ~  ~ 0 ~ [Leer] ~ ");

} // namespace

class tst_ModTools : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    QString file(const QByteArray& content)
    {
        const QString path = m_dir->filePath(QStringLiteral("test.ini"));
        if (content != "<none>")
            writeBytes(path, content);
        return path;
    }
    QString path() const { return m_dir->filePath(QStringLiteral("set.cfg")); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // 488 entries of the original table and the program's own from 7000 on, every German id with
    // its English partner; none empty.
    void tableIsComplete()
    {
        const QScopedValueRollback<qint32> english(modGlobal::LanguageOffset, 10000);
        const QList<int> ids = modTools::TextIds();
        QCOMPARE(std::count_if(ids.cbegin(), ids.cend(), [](int id) { return id % 10000 < 7000; }), 488);
        for (int id : ids) {
            QVERIFY2(ids.contains(id < 10000 ? id + 10000 : id - 10000), qPrintable(QString::number(id)));
            QVERIFY2(!modTools::TextById(id).isEmpty(), qPrintable(QString::number(id)));
        }
        // GetText reads the id of the current language; a trailing blank stays, a missing id is empty.
        QCOMPARE(modTools::GetText(3121), QStringLiteral("Missing description text "));
        QCOMPARE(modTools::GetText(3060), QString());
    }

    // Every entry is well formed, and its two languages agree in everything but the words.
    void entryIsWellFormed_data()
    {
        columns<int>("id");
        for (int id : modTools::TextIds())
            if (id < 7000 && (id < 3000 || id > 3999) && id != 5001 && id != 5002)
                QTest::addRow("%d", id) << id;
    }
    void entryIsWellFormed()
    {
        QFETCH(int, id);
        const auto field = [](const QString& text, int n) {
            return modTools::GetField(text, quint8(n), false, ",");
        };
        const QString german = modTools::TextById(id);
        const QString english = modTools::TextById(id + 10000);
        const int count = field(english, 3).toInt();
        QVERIFY(count >= 0 && count <= 2 && field(english, 3) == QString::number(count));
        // Caption, note, count, code and three fields per parameter; no comma after the last.
        QCOMPARE(german.count(u','), 3 + 3 * count);
        QCOMPARE(english.count(u','), 3 + 3 * count);
        QCOMPARE(field(german, 2).isEmpty(), field(english, 2).isEmpty());
        for (int n = 1; n <= 4 + 3 * count; ++n) {
            if (n != 2)
                QVERIFY(!field(german, n).isEmpty() && !field(english, n).isEmpty());
            if (n >= 3 && !(n >= 5 && n % 3 == 2)) // all but caption, note and parameter names
                QCOMPARE(field(german, n), field(english, n));
        }
        for (int n = 6; n <= 3 + 3 * count; n += 3) {
            const QString limit = field(english, n + 1);
            if (field(english, n) == QLatin1String("%d"))
                QVERIFY(QRegularExpression(QStringLiteral("^-?\\d+#\\d+$")).match(limit).hasMatch());
            else
                QVERIFY(QStringList({"%s", "%r", "%u", "%p"}).contains(field(english, n)) &&
                        limit.toInt() >= 1 && limit.toInt() <= 32767);
        }
    }

    void listCounts_data()
    {
        columns<int, bool, int, QString>("deviceType", "withQueries", "count", "last");
        const char* wait = "* Insert delay (no device command)";
        row("0 queries", 0, true, 11, "Get production mode status (GM)");
        row("1 queries", 1, true, 34, "Device group: Get remark (GRA)");
        row("2 queries", 2, true, 64, "GetRemarkGroupB - Read remark of device group B (GRB)");
        row("3 queries", 3, true, 30, "Device group: Get remark (GRA)");
        row("0 wait", 0, false, 11, wait);
        row("1 wait", 1, false, 21, wait);
        row("2 wait", 2, false, 38, wait);
        row("3 wait", 3, false, 18, wait);
    }
    void listCounts()
    {
        const QScopedValueRollback<qint32> english(modGlobal::LanguageOffset, 10000);
        const QStringList entries =
            Catalogue::ListCatalogue(fetch<int>("deviceType"), fetch<bool>("withQueries"));
        QTEST(int(entries.size()), "count");
        QTEST(Catalogue::ReadEntry(entries.last()).caption, "last");
    }

    void wholeEntries_data()
    {
        columns<int, QString>("id", "text");
        row("12003", 12003,
            "Set measurement program (SP),,2,SP,Device address or the last Ethernet segment,%d,0#255,"
            "Measurement program No.,%d,0#7");
        row("1004", 1004,
            "Chargenbezeichnung einstellen (CA),Nur während des Messbetriebs und nur bei Einstellung "
            "'Manuelle Bezeichnung' möglich! Es sind nur folgende Zeichen gültig: a-z A-Z  0-9 '-' '_' ' '!,"
            "2,CA,Geräteadresse,%d,0#99,Chargenbezeichnung,%r,63");
        row("2213", 2213, "Gerätegruppe: Bemerkung abfragen (GRA),,0,GRA");
        row("6014", 6014,
            "SetNumberSerial - Setzt neuen Zählerstand für aktuelle Seriennummer (SN),,2,SN,RemoteId,%d,0#98,"
            "Wert Zählerstand ,%d,0#4294967295");
        row("5000", 5000,
            "* Verweilzeit einfügen (kein Gerätebefehl),,1,<WAIT_TIME>,Zeit in Sekunden,%d,1#2000000");
        row("15000", 15000, "* Insert delay (no device command),,1,<WAIT_TIME>,time in seconds,%d,1#2000000");
    }
    void wholeEntries() { QTEST(modTools::TextById(fetch<int>("id")), "text"); }

    void formatText_data()
    {
        columns<QString, QStringList, QString>("templ", "args", "expected");
        row("two values", "Wertebereich: %% bis %%", QStringList{"0", "255"}, "Wertebereich: 0 bis 255");
        row("surplus placeholder stays", "%% bis %%", QStringList{"1"}, "1 bis %%");
        row("empty first still fills", "a%%b%%c", QStringList{"", "2"}, "ab2c");
        row("empty second stops", "%%-%%-%%", QStringList{"1", "", "3"}, "1-%%-%%");
        row("no argument empties the first", "<WAIT_TIME%%>", QStringList{}, "<WAIT_TIME>");
        row("value with placeholder found again", "[%%]", QStringList{"%%", "x"}, "[x]");
        row("eleventh used, twelfth not", QString(24, u'%'),
            QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C"}, "123456789AB%%");
    }
    void formatText()
    {
        QTEST(modTools::FormatText(fetch<QString>("templ"), fetch<QStringList>("args")), "expected");
    }

    void getField_data()
    {
        columns<QString, int, bool, QString, QString>("text", "field", "numericOnly", "separator",
                                                      "expected");
        row("limit max", "0#4294967295", 2, true, "#", "4294967295");
        row("field 0", "a,b", 0, false, ",", "");
        row("beyond last", "a,b", 3, false, ",", "");
        row("empty between separators", "a,,c", 2, false, ",", "");
        row("trailing separator gives empty last", "a#", 2, false, "#", "");
        row("long separator never matches", "a##b", 1, false, "##", "a##b");
        row("numeric keeps sign", "SM -1", 1, true, ",", "-1");
        row("numeric keeps dots", "v1.2a", 1, true, ",", "1.2");
    }
    void getField()
    {
        QTEST(modTools::GetField(fetch<QString>("text"), quint8(fetch<int>("field")),
                                 fetch<bool>("numericOnly"), fetch<QString>("separator")),
              "expected");
    }

    // Every byte survives the way through the code page; a character it lacks is one "?", also
    // when it takes two UTF-16 units.
    void codePage()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = modTools::FromAnsi(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(modTools::ToAnsi(text), all);
        QCOMPARE(modTools::ToAnsi(QString::fromUtf8("aĀb\U0001F600z")), QByteArray("a?b?z"));
    }

    void readIni_data()
    {
        columns<QByteArray, QString, QString, int, QString>("content", "section", "key", "size", "expected");
        const QByteArray w = windowsFile;
        row("plain", w, "SETTINGS", "Port", 512, "5025");
        row("umlaut Windows-1252", w, "SETTINGS", "Name", 512, "März-PC");
        row("key case", w, "SETTINGS", "PORT", 512, "5025");
        row("section case", w, "settings", "Port", 512, "5025");
        row("first key wins", w, "SETTINGS", "name", 512, "März-PC");
        row("present but empty", w, "SETTINGS", "Empty", 512, "");
        row("blanks around trimmed", w, "SETTINGS", "Spaced", 512, "value with  blanks");
        row("outer quotes dropped", w, "SETTINGS", "Quoted", 512, "in quotes");
        row("lone quote kept", w, "SETTINGS", "Lone", 512, "\"");
        row("hash is ordinary", w, "SETTINGS", "Hash", 512, "a#b#c");
        row("line without equals", w, "SETTINGS", "NoEquals", 512, "<default>");
        row("commented key", w, "Other", "Port", 512, "<default>");
        row("only first section", w, "SETTINGS", "Late", 512, "<default>");
        row("missing key", w, "SETTINGS", "Nope", 512, "<default>");
        row("missing file", QByteArray("<none>"), "SETTINGS", "Port", 512, "<default>");
        row("LF file", QByteArray("[SETTINGS]\nA=1\nB=2\n"), "SETTINGS", "B", 512, "2");
        row("indented section", QByteArray("  [SETTINGS]\r\n\tA = 1\r\n"), "SETTINGS", "A", 512, "1");
        row("binary junk", QByteArrayLiteral("\x00\xff[\x01]=\r\n\x1a[SETTINGS\r\nA=1"), "SETTINGS", "A", 512,
            "1");
        row("at most size - 1", QByteArray("[S]\r\nK=1234567\r\n"), "S", "K", 7, "123456");
        row("size zero gives nothing", QByteArray("[S]\r\nK=12\r\n"), "S", "K", 0, "");
        row("default is cut too", w, "SETTINGS", "Nope", 4, "<de");
    }
    void readIni()
    {
        QFETCH(QString, expected);
        QString value;
        QCOMPARE(modTools::ReadIniString(fetch<QString>("section"), fetch<QString>("key"), "<default>", value,
                                         fetch<int>("size"), file(fetch<QByteArray>("content"))),
                 qint32(expected.size()));
        QCOMPARE(value, expected);
    }

    void writeIni_data()
    {
        // before: "<none>": no file
        columns<QByteArray, QString, QByteArray>("before", "value", "after"); // writes S/K
        const QByteArray none = "<none>";
        row("new file", none, "5025", QByteArray("[S]\r\nK=5025\r\n"));
        row("replace keeps spelling and the rest", QByteArray("; c\r\n[s]\r\nk=1\r\nOther=x\r\n"), "2",
            QByteArray("; c\r\n[s]\r\nk=2\r\nOther=x\r\n"));
        row("replace in LF file keeps LF", QByteArray("[S]\nK=1\nL=2\n"), "9", QByteArray("[S]\nK=9\nL=2\n"));
        row("new key after last key line", QByteArray("[S]\r\nA=1\r\n\r\n; note\r\n[T]\r\nX=1\r\n"), "2",
            QByteArray("[S]\r\nA=1\r\nK=2\r\n\r\n; note\r\n[T]\r\nX=1\r\n"));
        row("new key in empty section", QByteArray("[S]\r\n[T]\r\n"), "2",
            QByteArray("[S]\r\nK=2\r\n[T]\r\n"));
        row("new key after unterminated line", QByteArray("[S]\r\nA=1"), "2",
            QByteArray("[S]\r\nA=1\r\nK=2\r\n"));
        row("new section at end", QByteArray("[T]\r\nX=1"), "v", QByteArray("[T]\r\nX=1\r\n[S]\r\nK=v\r\n"));
        row("umlaut as one byte", none, "ä€", QByteArray("[S]\r\nK=\xe4\x80\r\n"));
        row("line breaks become blanks", none, "a\r\nb\rc\nd\n\ne", QByteArray("[S]\r\nK=a b c d  e\r\n"));
        row("bytes outside the code page survive", QByteArray("[S]\r\nJunk=\x81\x8d\xff\r\nK=1\r\n"), "",
            QByteArray("[S]\r\nJunk=\x81\x8d\xff\r\nK=\r\n"));
    }
    void writeIni()
    {
        const QString path = file(fetch<QByteArray>("before"));
        QVERIFY(modTools::WriteIniString("S", "K", fetch<QString>("value"), path));
        QTEST(fileBytes(path), "after");
    }

    void failedWriteKeepsOldFile()
    {
        const QByteArray old = "[S]\r\nK=old\r\n";
        const QString path = file(old);
        if (::geteuid() != 0) { // root writes read-only files
            QFile::setPermissions(path, QFileDevice::ReadOwner);
            QVERIFY(!modTools::WriteIniString("S", "K", "new", path));
            QCOMPARE(fileBytes(path), old);
        }
        const QString folder = m_dir->filePath(QStringLiteral("folder.cfg"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!modTools::WriteIniString("S", "K", "new", folder));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!modTools::WriteIniString("S", "K", "new", m_dir->filePath(QStringLiteral("missing/a.ini"))));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("missing"))));
        // Nothing half-written is left beside the target.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"test.ini"});
    }

    void settings_data()
    {
        // keys: lines of [SETTINGS] separated by ";" (no file at all: the main window's first start)
        // expected: Port|Name|Device|AppendCrLf|Connect|Language|SelTab
        columns<QString, QString>("keys", "expected");
        row("all set", "Port=2000;Name=pc1;Device=2;AppendCrLf=1;Connect=0;Language=1;SelTab=3",
            "2000|pc1|2|1|0|1|3");
        row("seven digit port", "Port=1234567", "123456|<host>|0|0|1|0|0");
        row("70 character name", "Name=" + QString(70, u'n'), "5025|" + QString(64, u'n') + "|0|0|1|0|0");
        row("SelTab 12 reads 1", "SelTab=12", "5025|<host>|0|0|1|0|1");
        row("Language 1.0", "Language=1.0", "5025|<host>|0|0|1|1|0");
        row("Device -1 is a lone minus", "Device=-1", "5025|<host>|0|0|1|0|0");
        row("empty values", "Port=;Name=;Device=;AppendCrLf=;Connect=;Language=;SelTab=", "||0|0|0|0|0");
        row("out of range takes the defaults", "Device=7;Language=300;Connect=5;SelTab=9;AppendCrLf=4",
            "5025|<host>|0|0|1|0|0");
        row("not numeric gives 0", "Device=x;Connect=y;Language=en", "5025|<host>|0|0|0|0|0");
    }
    void settings()
    {
        QFETCH(QString, expected);
        const Settings::Values v =
            Settings::Read(file("[SETTINGS]\r\n" + fetch<QString>("keys").toLatin1().replace(';', "\r\n")));
        QStringList read{v.port, v.name};
        for (int n : {v.device, v.appendCrLf, v.connect, v.language, v.selTab})
            read << QString::number(n);
        QCOMPARE(read.join(u'|'), expected.replace("<host>", modTools::LocalHostName()));
    }

    void settingsWrittenInOrder()
    {
        const QString path = file("; mine\r\n[SETTINGS]\r\nCommand=4\r\nForeign=kept\r\nPort=1\r\n");
        QVERIFY(Settings::Write({"2000", "pc", 3, 1, 0, 1, 2}, path));
        QCOMPARE(fileBytes(path),
                 QByteArray("; mine\r\n[SETTINGS]\r\nCommand=4\r\nForeign=kept\r\nPort=2000\r\nName=pc\r\n"
                            "Device=3\r\nConnect=0\r\nLanguage=1\r\nSelTab=2\r\nAppendCrLf=1\r\n"
                            "Journal=1\r\nJournalKeepMB=1024\r\nReplyTimeout=0\r\n"));
        // A retention that is no number keeps the journals rather than deleting them all.
        QCOMPARE(Settings::Read(file("[SETTINGS]\r\nJournalKeepMB=lots\r\n")).journalKeepMB, 1024);
        // Beyond an hour is a mistyped timeout, not a wish to wait for days.
        QCOMPARE(Settings::Read(file("[SETTINGS]\r\nReplyTimeout=86400\r\n")).replyTimeout, 0);
    }

    void provision_data()
    {
        // before: "<nofolder>": the data folder does not exist
        columns<QString, QString, QString>("program", "before", "after");
        row("first start", "setup.ini=initial;DefaultCommandSet.cfg=set;relaytab=binary", "",
            "DefaultCommandSet.cfg=set;Setup.ini=initial");
        row("own Setup.ini stays", "setup.ini=initial", "Setup.ini=mine", "Setup.ini=mine");
        row("only the missing set is copied", "A.cfg=shipped A;B.cfg=shipped B", "A.cfg=changed A",
            "A.cfg=changed A;B.cfg=shipped B");
        row("names match without case", "Setup.INI=initial;a.CFG=shipped", "setup.ini=mine;A.cfg=mine",
            "A.cfg=mine;setup.ini=mine");
        row("folder named like a set is skipped", "Folder.cfg/;C.cfg=c", "", "C.cfg=c");
        row("nothing to copy", "readme.txt=x", "", "");
        row("missing data folder", "setup.ini=initial;D.cfg=d", "<nofolder>", "<nofolder>");
    }
    void provision()
    {
        QFETCH(QString, before);
        const QString programFolder = m_dir->filePath(QStringLiteral("program"));
        const QString dataFolder = m_dir->filePath(QStringLiteral("data")) + u'/';
        create(programFolder + u'/', fetch<QString>("program"));
        if (before != "<nofolder>")
            create(dataFolder, before);
        modTools::ProvisionDataFolderFrom(programFolder, dataFolder);
        QStringList found{"<nofolder>"};
        if (QFileInfo::exists(dataFolder)) {
            found.clear();
            for (const QString& name : QDir(dataFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
                found << name + u'=' + QString::fromLatin1(fileBytes(dataFolder + name));
        }
        found.sort();
        QTEST(found.join(u';'), "after");
    }

    void workedExample()
    {
        QuickDialMemories memories;
        memories.store(2, "Start-Stop", "Start, wait 5 s, stop",
                       {{"SM 1", "Messbetrieb starten (SM 1)"},
                        {"<WAIT_TIME=5>", "* Verweilzeit einfügen (kein Gerätebefehl)"},
                        {"SM 0", ""}});
        QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
        QByteArray expected =
            "[SETTINGS]\r\n" + keyLines(1) +
            keyLines(2, "0", "SM 1#<WAIT_TIME=5>#SM 0",
                     "Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#",
                     "Start-Stop", "Start, wait 5 s, stop");
        for (int n = 3; n <= 8; ++n)
            expected += keyLines(n);
        QCOMPARE(fileBytes(path()), expected);
    }

    // Notes and descriptions come from multi-line boxes; a raw line break would end the value in the
    // file and lose the rest of it (or inject a key line), so each one is written as a blank.
    void roundTripOfFullSet()
    {
        const QStringList breaks{"\n", "\r\n", "\r", "\n\n", "\nCommand1=XC 1 evil", "", "", ""};
        QuickDialMemories memories;
        for (int n = 1; n <= 8; ++n) {
            QList<ScriptEntry> entries;
            for (int k = 1; k <= n; ++k)
                entries.append(
                    {QStringLiteral("SP %1 %2").arg(n).arg(k),
                     k == n && n % 2 == 0 ? QString() : "Schritt für Gerät" + breaks[n - 1] + "!"});
            memories.store(n, QStringLiteral("Memory number %1").arg(n), "Note: ß€" + breaks[n - 1] + "!",
                           entries);
            memories.setRepeat(n, n % 3 == 0 ? 1 : 0);
        }
        writeBytes(path(),
                   "; mine\r\n[Other]\r\nCommand1=not ours\r\n[SETTINGS]\r\nOwner=me\r\nLabel2=old\r\n");
        QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
        // Other sections and keys stay as they were.
        QVERIFY(fileBytes(path()).startsWith("; mine\r\n[Other]\r\nCommand1=not "
                                             "ours\r\n[SETTINGS]\r\nOwner=me\r\nLabel2=Memory number 2\r\n"));
        QVERIFY(fileBytes(path()).contains("Note6=Note: \xdf\x80!\r\n"));

        QuickDialMemories loaded;
        loaded.store(4, "stale", "stale", {{"XX", "stale"}});
        loaded.setRepeat(4, 1);
        CommandSetFile::LoadCommandSet(path(), loaded);
        for (int n = 1; n <= 8; ++n) {
            const QString blank =
                QString(breaks[n - 1]).replace("\r\n", " ").replace(u'\r', u' ').replace(u'\n', u' ');
            QCOMPARE(state(loaded, n), state(memories, n).replace(breaks[n - 1] + '!', blank + '!'));
        }
    }

    // The content of the file and how memory 1 comes out of the load; nothing makes it fail.
    void load_data()
    {
        columns<QByteArray, QString>("content", "memory1");
        const QByteArray head = "[SETTINGS]\r\n";
        QByteArray many = "1";
        QByteArray manyDescriptions = "d";
        QStringList all{"1|d"};
        for (int k = 2; k <= 300; ++k) {
            many += '#' + QByteArray::number(k % 10);
            manyDescriptions += "#d";
            all << QString::number(k % 10) + "|d";
        }
        static const char junk[] =
            "\x00\xff\xfe[\x01=\x02\r\n\x80\x81=\x00\x1a[SETTINGS\x00]\r\nCommand1\x00=GM";

        row("no file", QByteArray(), used("", ""));
        row("saved empty", head + keyLines(1), emptyMemory);
        row("saved empty, without its Repeat key", head + "Command1=\r\nDescript1=\r\nLabel1=\r\nNote1=\r\n",
            used("", ""));
        row("empty description in the middle", head + keyLines(1, "0", "x#y#z", "a##c", "L"),
            used("x|a;y|;z|", "L"));
        row("more descriptions than entries", head + keyLines(1, "1", "x#y", "a#b#c#d", "L"),
            used("x|a;y|b", "L", 1));
        row("adjacent # end the commands", head + keyLines(1, "0", "SM 1##GM", "a#b", "L"),
            used("SM 1|a", "L"));
        row("600-character command value",
            head + keyLines(1, "0", QByteArray(300, 'A') + '#' + QByteArray(299, 'B'), "", "L"),
            used(QString(300, u'A') + "|;" + QString(299, u'B') + '|', "L"));
        row("code 20 removed from commands and descriptions only",
            head + keyLines(1, "0", "S\x14M 1#\x14#G\x14M", "s\x14tart#\x14#q", "L\x14", "N\x14"),
            used("SM 1|start", "L\x14", 0, "N\x14"));
        row("repeat not a number", head + keyLines(1, "yes", "GM", "", "L"), used("GM|", "L"));
        row("label longer than the caption", head + keyLines(1, "0", "GM", "", "Kalibrierung"),
            used("GM|", "Kalibrierung"));
        row("300 fields", head + keyLines(1, "0", many, manyDescriptions, "L"), used(all.join(u';'), "L"));
        row("repeat other than 1 kept", head + keyLines(1, "2", "GM", "", "L"), used("GM|", "L", 2));
        row("other section only", QByteArray("[OTHER]\r\nCommand1=GM\r\n"), used("", ""));
        row("binary junk", QByteArray(junk, sizeof junk - 1), used("", ""));
    }

    void load()
    {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            writeBytes(path(), content);
        QuickDialMemories memories;
        memories.store(1, "stale", "stale", {{"XX", "stale"}});
        memories.setRepeat(1, 1);
        CommandSetFile::LoadCommandSet(path(), memories);
        QTEST(state(memories, 1), "memory1");
    }

    // The set shipped with the program: device type 0 scripts that a first start can run as they are.
    void shippedSet()
    {
        const QByteArray bytes = fileBytes(SHIPPED_SET);
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QuickDialMemories memories;
        CommandSetFile::LoadCommandSet(SHIPPED_SET, memories);
        // Written back unchanged: the file is in the program's own order and within the read limits.
        QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
        QCOMPARE(fileBytes(path()), bytes);

        int usedMemories = 0;
        for (int n = 1; n <= 8; ++n)
            usedMemories += memories.entries(n)->count() > 0 ? 1 : 0;
        QVERIFY(usedMemories >= 4);
    }
};

QTEST_GUILESS_MAIN(tst_ModTools)
#include "tst_modtools.moc"
