// The traffic journal on disk: names, lines, rotation, failure, retention and a kill.
#include "Journal.h"
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
