// The traffic journal on disk: names, lines, rotation, failure, retention and a kill.
#include "Journal.h"
#include "LogFormat.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QDateTime firstRow(QDate(2026, 12, 7), QTime(1, 2, 3, 456), Qt::UTC);

LogRow row(int n)
{
    return {firstRow.addMSecs(n), LogMode::Get, QStringLiteral("GM:%1<CR><LF>").arg(n)};
}

QStringList journals(const QString& folder)
{
    QStringList names = QDir(folder).entryList({QStringLiteral("relaytab-*.log")}, QDir::Files);
    std::sort(names.begin(), names.end(), Journal::Older);
    return names;
}

QByteArray content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT
private slots:
    // rows written, the size a file may reach, files already there, and the files that result.
    void files_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("rotateBytes");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("expected");
        const QString name = QStringLiteral("relaytab-20261207-010203");
        QTest::newRow("one file") << 3 << Journal::DefaultRotateBytes << QStringList()
                                  << QStringList{name + ".log"};
        QTest::newRow("name taken by another start")
            << 1 << Journal::DefaultRotateBytes << QStringList{name + ".log", name + "-2.log"}
            << QStringList{name + ".log", name + "-2.log", name + "-3.log"};
        // About 52 bytes a row: a file passing 100 bytes is closed after its second row.
        QTest::newRow("rotation") << 5 << qint64(100) << QStringList()
                                  << QStringList{name + ".log", name + "-2.log", name + "-3.log"};
    }
    void files()
    {
        QFETCH(int, rows);
        QFETCH(qint64, rotateBytes);
        QFETCH(QStringList, present);
        QTemporaryDir dir;
        for (const QString& name : present) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("theirs\n");
        }
        {
            Journal journal(dir.path(), rotateBytes);
            journal.Comment(QStringLiteral("target 127.0.0.1:5025"));
            for (int n = 0; n < rows; ++n)
                journal.Append(row(n));
        }
        QTEST(journals(dir.path()), "expected");
        QByteArray all;
        for (const QString& name : journals(dir.path())) {
            const QByteArray bytes = content(dir.filePath(name));
            if (present.contains(name)) {
                QCOMPARE(bytes, QByteArray("theirs\n"));
                continue;
            }
            QVERIFY(bytes.startsWith(LogFormat::JournalHeader()));
            all += bytes;
        }
        QByteArray expected;
        for (int n = 0; n < rows; ++n)
            expected += LogFormat::JournalLine(row(n));
        all.replace(LogFormat::JournalHeader(), "");
        all.replace("# target 127.0.0.1:5025\n", "");
        QCOMPARE(all, expected);
    }

    void unwritableFolder()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("Logs")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        Journal journal(blocker.fileName());
        QSignalSpy failed(&journal, &Journal::failed);
        QVERIFY(failed.isValid());
        journal.Append(row(0));
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(journal.Failed());
        journal.Append(row(1)); // dropped, no second signal
        journal.Close();
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 1);
    }

    void prune()
    {
        QTemporaryDir dir;
        for (const char* name :
             {"relaytab-20260101-000000.log", "relaytab-20260102-000000-2.log",
              "relaytab-20260102-000000-10.log", "relaytab-20260103-000000.log", "other.log"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(1000, 'x'));
        }
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
        const QByteArray bytes = content(dir.filePath(files.first()));
        QVERIFY(bytes.contains(LogFormat::JournalLine(row(logged - 100))));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        Journal journal(QString::fromLocal8Bit(argv[2]));
        for (int n = 0;; ++n) {
            journal.Append(row(n));
            printf("%d\n", n);
            fflush(stdout);
            QThread::msleep(10);
        }
    }
    tst_Journal test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journal.moc"
