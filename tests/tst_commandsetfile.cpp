#include "Catalogue.h"
#include "CommandSetFile.h"
#include "QuickDialMemories.h"
#include "TestFiles.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The five key lines of memory n, each "key=value" CR LF.
QByteArray keyLines(int n, const QByteArray& repeat, const QByteArray& command, const QByteArray& descript,
                    const QByteArray& label, const QByteArray& note)
{
    const QByteArray number = QByteArray::number(n);
    return "Repeat" + number + '=' + repeat + "\r\n" + "Command" + number + '=' + command + "\r\n" +
           "Descript" + number + '=' + descript + "\r\n" + "Label" + number + '=' + label + "\r\n" + "Note" +
           number + '=' + note + "\r\n";
}

QByteArray emptyKeyLines(int n)
{
    return keyLines(n, "", "", "", "", "");
}

// A memory as one comparable text: entries "command|description", label, note, repeat, button.
QStringList state(const QuickDialMemories& memories, int n)
{
    QStringList shown;
    for (const ScriptEntry& entry : memories.entries(n)->entries())
        shown << entry.command + u'|' + entry.description;
    shown << QStringLiteral("label=") + memories.label(n) << QStringLiteral("note=") + memories.note(n)
          << QStringLiteral("repeat=%1").arg(memories.repeat(n))
          << QStringLiteral("button=") + memories.buttonCaption(n) + u'|' + memories.buttonToolTip(n);
    return shown;
}

QStringList usedMemory(const QStringList& entries, const QString& label, int repeat = 0,
                       const QString& note = {})
{
    return entries + QStringList{QStringLiteral("label=") + label, QStringLiteral("note=") + note,
                                 QStringLiteral("repeat=%1").arg(repeat),
                                 QStringLiteral("button=") + label.left(10) +
                                     QStringLiteral("...|Bezeichnung: ") + label};
}

const QStringList emptyMemory{QStringLiteral("label=[Leer]"), QStringLiteral("note="),
                              QStringLiteral("repeat=0"), QStringLiteral("button=[Leer]|")};

// The memory 2 of the worked example; the other memories stay empty.
void fillWorkedExample(QuickDialMemories& memories)
{
    memories.store(
        2, QStringLiteral("Start-Stop"), QStringLiteral("Start, wait 5 s, stop"),
        {{QStringLiteral("SM 1"), QStringLiteral("Messbetrieb starten (SM 1)")},
         {QStringLiteral("<WAIT_TIME=5>"), QStringLiteral("* Verweilzeit einfügen (kein Gerätebefehl)")},
         {QStringLiteral("SM 0"), QString()}});
}

} // namespace

class tst_CommandSetFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { modGlobal::LanguageOffset = 0; }

    void workedExample();
    void sameBytesAsKeyByKey_data();
    void sameBytesAsKeyByKey();
    void roundTripOfFullSet();
    void load_data();
    void load();
    void foreignLinesKept();
    void lineBreaksBecomeBlanks_data();
    void lineBreaksBecomeBlanks();
    void folderInsteadOfFile();
    void shippedSet();

private:
    QString path(const char* name = "set.cfg") const { return m_dir->filePath(QLatin1String(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CommandSetFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_CommandSetFile::workedExample()
{
    QuickDialMemories memories;
    fillWorkedExample(memories);
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));

    QByteArray expected =
        "[SETTINGS]\r\n" + emptyKeyLines(1) +
        keyLines(2, "0", "SM 1#<WAIT_TIME=5>#SM 0",
                 "Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#", "Start-Stop",
                 "Start, wait 5 s, stop");
    for (int n = 3; n <= 8; ++n)
        expected += emptyKeyLines(n);
    QCOMPARE(fileBytes(path()), expected);

    QuickDialMemories loaded;
    CommandSetFile::LoadCommandSet(path(), loaded);
    QCOMPARE(state(loaded, 2),
             usedMemory({QStringLiteral("SM 1|Messbetrieb starten (SM 1)"),
                         QStringLiteral("<WAIT_TIME=5>|* Verweilzeit einfügen (kein Gerätebefehl)"),
                         QStringLiteral("SM 0|")},
                        QStringLiteral("Start-Stop"), 0, QStringLiteral("Start, wait 5 s, stop")));
    for (int n : {1, 3, 8})
        QCOMPARE(state(loaded, n), emptyMemory);
}

// Writing the set at once must leave exactly the file that forty single writes would leave.
void tst_CommandSetFile::sameBytesAsKeyByKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("other section only, no final line break") << QByteArray("[Other]\r\nA=1");
    QTest::newRow("keys in another order and spelling") << QByteArray(
        "[settings]\r\nnote2=old\r\nCOMMAND1=x#y\r\nPort=5025\r\n\r\n; end\r\n[Other]\r\nB=2\r\n");
    QTest::newRow("LF line ends, section at the end") << QByteArray("; top\n[SETTINGS]\nRepeat1=1\nLabel1=L");
    QTest::newRow("two SETTINGS sections") << QByteArray("[SETTINGS]\r\nA=1\r\n[SETTINGS]\r\nRepeat1=1\r\n");
}

