#include "modGlobal.h"
#include "modTools.h"

#include <QtTest>

class tst_ModTools : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { modGlobal::LanguageOffset = 0; }

    void getText_data();
    void getText();
    void tableIsPaired();
    void formatText_data();
    void formatText();
    void getField_data();
    void getField();
    void wholeValue_data();
    void wholeValue();
    void ansi_data();
    void ansi();
    void ansiRoundTripOfEveryByte();
};

void tst_ModTools::getText_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("German quit") << 0 << 3040 << QStringLiteral("Beenden");
    QTest::newRow("English quit") << 10000 << 3040 << QStringLiteral("Quit");
    QTest::newRow("umlaut") << 0 << 3018 << QStringLiteral("Liste löschen");
    QTest::newRow("trailing blank kept") << 10000 << 3121 << QStringLiteral("Missing description text ");
    QTest::newRow("no entry after last window text") << 0 << 3060 << QString();
    QTest::newRow("no entry in English either") << 10000 << 3060 << QString();
    QTest::newRow("same in both languages") << 10000 << 5001 << QStringLiteral("<WAIT_TIME%%>");
}

void tst_ModTools::getText()
{
    QFETCH(int, offset);
    QFETCH(int, id);
    QFETCH(QString, expected);
    modGlobal::LanguageOffset = offset;
    QCOMPARE(modTools::GetText(qint16(id)), expected);
}

void tst_ModTools::tableIsPaired()
{
    const QList<int> ids = modTools::TextIds();
    for (const int id : ids) {
        const int partner = id < 10000 ? id + 10000 : id - 10000;
        QVERIFY2(ids.contains(partner), qPrintable(QStringLiteral("id %1 has no partner").arg(id)));
        QVERIFY2(!modTools::TextById(id).isEmpty(), qPrintable(QStringLiteral("id %1 is empty").arg(id)));
    }
}

void tst_ModTools::formatText_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two values") << QStringLiteral("Möglicher Wertebereich: %% bis %%") << QStringList{"0", "255"}
                                << QStringLiteral("Möglicher Wertebereich: 0 bis 255");
    QTest::newRow("version") << QStringLiteral("Programmversion: V%%") << QStringList{"1.0.5"}
                             << QStringLiteral("Programmversion: V1.0.5");
    QTest::newRow("date") << QStringLiteral("Datum: %%") << QStringList{"05.07.2012"}
                          << QStringLiteral("Datum: 05.07.2012");
    QTest::newRow("surplus placeholder stays") << QStringLiteral("%% bis %%") << QStringList{"1"}
                                               << QStringLiteral("1 bis %%");
    QTest::newRow("no placeholder") << QStringLiteral("plain") << QStringList{"x"} << QStringLiteral("plain");
    QTest::newRow("empty first still fills") << QStringLiteral("a%%b%%c") << QStringList{"", "2"}
                                             << QStringLiteral("ab2c");
    QTest::newRow("empty second stops") << QStringLiteral("%%-%%-%%") << QStringList{"1", "", "3"}
                                        << QStringLiteral("1-%%-%%");
    QTest::newRow("no argument empties the first") << QStringLiteral("<WAIT_TIME%%>") << QStringList{}
                                                   << QStringLiteral("<WAIT_TIME>");
    QTest::newRow("wait text") << QStringLiteral("<WAIT_TIME%%>") << QStringList{"=1"}
                               << QStringLiteral("<WAIT_TIME=1>");
    QTest::newRow("surplus arguments ignored") << QStringLiteral("%%") << QStringList{"a", "b"} << QStringLiteral("a");
    QTest::newRow("value with placeholder found again") << QStringLiteral("[%%]") << QStringList{"%%", "x"}
                                                        << QStringLiteral("[x]");
    QTest::newRow("eleventh used, twelfth not")
        << QStringLiteral("%%%%%%%%%%%%%%%%%%%%%%%%")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C"}
        << QStringLiteral("123456789AB%%");
}

