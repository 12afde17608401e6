// The rules of the command line and the state table, without a window.
#include "CommandLine.h"
#include "ConnectionState.h"
#include "TrafficLog.h"
#include "modGlobal.h"

#include <QDateTime>
#include <QtTest>

#include <cstdlib>
#include <ctime>

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init() { modGlobal::LanguageOffset = 0; }

    void markLineBreaks_data();
    void markLineBreaks();
    void expandLineMarkers_data();
    void expandLineMarkers();
    void waitCommand_data();
    void waitCommand();
    void waitRowText_data();
    void waitRowText();
    void stateTable_data();
    void stateTable();
    void logTimestamp_data();
    void logTimestamp();
    void clockIsUtc();
};

void tst_CommandLine::markLineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marked");
    QTest::newRow("plain") << "GM"
                           << "GM";
    QTest::newRow("CR LF at the end") << "OK\r\n"
                                      << "OK<CR><LF>";
    QTest::newRow("several inside") << "A\rB\r\nC\n"
                                    << "A<CR>B<CR><LF>C<LF>";
    QTest::newRow("typed markers stay") << "A<CR>B"
                                        << "A<CR>B";
}

void tst_CommandLine::markLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(QString, marked);
    QCOMPARE(CommandLine::MarkLineBreaks(text), marked);
}

void tst_CommandLine::expandLineMarkers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("CR inside") << "A<CR>B"
                               << "A\rB";
    QTest::newRow("CR LF") << "ABC<CR><LF>"
                           << "ABC\r\n";
    QTest::newRow("lower case stays") << "A<cr>B<lf>"
                                      << "A<cr>B<lf>";
    QTest::newRow("incomplete marker") << "<CR<LF"
                                       << "<CR<LF";
    QTest::newRow("marker inside brackets") << "<<CR>>"
                                            << "<\r>";
}

void tst_CommandLine::expandLineMarkers()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    QCOMPARE(CommandLine::ExpandLineMarkers(text), expanded);
}

void tst_CommandLine::waitCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("isWait");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<qint64>("ticks"); // -1: not a number, no pause
    QTest::newRow("as built") << "<WAIT_TIME=2>" << true << "2" << qint64(20);
    QTest::newRow("fraction, half to even") << "<WAIT_TIME=1.25>" << true << "1.25" << qint64(12);
    QTest::newRow("negative") << "<WAIT_TIME=-3>" << true << "-3" << qint64(-30);
    QTest::newRow("no equals sign") << "<WAIT_TIME>" << true << "" << qint64(-1);
    QTest::newRow("letters") << "<WAIT_TIME=abc>" << true << "" << qint64(-1);
    QTest::newRow("two points") << "<WAIT_TIME=1.2.3>" << true << "1.2.3" << qint64(-1);
    QTest::newRow("only the first ten characters count") << "<WAIT_TIMEOUT=5>" << true << "5" << qint64(50);
    QTest::newRow("lower case") << "<wait_time=2>" << false << "" << qint64(0);
    QTest::newRow("too short") << "<WAIT_TIM=2>" << false << "" << qint64(0);
    QTest::newRow("not at the start") << " <WAIT_TIME=2>" << false << "" << qint64(0);
}

void tst_CommandLine::waitCommand()
{
    QFETCH(QString, command);
    QFETCH(bool, isWait);
    QFETCH(QString, seconds);
    QFETCH(qint64, ticks);
    QCOMPARE(CommandLine::IsWaitCommand(command), isWait);
    if (!isWait)
        return;
    QCOMPARE(CommandLine::WaitSecondsText(command), seconds);
    const auto counted = CommandLine::WaitTicks(seconds);
    QCOMPARE(counted.has_value(), ticks != -1);
    if (counted)
        QCOMPARE(*counted, ticks);
}

void tst_CommandLine::waitRowText_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("German") << 0 << "2"
                            << "2 Sekunde(n)";
    QTest::newRow("English") << 10000 << "2"
                             << "2 second(s)";
    QTest::newRow("no number") << 0 << ""
                               << " Sekunde(n)";
}

void tst_CommandLine::waitRowText()
{
    QFETCH(int, offset);
    QFETCH(QString, seconds);
    QFETCH(QString, text);
    modGlobal::LanguageOffset = offset;
    QCOMPARE(CommandLine::WaitRowText(seconds), text);
}

void tst_CommandLine::stateTable_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("label");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<bool>("usable");
    QTest::newRow("7 Connected") << 7 << "Zustand: Verbunden." << 0x00FF00u << true;
    QTest::newRow("8 Closing") << 8 << "Zustand: Partner schließt die Verbindung." << 0xFF00FFu << false;
    QTest::newRow("10 unknown") << 10 << "Zustand: " << 0u << false;
}

void tst_CommandLine::stateTable()
{
    QFETCH(int, state);
    QFETCH(QString, label);
    QFETCH(quint32, colour);
    QFETCH(bool, usable);
    QCOMPARE(StateLabelText(state), label);
    const auto info = StateInfo(state);
    QCOMPARE(info.has_value(), state <= 9);
    if (!info)
        return;
    QCOMPARE(info->colour, colour);
    QCOMPARE(info->usable, usable);
    QCOMPARE(IsUsable(ConnectionState(state)), usable);
}

void tst_CommandLine::logTimestamp_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zeros") << QTime(14, 3, 7, 45) << "14:03:07:045";
    QTest::newRow("last moment") << QTime(23, 59, 59, 999) << "23:59:59:999";
}

void tst_CommandLine::logTimestamp()
{
    QFETCH(QTime, time);
    QFETCH(QString, text);
    QCOMPARE(LogTimestamp(time), text);
}

void tst_CommandLine::clockIsUtc()
{
    // A zone nine hours ahead of UTC: the log must still show UTC.
    qputenv("TZ", "JST-9");
    tzset();
    const QTime utc = QDateTime::currentDateTimeUtc().time();
    const QTime logged = CurrentUtcTime();
    const QTime local = QDateTime::currentDateTime().time();
    qunsetenv("TZ");
    tzset();
    QVERIFY2(qAbs(utc.secsTo(logged)) < 60, qPrintable(logged.toString()));
    QVERIFY2(qAbs(local.secsTo(logged)) > 3600, qPrintable(logged.toString()));

    SetUtcClock([] { return QTime(14, 3, 7, 45); });
    QCOMPARE(CurrentUtcTime(), QTime(14, 3, 7, 45));
    SetUtcClock({});
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
