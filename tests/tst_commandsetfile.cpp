// Command-set files as the Windows original writes and reads them: the worked example byte for
// byte, round trips, line breaks, loads of any content, and the set shipped with the program.
#include "CommandSetFile.h"
#include "QuickDialMemories.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QtTest>

namespace {

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

class tst_CommandSetFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(path()); }
    void workedExample();
    void roundTripOfFullSet();
    void load_data();
    void load();
    void shippedSet();

private:
    QString path() const { return m_dir.filePath("set.cfg"); }
    QTemporaryDir m_dir;
};

void tst_CommandSetFile::workedExample()
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
                 "Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#", "Start-Stop",
                 "Start, wait 5 s, stop");
    for (int n = 3; n <= 8; ++n)
        expected += keyLines(n);
    QCOMPARE(fileBytes(path()), expected);
}

// Notes and descriptions come from multi-line boxes; a raw line break would end the value in the
// file and lose the rest of it (or inject a key line), so each one is written as a blank.
void tst_CommandSetFile::roundTripOfFullSet()
{
    const QStringList breaks{"\n", "\r\n", "\r", "\n\n", "\nCommand1=XC 1 evil", "", "", ""};
    QuickDialMemories memories;
    for (int n = 1; n <= 8; ++n) {
        QList<ScriptEntry> entries;
        for (int k = 1; k <= n; ++k)
            entries.append({QStringLiteral("SP %1 %2").arg(n).arg(k),
                            k == n && n % 2 == 0 ? QString() : "Schritt für Gerät" + breaks[n - 1] + "!"});
        memories.store(n, QStringLiteral("Memory number %1").arg(n), "Note: ß€" + breaks[n - 1] + "!",
                       entries);
        memories.setRepeat(n, n % 3 == 0 ? 1 : 0);
    }
    writeBytes(path(), "; mine\r\n[Other]\r\nCommand1=not ours\r\n[SETTINGS]\r\nOwner=me\r\nLabel2=old\r\n");
    QVERIFY(CommandSetFile::SaveCommandSet(path(), memories));
    // Other sections and keys stay as they were.
    QVERIFY(fileBytes(path()).startsWith(
        "; mine\r\n[Other]\r\nCommand1=not ours\r\n[SETTINGS]\r\nOwner=me\r\nLabel2=Memory number 2\r\n"));
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
void tst_CommandSetFile::load_data()
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
    static const char junk[] = "\x00\xff\xfe[\x01=\x02\r\n\x80\x81=\x00\x1a[SETTINGS\x00]\r\nCommand1\x00=GM";

    row("no file", QByteArray(), used("", ""));
    row("saved empty", head + keyLines(1), emptyMemory);
    row("saved empty, without its Repeat key", head + "Command1=\r\nDescript1=\r\nLabel1=\r\nNote1=\r\n",
        used("", ""));
    row("empty description in the middle", head + keyLines(1, "0", "x#y#z", "a##c", "L"),
        used("x|a;y|;z|", "L"));
    row("more descriptions than entries", head + keyLines(1, "1", "x#y", "a#b#c#d", "L"),
        used("x|a;y|b", "L", 1));
    row("adjacent # end the commands", head + keyLines(1, "0", "SM 1##GM", "a#b", "L"), used("SM 1|a", "L"));
    row("600-character command value",
        head + keyLines(1, "0", QByteArray(300, 'A') + '#' + QByteArray(299, 'B'), "", "L"),
        used(QString(300, u'A') + "|;" + QString(299, u'B') + '|', "L"));
    row("code 20 removed from commands and descriptions only",
        head + keyLines(1, "0", "S\x14M 1#\x14#G\x14M", "s\x14tart#\x14#q", "L\x14", "N\x14"),
        used("SM 1|start", "L\x14", 0, "N\x14"));
    row("repeat not a number", head + keyLines(1, "yes", "GM", "", "L"), used("GM|", "L"));
    row("300 fields", head + keyLines(1, "0", many, manyDescriptions, "L"), used(all.join(u';'), "L"));
    row("repeat other than 1 kept", head + keyLines(1, "2", "GM", "", "L"), used("GM|", "L", 2));
    row("other section only", QByteArray("[OTHER]\r\nCommand1=GM\r\n"), used("", ""));
    row("binary junk", QByteArray(junk, sizeof junk - 1), used("", ""));
}

void tst_CommandSetFile::load()
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
void tst_CommandSetFile::shippedSet()
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

QTEST_GUILESS_MAIN(tst_CommandSetFile)
#include "tst_commandsetfile.moc"