void tst_CommandSetFile::sameBytesAsKeyByKey()
{
    QFETCH(QByteArray, before);
    if (!before.isNull()) {
        writeBytes(path("whole.cfg"), before);
        writeBytes(path("single.cfg"), before);
    }
    QuickDialMemories memories;
    fillWorkedExample(memories);
    memories.store(5, QStringLiteral("Poll"), QStringLiteral("two\nlines"), {{"GM", "query"}});
    memories.setRepeat(5, 1);
    QVERIFY(CommandSetFile::SaveCommandSet(path("whole.cfg"), memories));

    const QString section = QStringLiteral("SETTINGS");
    for (int n = 1; n <= 8; ++n) {
        const QString number = QString::number(n);
        const bool used = memories.entries(n)->count() > 0;
        QStringList commands;
        QStringList descriptions;
        for (const ScriptEntry& entry : memories.entries(n)->entries()) {
            commands << entry.command;
            descriptions << entry.description;
        }
        const auto write = [&](const char* key, const QString& value) {
            modTools::WriteIniString(section, QLatin1String(key) + number, used ? value : QString(),
                                     path("single.cfg"));
        };
        write("Repeat", QString::number(memories.repeat(n)));
        write("Command", commands.join(u'#'));
        write("Descript", descriptions.join(u'#'));
        write("Label", memories.label(n));
        write("Note", memories.note(n));
    }
    QCOMPARE(fileBytes(path("whole.cfg")), fileBytes(path("single.cfg")));
}

void tst_CommandSetFile::roundTripOfFullSet()
{
    QuickDialMemories memories;
    for (int n = 1; n <= 8; ++n) {
        QList<ScriptEntry> entries;
        for (int k = 1; k <= n; ++k)
            entries.append(
                {QStringLiteral("SP %1 %2").arg(n).arg(k),
                 k == n && n % 2 == 0 ? QString() : QStringLiteral("Schritt %1 für Gerät").arg(k)});
        memories.store(n, QStringLiteral("Memory number %1").arg(n), QStringLiteral("Note %1: ß€").arg(n),
                       entries);
        memories.setRepeat(n, n % 3 == 0 ? 1 : 0);
    }
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
    QVERIFY(fileBytes(path()).contains("Note1=Note 1: \xdf\x80\r\n"));

    QuickDialMemories loaded;
    loaded.store(4, QStringLiteral("stale"), QStringLiteral("stale"), {{"XX", "stale"}});
    loaded.setRepeat(3, 0);
    loaded.setRepeat(4, 1);
    CommandSetFile::LoadCommandSet(path(), loaded);
    for (int n = 1; n <= 8; ++n)
        QCOMPARE(state(loaded, n), state(memories, n));
}