void tst_ModTools::formatText()
{
    QFETCH(QString, templ);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(modTools::FormatText(templ, args), expected);
}

void tst_ModTools::getField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("numericOnly");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("limit max") << QStringLiteral("0#4294967295") << 2 << true << "#" << QStringLiteral("4294967295");
    QTest::newRow("wait seconds") << QStringLiteral("<WAIT_TIME=20>") << 2 << true << "=" << QStringLiteral("20");
    QTest::newRow("field 0") << QStringLiteral("a,b") << 0 << false << "," << QString();
    QTest::newRow("beyond last") << QStringLiteral("a,b") << 3 << false << "," << QString();
    QTest::newRow("empty between separators") << QStringLiteral("a,,c") << 2 << false << "," << QString();
    QTest::newRow("last field") << QStringLiteral("a,,c") << 3 << false << "," << QStringLiteral("c");
    QTest::newRow("no separator is field 1") << QStringLiteral("whole text") << 1 << false << ","
                                             << QStringLiteral("whole text");
    QTest::newRow("long separator never matches") << QStringLiteral("a##b") << 1 << false << "##"
                                                  << QStringLiteral("a##b");
    QTest::newRow("numeric keeps sign") << QStringLiteral("SM -1") << 1 << true << "," << QStringLiteral("-1");
    QTest::newRow("numeric keeps dots") << QStringLiteral("v1.2a") << 1 << true << "," << QStringLiteral("1.2");
    QTest::newRow("trailing separator gives empty last") << QStringLiteral("a#") << 2 << false << "#" << QString();
    QTest::newRow("field 255 of short text") << QStringLiteral("a") << 255 << false << "," << QString();
}

void tst_ModTools::getField()
{
    QFETCH(QString, text);
    QFETCH(int, field);
    QFETCH(bool, numericOnly);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    QCOMPARE(modTools::GetField(text, quint8(field), numericOnly, separator), expected);
}

void tst_ModTools::wholeValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "12" << true << qint64(12);
    QTest::newRow("fraction") << "1.0" << true << qint64(1);
    QTest::newRow("half to even down") << "2.5" << true << qint64(2);
    QTest::newRow("half to even up") << "1.5" << true << qint64(2);
    QTest::newRow("negative half") << "-0.5" << true << qint64(0);
    QTest::newRow("sign") << "+3" << true << qint64(3);
    QTest::newRow("lone minus") << "-" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "1a" << false << qint64(0);
    QTest::newRow("two dots") << "1.2.3" << false << qint64(0);
    QTest::newRow("large") << "4294967295" << true << qint64(4294967295LL);
}

void tst_ModTools::wholeValue()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(qint64, value);
    QCOMPARE(modTools::IsNumeric(text), numeric);
    const auto whole = modTools::WholeValue(text);
    QCOMPARE(whole.has_value(), numeric);
    if (numeric)
        QCOMPARE(*whole, value);
}

void tst_ModTools::ansi_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("SM 1") << QByteArray("SM 1");
    QTest::newRow("umlaut one byte") << QStringLiteral("ä") << QByteArray("\xe4");
    QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("missing character") << QStringLiteral("aĀb") << QByteArray("a?b");
    QTest::newRow("surrogate pair is one char") << QString::fromUtf8("a\xF0\x9F\x98\x80z") << QByteArray("a?z");
    QTest::newRow("control 0x1A kept") << QString(QChar(0x1a)) << QByteArray("\x1a");
    QTest::newRow("NUL kept") << QString(QChar(0)) << QByteArray(1, '\0');
}

void tst_ModTools::ansi()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(modTools::ToAnsi(text), bytes);
}

void tst_ModTools::ansiRoundTripOfEveryByte()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = modTools::FromAnsi(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0xe4), QChar(0xe4));
    QCOMPARE(modTools::ToAnsi(text), all);
}

QTEST_GUILESS_MAIN(tst_ModTools)
#include "tst_modtools.moc"
