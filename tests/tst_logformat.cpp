// A log row written as a journal line, a CSV record and a JSON line.
#include "LogFormat.h"

#include <QtTest>

class tst_LogFormat : public QObject
{
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("transmitted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("json");
        const auto row = [](const char* name, LogMode mode, bool transmitted, const QString& text,
                            const QByteArray& journal, const QByteArray& csv, const QByteArray& json) {
            QTest::newRow(name) << int(mode) << transmitted << text << journal << csv << json;
        };
        row("plain reply", LogMode::Get, true, "GM:1<CR><LF>", "Get\tGM:1<CR><LF>", "Get,GM:1<CR><LF>",
            "\"mode\":\"Get\",\"text\":\"GM:1<CR><LF>\"");
        row("untransmitted line", LogMode::Set, false, "SM 1", "Unsent\tSM 1", "Unsent,SM 1",
            "\"mode\":\"Unsent\",\"text\":\"SM 1\"");
        row("controls as hex", LogMode::Get, true, QString("a\tb") + QChar(0) + QChar(0x7F) + "\x1b\n",
            "Get\ta<09>b<00><7F><1B><0A>", "Get,a<09>b<00><7F><1B><0A>",
            "\"mode\":\"Get\",\"text\":\"a<09>b<00><7F><1B><0A>\"");
        row("comma, quote, umlaut", LogMode::Wait, true, "a,\"ä\\", "Wait\ta,\"\xc3\xa4\\",
            "Wait,\"a,\"\"\xc3\xa4\\\"", "\"mode\":\"Wait\",\"text\":\"a,\\\"ä\\\\\"");
    }
    void formats()
    {
        QFETCH(int, mode);
        QFETCH(bool, transmitted);
        QFETCH(QString, text);
        const LogRow row{QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3, 45), Qt::UTC), LogMode(mode), text,
                         transmitted};
        QFETCH(QByteArray, journal);
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, json);
        QCOMPARE(LogFormat::JournalLine(row), "2026-12-07T01:02:03.045Z\t" + journal + '\n');
        QCOMPARE(LogFormat::CsvRecord(row), "2026-12-07,01:02:03.045," + csv + "\r\n");
        QCOMPARE(LogFormat::JsonLine(row), "{\"time\":\"2026-12-07T01:02:03.045Z\"," + json + "}\n");
    }
};

QTEST_GUILESS_MAIN(tst_LogFormat)
#include "tst_logformat.moc"
