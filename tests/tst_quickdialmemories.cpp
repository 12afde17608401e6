#include "QuickDialMemories.h"
#include "modGlobal.h"

#include <QSignalSpy>
#include <QtTest>

class tst_QuickDialMemories : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { modGlobal::LanguageOffset = 0; }
    void usedCaption_data();
    void usedCaption();
    void eraseKeepsRepeat();
    void textsKeepTheirLanguage();
    void longScriptKeptWhole();
};

void tst_QuickDialMemories::usedCaption_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("long German") << 0 << "Pressure check" << "Pressure c..." << "Bezeichnung: Pressure check";
    QTest::newRow("long English") << 10000 << "Pressure check" << "Pressure c..." << "Caption: Pressure check";
    QTest::newRow("short") << 0 << "AB" << "AB..." << "Bezeichnung: AB";
    QTest::newRow("exactly ten") << 0 << "0123456789" << "0123456789..." << "Bezeichnung: 0123456789";
    QTest::newRow("empty") << 10000 << "" << "..." << "Caption: ";
}

void tst_QuickDialMemories::usedCaption()
{
    QFETCH(int, offset);
    QFETCH(QString, label);
    modGlobal::LanguageOffset = offset;
    QuickDialMemories memories;
    QSignalSpy changed(&memories, &QuickDialMemories::changed);
    QVERIFY(changed.isValid());
    memories.store(3, label, QStringLiteral("note"), {{"SM 1", "start"}, {"GM", ""}});
    QTEST(memories.buttonCaption(3), "caption");
    QTEST(memories.buttonToolTip(3), "toolTip");
    QCOMPARE(memories.label(3), label);
    QCOMPARE(memories.entries(3)->count(), 2);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toInt(), 3);
    QCOMPARE(memories.entries(2)->count(), 0);
}

void tst_QuickDialMemories::eraseKeepsRepeat()
{
    QuickDialMemories memories;
    memories.store(5, QStringLiteral("Run"), QStringLiteral("note"), {{"SM 1", ""}});
    memories.setRepeat(5, 1);
    memories.erase(5);
    QCOMPARE(memories.buttonCaption(5), QStringLiteral("[Leer]"));
    QCOMPARE(memories.buttonToolTip(5), QString());
    QCOMPARE(memories.label(5), QString());
    QCOMPARE(memories.note(5), QString());
    QCOMPARE(memories.entries(5)->count(), 0);
    QCOMPARE(memories.repeat(5), 1);
}

void tst_QuickDialMemories::textsKeepTheirLanguage()
{
    QuickDialMemories memories;
    memories.store(1, QStringLiteral("Start"), QString(), {{"SM 1", ""}});
    memories.showAsEmpty(2);
    modGlobal::LanguageOffset = 10000;
    QCOMPARE(memories.buttonToolTip(1), QStringLiteral("Bezeichnung: Start"));
    QCOMPARE(memories.buttonCaption(2), QStringLiteral("[Leer]"));
    memories.showAsEmpty(2);
    QCOMPARE(memories.buttonCaption(2), QStringLiteral("[Empty]"));
}

void tst_QuickDialMemories::longScriptKeptWhole()
{
    QList<ScriptEntry> many;
    for (int i = 0; i < 1000; ++i)
        many.append({QStringLiteral("C%1").arg(i), QString()});
    QuickDialMemories memories;
    memories.store(8, QStringLiteral("long"), QString(), many);
    QCOMPARE(memories.entries(8)->count(), 1000);
    QCOMPARE(memories.entries(8)->command(999), QStringLiteral("C999"));
}

QTEST_GUILESS_MAIN(tst_QuickDialMemories)
#include "tst_quickdialmemories.moc"
