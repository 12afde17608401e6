// A log row written as a journal line, a CSV record and a JSON line; the log saved to a file.
#include "LogExport.h"
#include "LogFormat.h"
#include "TestSupport.h"

#include <QtTest>

class tst_LogFormat : public QObject
{
    Q_OBJECT
private slots:
    void formats_data()
    {
        columns<LogMode, bool, QString, QByteArray, QByteArray, QByteArray>("mode", "transmitted", "text",
                                                                            "journal", "csv", "json");
        // The formats as bytes, not as the text a plain string would make.
        const auto row = [](const char* name, LogMode mode, bool transmitted, const QString& text,
                            const QByteArray& journal, const QByteArray& csv, const QByteArray& json) {
            QTest::newRow(name) << mode << transmitted << text << journal << csv << json;
        };
        row("plain reply", LogMode::Get, true, "GM:1<CR><LF>", "Get\tGM:1<CR><LF>", "Get,GM:1<CR><LF>",
            "\"mode\":\"Get\",\"text\":\"GM:1<CR><LF>\"");
        row("untransmitted line", LogMode::Set, false, "SM 1", "Unsent\tSM 1", "Unsent,SM 1",
            "\"mode\":\"Unsent\",\"text\":\"SM 1\"");
        row("controls as hex", LogMode::Get, true,
            QString("a\tb") + QChar(0) + QChar(0x7F) + QChar(0x85) + "\x1b\n",
            "Get\ta<09>b<00><7F><85><1B><0A>", "Get,a<09>b<00><7F><85><1B><0A>",
            "\"mode\":\"Get\",\"text\":\"a<09>b<00><7F><85><1B><0A>\"");
        row("half a surrogate pair", LogMode::Get, true, QString(QChar(0xD800)) + "x", "Get\t\xef\xbf\xbdx",
            "Get,\xef\xbf\xbdx", "\"mode\":\"Get\",\"text\":\"\xef\xbf\xbdx\"");
        row("byte-order mark and noncharacter", LogMode::Get, true, QString(QChar(0xFEFF)) + QChar(0xFFFF),
            "Get\t\xef\xbb\xbf\xef\xbf\xbf", "Get,\xef\xbb\xbf\xef\xbf\xbf",
            "\"mode\":\"Get\",\"text\":\"\\uFEFF\\uFFFF\"");
        row("comma, quote, umlaut", LogMode::Wait, true, "a,\"ä\\", "Wait\ta,\"\xc3\xa4\\",
            "Wait,\"a,\"\"\xc3\xa4\\\"", "\"mode\":\"Wait\",\"text\":\"a,\\\"ä\\\\\"");
    }
    void formats()
    {
        const LogRow row{QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3, 45), Qt::UTC), fetch<LogMode>("mode"),
                         fetch<QString>("text"), fetch<bool>("transmitted")};
        QCOMPARE(LogFormat::JournalLine(row),
                 "2026-12-07T01:02:03.045Z\t" + fetch<QByteArray>("journal") + '\n');
        QCOMPARE(LogFormat::CsvRecord(row), "2026-12-07,01:02:03.045," + fetch<QByteArray>("csv") + "\r\n");
        QCOMPARE(LogFormat::JsonLine(row),
                 "{\"time\":\"2026-12-07T01:02:03.045Z\"," + fetch<QByteArray>("json") + "}\n");
    }

    // name: of the file to write; cancelAt: rows after which the export is cancelled, -1 never.
    void exportFile_data()
    {
        columns<QString, int, QByteArray>("name", "cancelAt", "expected"); // expected null: no file
        const QByteArray row0 = "2026-12-07T01:02:03.000Z\tGet\tGM:0\n";
        const QByteArray row1 = "2026-12-07T01:02:03.001Z\tGet\tGM:1\n";
        row("journal lines", "list.log", -1, row0 + row1);
        row("csv by extension", "list.CSV", -1,
            QByteArray("\xEF\xBB\xBF"
                       "date,time,mode,text\r\n2026-12-07,01:02:03.000,Get,GM:0\r\n"
                       "2026-12-07,01:02:03.001,Get,GM:1\r\n"));
        row("cancelled", "list.log", 0, QByteArray());
        row("unwritable", "missing/list.log", -1, QByteArray());
    }
    void exportFile()
    {
        QFETCH(int, cancelAt);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(fetch<QString>("name"));
        const auto rowAt = [](qsizetype n) {
            return LogRow{QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3, int(n)), Qt::UTC), LogMode::Get,
                          QStringLiteral("GM:%1").arg(n)};
        };
        const QString error =
            LogExport::Write(path, 2, rowAt, [cancelAt](qsizetype done) { return done != cancelAt; });
        QCOMPARE(error.isEmpty(), !expected.isNull() || cancelAt >= 0);
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), !expected.isNull());
        QCOMPARE(file.isOpen() ? file.readAll() : QByteArray(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_LogFormat)
#include "tst_logformat.moc"