// Key lines of memory 1 (and what surrounds them), and how memory 1 comes out of the load. A
// missing file, section or key reads as its default.
void tst_CommandSetFile::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("memory1");

    const QByteArray head = "[SETTINGS]\r\n";
    QTest::newRow("no file") << QByteArray() << usedMemory({}, {});
    QTest::newRow("saved empty") << head + emptyKeyLines(1) << emptyMemory;
    QTest::newRow("saved empty, Repeat line removed")
        << head + "Command1=\r\nDescript1=\r\nLabel1=\r\nNote1=\r\n"
        << usedMemory({}, QString());
    QTest::newRow("empty description in the middle")
        << head + keyLines(1, "0", "x#y#z", "a##c", "L", "") << usedMemory({"x|a", "y|", "z|"}, "L");
    QTest::newRow("more descriptions than entries")
        << head + keyLines(1, "1", "x#y", "a#b#c#d", "L", "") << usedMemory({"x|a", "y|b"}, "L", 1);
    QTest::newRow("leading # ends the commands")
        << head + keyLines(1, "0", "#SM 1#GM", "a#b", "L", "") << usedMemory({}, "L");
    QTest::newRow("adjacent # end the commands")
        << head + keyLines(1, "0", "SM 1##GM", "a#b", "L", "") << usedMemory({"SM 1|a"}, "L");
    QTest::newRow("600-character command value")
        << head + keyLines(1, "0", QByteArray(300, 'A') + '#' + QByteArray(299, 'B'), "", "L", "")
        << usedMemory({QString(300, u'A') + u'|', QString(210, u'B') + u'|'}, "L");
    QTest::newRow("code 20 removed from commands and descriptions only")
        << head + keyLines(1, "0", "S\x14M 1#\x14#G\x14M",
                           "st\x14"
                           "art#\x14#q",
                           "L\x14", "N\x14")
        << usedMemory({"SM 1|start"}, QStringLiteral("L\x14"), 0, QStringLiteral("N\x14"));
    QTest::newRow("repeat not a number")
        << head + keyLines(1, "yes", "GM", "", "L", "") << usedMemory({"GM|"}, "L");
    QTest::newRow("repeat 2") << head + keyLines(1, "2", "GM", "", "L", "") << usedMemory({"GM|"}, "L");
    QTest::newRow("key names in other case, keys out of order")
        << head + "note1=N\r\nLABEL1=L\r\ndescript1=d\r\ncommand1=GM\r\nrepeat1=1\r\n"
        << usedMemory({"GM|d"}, "L", 1, "N");
    QTest::newRow("CR only line ends") << QByteArray("[SETTINGS]\rRepeat1=1\rCommand1=GM#SM 1\rLabel1=L\r")
                                       << usedMemory({"GM|", "SM 1|"}, "L", 1);
    QTest::newRow("other section only") << QByteArray("[OTHER]\r\nCommand1=GM\r\n") << usedMemory({}, {});
    static const char junk[] = "\x00\xff\xfe[\x01=\x02\r\n\x80\x81=\x00\x1a[SETTINGS\x00]\r\nCommand1\x00=GM";
    QTest::newRow("binary junk") << QByteArray(junk, sizeof junk - 1) << usedMemory({}, {});

    QByteArray many;
    QByteArray manyDescriptions;
    QStringList first253;
    for (int k = 1; k <= 300; ++k) {
        many += (k > 1 ? "#" : "") + QByteArray::number(k % 10);
        manyDescriptions += (k > 1 ? "#d" : "d");
        if (k <= 253)
            first253 << QString::number(k % 10) + QStringLiteral("|d");
    }
    QTest::newRow("300 fields") << head + keyLines(1, "0", many, manyDescriptions, "L", "")
                                << usedMemory(first253, "L");
}

void tst_CommandSetFile::load()
{
    QFETCH(QByteArray, content);
    if (!content.isNull())
        writeBytes(path(), content);
    QuickDialMemories memories;
    memories.store(1, QStringLiteral("stale"), QStringLiteral("stale"), {{"XX", "stale"}});
    memories.setRepeat(1, 1);
    CommandSetFile::LoadCommandSet(path(), memories);
    QTEST(state(memories, 1), "memory1");
}

void tst_CommandSetFile::foreignLinesKept()
{
    const QByteArray before = "; my sets\r\n"
                              "[Other]\r\n"
                              "Command1=not ours\r\n"
                              "[SETTINGS]\r\n"
                              "Owner=me\r\n"
                              "Label2=old\r\n"
                              "; keep this comment\r\n"
                              "\r\n"
                              "[Tail]\r\n"
                              "X=1\r\n";
    writeBytes(path(), before);
    QuickDialMemories memories;
    fillWorkedExample(memories);
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));

    const QByteArray after = fileBytes(path());
    QVERIFY(after.startsWith(
        "; my sets\r\n[Other]\r\nCommand1=not ours\r\n[SETTINGS]\r\nOwner=me\r\nLabel2=Start-Stop\r\n"));
    QVERIFY(after.endsWith("Note8=\r\n; keep this comment\r\n\r\n[Tail]\r\nX=1\r\n"));
    QCOMPARE(after.count("\r\n"), before.count("\r\n") + 39);
    QString other;
    modTools::ReadIniString(QStringLiteral("Other"), QStringLiteral("Command1"), {}, other, 512, path());
    QCOMPARE(other, QStringLiteral("not ours"));
}

// Notes and descriptions come from multi-line boxes; a raw line break would end the value in the
// file and lose the rest of it, so each one is written as a blank.
void tst_CommandSetFile::lineBreaksBecomeBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("LF") << "first line\nsecond line"
                        << "first line second line";
    QTest::newRow("CR LF") << "first line\r\nsecond line"
                           << "first line second line";
    QTest::newRow("CR") << "a\rb"
                        << "a b";
    QTest::newRow("empty line between") << "a\n\nb"
                                        << "a  b";
    QTest::newRow("injected key line") << "a\nCommand1=XC 1 evil"
                                       << "a Command1=XC 1 evil";
}

