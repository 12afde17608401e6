#include "Catalogue.h"
#include "CommandBuilder.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QtTest>

using namespace Catalogue;

namespace {

constexpr int English = 10000;
constexpr int German = 0;

// Ids of the catalogue as the blocks run: set commands, query commands, by device type.
QList<int> catalogueIds()
{
    QList<int> ids;
    for (const auto& [first, last] : {std::pair{1000, 1009},
                                      {1200, 1200},
                                      {2000, 2019},
                                      {2200, 2213},
                                      {6001, 6037},
                                      {6200, 6226},
                                      {4000, 4016},
                                      {4200, 4212}})
        for (int id = first; id <= last; ++id)
            ids.append(id);
    return ids;
}

QString field(const QString& text, int n)
{
    return modTools::GetField(text, quint8(n), false, QStringLiteral(","));
}

} // namespace

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void init() { modGlobal::LanguageOffset = English; }

    void tableIsComplete()
    {
        const QList<int> ids = modTools::TextIds();
        QCOMPARE(ids.size(), 488);
        QList<int> german;
        std::copy_if(ids.cbegin(), ids.cend(), std::back_inserter(german), [](int id) { return id < 10000; });
        QCOMPARE(german.size(), 244);
        for (int id : ids) {
            const int partner = id < 10000 ? id + 10000 : id - 10000;
            QVERIFY2(ids.contains(partner), qPrintable(QStringLiteral("%1 has no partner").arg(id)));
        }
    }

    // Every entry is well formed, and its two languages agree in everything but the words.
    void entryIsWellFormed_data()
    {
        QTest::addColumn<int>("id");
        QList<int> ids = catalogueIds();
        ids.append(5000);
        for (int id : ids)
            QTest::addRow("%d", id) << id;
    }
    void entryIsWellFormed()
    {
        QFETCH(int, id);
        const QString german = modTools::TextById(id);
        const QString english = modTools::TextById(id + 10000);
        QVERIFY(!german.isEmpty());
        QVERIFY(!english.isEmpty());
        bool ok = false;
        const int count = field(english, 3).toInt(&ok);
        QVERIFY(ok && count >= 0 && count <= 2);
        for (const QString& text : {german, english}) {
            // No comma after the last field: exactly caption, note, count, code and the parameters.
            QCOMPARE(text.count(QLatin1Char(',')), 3 + 3 * count);
            QVERIFY(!field(text, 1).isEmpty());
            QVERIFY(!field(text, 4).isEmpty());
            for (int k = 1; k <= count; ++k)
                QVERIFY(!field(text, 3 * k + 2).isEmpty());
        }
        for (int n : {3, 4, 6, 7, 9, 10})
            QCOMPARE(field(german, n), field(english, n));
        QCOMPARE(field(german, 2).isEmpty(), field(english, 2).isEmpty());
        for (int k = 1; k <= count; ++k) {
            const QString format = field(english, 3 * k + 3);
            const QString limit = field(english, 3 * k + 4);
            if (format == QLatin1String("%d")) {
                QVERIFY(QRegularExpression(QStringLiteral("^-?\\d+#\\d+$")).match(limit).hasMatch());
            } else {
                QVERIFY(QStringList({"%s", "%r", "%u", "%p"}).contains(format));
                QVERIFY(limit.toInt() >= 1 && limit.toInt() <= 32767);
            }
        }
    }

    void listCounts_data()
    {
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<bool>("withQueries");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last");
        const QString wait = QStringLiteral("* Insert delay (no device command)");
        QTest::newRow("0 queries") << 0 << true << 11 << "Get production mode status (GM)";
        QTest::newRow("1 queries") << 1 << true << 34 << "Device group: Get remark (GRA)";
        QTest::newRow("2 queries") << 2 << true << 64
                                   << "GetRemarkGroupB - Read remark of device group B (GRB)";
        QTest::newRow("3 queries") << 3 << true << 30 << "Device group: Get remark (GRA)";
        QTest::newRow("0 wait") << 0 << false << 11 << wait;
        QTest::newRow("1 wait") << 1 << false << 21 << wait;
        QTest::newRow("2 wait") << 2 << false << 38 << wait;
        QTest::newRow("3 wait") << 3 << false << 18 << wait;
        QTest::newRow("7 counts as 3") << 7 << true << 30 << "Device group: Get remark (GRA)";
        QTest::newRow("-1 counts as 3") << -1 << false << 18 << wait;
    }
    void listCounts()
    {
        QFETCH(int, deviceType);
        QFETCH(bool, withQueries);
        QFETCH(int, count);
        QFETCH(QString, last);
        const QStringList entries = ListCatalogue(deviceType, withQueries);
        QCOMPARE(entries.size(), count);
        QCOMPARE(ReadEntry(entries.last()).caption, last);
    }

    void listFollowsLanguage()
    {
        modGlobal::LanguageOffset = German;
        const QStringList entries = ListCatalogue(1, true);
        QCOMPARE(entries.first(), modTools::TextById(2000));
        QCOMPARE(entries.last(), modTools::TextById(2213));
        QCOMPARE(ListCatalogue(0, false).last(), modTools::TextById(5000));
    }

    void wholeEntries_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("12003")
            << 12003
            << "Set measurement program (SP),,2,SP,Device address or the last Ethernet segment,"
               "%d,0#255,Measurement program No.,%d,0#7";
        QTest::newRow("1004") << 1004
                              << QString::fromUtf8(
                                     "Chargenbezeichnung einstellen (CA),Nur während des Messbetriebs "
                                     "und nur bei Einstellung 'Manuelle Bezeichnung' möglich! Es sind "
                                     "nur folgende Zeichen gültig: a-z A-Z  0-9 '-' '_' ' '!,2,CA,"
                                     "Geräteadresse,%d,0#99,Chargenbezeichnung,%r,63");
        QTest::newRow("2213") << 2213 << QString::fromUtf8("Gerätegruppe: Bemerkung abfragen (GRA),,0,GRA");
        QTest::newRow("12213") << 12213 << "Device group: Get remark (GRA),,0,GRA";
        QTest::newRow("6014") << 6014
                              << QString::fromUtf8(
                                     "SetNumberSerial - Setzt neuen Zählerstand für aktuelle "
                                     "Seriennummer (SN),,2,SN,RemoteId,%d,0#98,Wert Zählerstand ,%d,"
                                     "0#4294967295");
        QTest::newRow("5000") << 5000
                              << QString::fromUtf8(
                                     "* Verweilzeit einfügen (kein Gerätebefehl),,1,<WAIT_TIME>,"
                                     "Zeit in Sekunden,%d,1#2000000");
        QTest::newRow("15000")
            << 15000 << "* Insert delay (no device command),,1,<WAIT_TIME>,time in seconds,%d,1#2000000";
    }
    void wholeEntries()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(modTools::TextById(id), text);
    }

    void parameterCount_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("2") << "2" << 2;
        QTest::newRow("1.0") << "1.0" << 1;
        QTest::newRow("no number") << "x" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("beyond two") << "3" << 2;
    }
    void parameterCount()
    {
        QFETCH(QString, count);
        QFETCH(int, expected);
        Entry entry;
        entry.count = count;
        QCOMPARE(ParameterCount(entry), expected);
    }

    void numericLimit_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<qint64>("maximum");
        QTest::newRow("0#255") << "0#255" << 0LL << 255LL;
        QTest::newRow("unsigned top") << "0#4294967295" << 0LL << 4294967295LL;
        QTest::newRow("minus one") << "-1#2147483648" << -1LL << 2147483648LL;
        QTest::newRow("wait") << "1#2000000" << 1LL << 2000000LL;
        QTest::newRow("no number") << "abc" << 0LL << 1LL;
        QTest::newRow("no #") << "7" << 7LL << 1LL;
        QTest::newRow("no min") << "#5" << 0LL << 5LL;
        QTest::newRow("letters dropped") << "a1#b9" << 1LL << 9LL;
        QTest::newRow("max too big") << "0#99999999999" << 0LL << 4294967295LL;
        QTest::newRow("min too small") << "-99999999999#0" << -2147483648LL << 0LL;
    }
    void numericLimit()
    {
        QFETCH(QString, limit);
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        const NumberRange range = NumericLimit(limit);
        QCOMPARE(range.minimum, minimum);
        QCOMPARE(range.maximum, maximum);
    }

    void textLimit_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("expected");
        QTest::newRow("XC") << "%s"
                            << "20000" << 20000;
        QTest::newRow("restricted") << "%r"
                                    << "63" << 63;
        QTest::newRow("interface") << "%u"
                                   << "2000" << 2000;
        QTest::newRow("path") << "%p"
                              << "512" << 512;
        QTest::newRow("text fallback") << "%s"
                                       << "x" << 100;
        QTest::newRow("path fallback") << "%p"
                                       << "" << 256;
        QTest::newRow("zero") << "%r"
                              << "0" << 100;
        QTest::newRow("beyond a text box") << "%s"
                                           << "40000" << 100;
    }
    void textLimit()
    {
        QFETCH(QString, format);
        QFETCH(QString, limit);
        QFETCH(int, expected);
        QCOMPARE(TextLimit(format, limit), expected);
    }

    // The address names of one language match the address parameters of three device types.
    void addressNames_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<bool>("isAddress");
        const bool englishMatches[] = {true, true, true, false};
        const bool germanMatches[] = {false, true, true, true};
        for (int type = 0; type < 4; ++type) {
            QTest::addRow("en %d", type) << English << type << englishMatches[type];
            QTest::addRow("de %d", type) << German << type << germanMatches[type];
        }
    }
    void addressNames()
    {
        QFETCH(int, language);
        QFETCH(int, deviceType);
        QFETCH(bool, isAddress);
        modGlobal::LanguageOffset = language;
        // The first entry of each device type with parameters whose first one is its address.
        const int ids[] = {1003, 2003, 6006, 4002};
        const Entry entry = ReadEntry(modTools::GetText(qint16(ids[deviceType])));
        QCOMPARE(IsAddressName(entry.parameters[0].name), isAddress);
        QVERIFY(!IsAddressName(entry.parameters[1].name));
        QVERIFY(!IsAddressName(QString()));
    }

    void waitCommand()
    {
        for (int language : {English, German}) {
            modGlobal::LanguageOffset = language;
            QCOMPARE(WaitCode(), QStringLiteral("<WAIT_TIME>"));
            QCOMPARE(WaitCommand(1), QStringLiteral("<WAIT_TIME=1>"));
            QCOMPARE(WaitCommand(2000000), QStringLiteral("<WAIT_TIME=2000000>"));
        }
    }

    // Steps and the "Accept" point follow the number of parameters.
    void builderSteps_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("lastStep");
        QTest::newRow("none") << modTools::TextById(12213) << 1;
        QTest::newRow("one") << modTools::TextById(12201) << 2;
        QTest::newRow("two") << modTools::TextById(12003) << 3;
        QTest::newRow("count no number") << "Caption,,x,XY,name,%d,0#9" << 1;
    }
    void builderSteps()
    {
        QFETCH(QString, entry);
        QFETCH(int, lastStep);
        CommandBuilder builder;
        builder.Choose(entry);
        QCOMPARE(builder.Command(), ReadEntry(entry).code);
        while (!builder.IsLastStep())
            builder.NextStep();
        QCOMPARE(int(builder.Step()), lastStep);
        builder.NextStep();
        QCOMPARE(int(builder.Step()), lastStep);
    }
};

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
