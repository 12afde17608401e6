#include "Catalogue.h"
#include "TestSupport.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QtTest>

using namespace Catalogue;

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void init() { modGlobal::LanguageOffset = 10000; }

    // 488 entries of the original table and the program's own from 7000 on, every German id with
    // its English partner; none empty.
    void tableIsComplete()
    {
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
        const QStringList entries = ListCatalogue(fetch<int>("deviceType"), fetch<bool>("withQueries"));
        QTEST(int(entries.size()), "count");
        QTEST(ReadEntry(entries.last()).caption, "last");
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
};

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