void tst_CommandSetFile::lineBreaksBecomeBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    QuickDialMemories memories;
    memories.store(1, text, text, {{"GM", text}, {"SM 1", "second"}});
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
    QCOMPARE(fileBytes(path()).count('\n'), 41);
    QVERIFY(!fileBytes(path()).contains("\r\r"));

    QuickDialMemories loaded;
    CommandSetFile::LoadCommandSet(path(), loaded);
    QCOMPARE(state(loaded, 1), usedMemory({"GM|" + readBack, "SM 1|second"}, readBack, 0, readBack));
}

void tst_CommandSetFile::folderInsteadOfFile()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("set.cfg")));
    QuickDialMemories memories;
    fillWorkedExample(memories);
    QVERIFY(!CommandSetFile::SaveCommandSet(path(), memories));
    QVERIFY(QFileInfo(path()).isDir());

    CommandSetFile::LoadCommandSet(path(), memories);
    QCOMPARE(state(memories, 2), usedMemory({}, QString()));
    QVERIFY(
        !CommandSetFile::SaveCommandSet(m_dir->filePath(QStringLiteral("no/such/folder/set.cfg")), memories));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("no"))));
}

// The set shipped with the program: device type 0 scripts that a first start can run as they are.
void tst_CommandSetFile::shippedSet()
{
    const QString shipped = QStringLiteral(SHIPPED_SET);
    const QByteArray bytes = fileBytes(shipped);
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));

    QuickDialMemories memories;
    CommandSetFile::LoadCommandSet(shipped, memories);
    // Written back unchanged: the file is in the program's own order and within every limit.
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
    QCOMPARE(fileBytes(path()), bytes);

    modGlobal::LanguageOffset = 10000;
    QHash<QString, Catalogue::Entry> catalogue;
    for (const bool queries : {true, false})
        for (const QString& text : Catalogue::ListCatalogue(0, queries)) {
            const Catalogue::Entry entry = Catalogue::ReadEntry(text);
            catalogue.insert(entry.code, entry);
        }
    int used = 0;
    for (int n = 1; n <= 8; ++n) {
        const ScriptModel* script = memories.entries(n);
        if (script->count() == 0) {
            QCOMPARE(memories.buttonCaption(n), QStringLiteral("[Leer]"));
            continue;
        }
        ++used;
        QVERIFY(!memories.label(n).isEmpty() && memories.label(n).size() <= 40);
        QVERIFY(!memories.note(n).isEmpty() && memories.note(n).size() <= 128);
        for (const ScriptEntry& step : script->entries()) {
            QString code = step.command.section(u' ', 0, 0);
            QStringList values = step.command.section(u' ', 1).split(u' ', Qt::SkipEmptyParts);
            const QString waitStart = Catalogue::WaitCode().chopped(1); // "<WAIT_TIME", then "=5>"
            if (step.command.startsWith(waitStart)) {
                code = Catalogue::WaitCode();
                const QString seconds = step.command.mid(waitStart.size());
                QVERIFY2(seconds.startsWith(u'=') && seconds.endsWith(u'>'), qPrintable(step.command));
                values = {seconds.mid(1).chopped(1)};
            }
            const auto entry = catalogue.constFind(code);
            // "SM 1" and its kind carry their mode in the code.
            const bool modeCode = entry == catalogue.cend() && catalogue.contains(step.command);
            QVERIFY2(entry != catalogue.cend() || modeCode, qPrintable(step.command));
            const Catalogue::Entry& known = modeCode ? catalogue[step.command] : *entry;
            QCOMPARE(step.description, known.caption);
            if (modeCode)
                continue;
            QCOMPARE(qsizetype(Catalogue::ParameterCount(known)), values.size());
            for (qsizetype i = 0; i < values.size(); ++i) {
                const Catalogue::Parameter& parameter = known.parameters.at(size_t(i));
                if (parameter.format != QLatin1String("%d"))
                    continue;
                const Catalogue::NumberRange range = Catalogue::NumericLimit(parameter.limit);
                bool ok = false;
                const qint64 value = values.at(i).toLongLong(&ok);
                QVERIFY2(ok && value >= range.minimum && value <= range.maximum, qPrintable(step.command));
            }
        }
    }
    QVERIFY(used >= 4);
}

QTEST_GUILESS_MAIN(tst_CommandSetFile)
#include "tst_commandsetfile.moc"
