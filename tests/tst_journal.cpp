// The log on disk: a row as a journal line, a CSV record and a JSON line, the log saved to a file, and
// the journal's names, rotation, failure, retention and a kill.
#include "Journal.h"
#include "LogExport.h"
#include "LogFormat.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QtTest>

#include <csignal>

namespace {

const QDateTime firstRow(QDate(2026, 12, 7), QTime(1, 2, 3, 456), Qt::UTC);

LogRow logRow(int n)
{
    return {firstRow.addMSecs(n), LogMode::Get, QStringLiteral("GM:%1<CR><LF>").arg(n)};
}

QStringList journals(const QString& folder)
{
    QStringList names = QDir(folder).entryList({QStringLiteral("relaytab-*.log")}, QDir::Files);
    std::sort(names.begin(), names.end(), Journal::Older);
    return names;
}

} // namespace

class tst_Journal : public QObject
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

    // rows written, the size a file may reach, files already there, and the files that result.
    void files_data()
    {
        columns<int, qint64, QStringList, QStringList>("rows", "rotateBytes", "present", "expected");
        const QString name = QStringLiteral("relaytab-20261207-010203");
        row("one file", 3, Journal::DefaultRotateBytes, QStringList(), QStringList{name + ".log"});
        row("name taken by another start", 1, Journal::DefaultRotateBytes,
            QStringList{name + ".log", name + "-2.log"},
            QStringList{name + ".log", name + "-2.log", name + "-3.log"});
        // About 52 bytes a row: a file passing 100 bytes is closed after its second row.
        row("rotation", 5, qint64(100), QStringList(),
            QStringList{name + ".log", name + "-2.log", name + "-3.log"});
    }
    void files()
    {
        QFETCH(int, rows);
        QFETCH(QStringList, present);
        QTemporaryDir dir;
        for (const QString& name : present)
            writeBytes(dir.filePath(name), "theirs\n");
        {
            Journal journal(dir.path(), fetch<qint64>("rotateBytes"));
            journal.Comment(QStringLiteral("target 127.0.0.1:5025"));
            for (int n = 0; n < rows; ++n)
                journal.Append(logRow(n));
        }
        QTEST(journals(dir.path()), "expected");
        QByteArray all;
        for (const QString& name : journals(dir.path())) {
            const QByteArray bytes = fileBytes(dir.filePath(name));
            if (present.contains(name)) {
                QCOMPARE(bytes, QByteArray("theirs\n"));
                continue;
            }
            QVERIFY(bytes.startsWith(LogFormat::JournalHeader()));
            all += bytes;
        }
        QByteArray expected;
        for (int n = 0; n < rows; ++n)
            expected += LogFormat::JournalLine(logRow(n));
        all.replace(LogFormat::JournalHeader(), "");
        all.replace("# target 127.0.0.1:5025\n", "");
        QCOMPARE(all, expected);
    }

    void unwritableFolder()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("Logs")), ""); // a file where the folder should be
        Journal journal(dir.filePath(QStringLiteral("Logs")));
        QSignalSpy failed(&journal, &Journal::failed);
        journal.Append(logRow(0));
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(journal.Failed());
        journal.Append(logRow(1)); // dropped, no second signal
        journal.Close();
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 1);
    }

    void prune()
    {
        QTemporaryDir dir;
        for (const char* name :
             {"relaytab-20260101-000000.log", "relaytab-20260102-000000-2.log",
              "relaytab-20260102-000000-10.log", "relaytab-20260103-000000.log", "other.log"})
            writeBytes(dir.filePath(QLatin1String(name)), QByteArray(1000, 'x'));
        Journal::Prune(dir.path(), 2500); // the two oldest go
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::Files),
            QStringList({"other.log", "relaytab-20260102-000000-10.log", "relaytab-20260103-000000.log"}));
    }

    // A child that journals a row every 10 ms is killed; what it logged a second before is on disk.
    void survivesKill()
    {
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), dir.path()});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(5000));
        QTest::qWait(1500);
        QByteArray said = child.readAllStandardOutput();
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(5000));
        said += child.readAllStandardOutput();
        // The child prints each row's number after appending it; a second's worth may be missing.
        const int logged = said.trimmed().split('\n').last().toInt();
        QVERIFY(logged > 100);
        const QStringList files = journals(dir.path());
        QCOMPARE(files.size(), 1);
        const QByteArray bytes = fileBytes(dir.filePath(files.first()));
        QVERIFY(bytes.contains(LogFormat::JournalLine(logRow(logged - 100))));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        Journal journal(QString::fromLocal8Bit(argv[2]));
        for (int n = 0;; ++n) {
            journal.Append(logRow(n));
            printf("%d\n", n);
            fflush(stdout);
            QThread::msleep(10);
        }
    }
    tst_Journal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journal.moc"
