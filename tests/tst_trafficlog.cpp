// The traffic log model: rows written in steps, and texts that survive however many rows follow
// them.
#include "TrafficLog.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

class tst_TrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void rowInSteps_data();
    void rowInSteps();
    void textsSurviveGrowth();
    void clearAndAppendAgain();
    void longTextShownShortened_data();
    void longTextShownShortened();
};

namespace {

QString cell(const TrafficLog& log, int row, int column)
{
    return log.data(log.index(row, column)).toString();
}

} // namespace

void tst_TrafficLog::rowInSteps_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("modeText");
    QTest::newRow("Set") << int(TrafficLog::Mode::Set) << "GM<CR><LF>"
                         << "Set";
    QTest::newRow("Wait") << int(TrafficLog::Mode::Wait) << "2 Sekunde(n)"
                          << "Wait";
    QTest::newRow("NUL and high bytes")
        << int(TrafficLog::Mode::Get) << QString::fromUtf16(u"\u0000A\u20ac\u00ff\u0000") << "Get";
}

void tst_TrafficLog::rowInSteps()
{
    QFETCH(int, mode);
    QFETCH(QString, parameter);
    QFETCH(QString, modeText);

    TrafficLog log;
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&log, &QAbstractItemModel::dataChanged);

    QCOMPARE(log.AppendRow(QTime(14, 3, 7, 45)), 0);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(log.rowCount(), 1);
    QCOMPARE(cell(log, 0, TrafficLog::TimeColumn), QStringLiteral("14:03:07:045"));
    QCOMPARE(cell(log, 0, TrafficLog::ModeColumn), QString());

    log.SetLastRow(TrafficLog::Mode(mode), parameter);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(cell(log, 0, TrafficLog::ModeColumn), modeText);
    QCOMPARE(cell(log, 0, TrafficLog::ParameterColumn), parameter);
    QCOMPARE(log.RowParameter(0), parameter);
    QVERIFY(log.RowTransmitted(0));
}

void tst_TrafficLog::textsSurviveGrowth()
{
    // Enough text to fill many storage blocks, a row larger than a block among them.
    TrafficLog log;
    const QString huge(200'000, u'x');
    for (int row = 0; row < 20'000; ++row) {
        log.AppendRow(QTime::fromMSecsSinceStartOfDay(row));
        log.SetLastRow(TrafficLog::Mode::Get, row == 5'000 ? huge : QStringLiteral("row %1 üß").arg(row));
    }
    QCOMPARE(log.rowCount(), 20'000);
    for (int row : {0, 4'999, 5'001, 12'345, 19'999})
        QCOMPARE(cell(log, row, TrafficLog::ParameterColumn), QStringLiteral("row %1 üß").arg(row));
    QCOMPARE(log.RowParameter(5'000), huge);
    QCOMPARE(cell(log, 19'999, TrafficLog::TimeColumn), QStringLiteral("00:00:19:999"));
}

void tst_TrafficLog::clearAndAppendAgain()
{
    TrafficLog log;
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int row = 0; row < 3; ++row) {
        log.AppendRow(QTime(0, 0));
        log.SetLastRow(TrafficLog::Mode::Set, QStringLiteral("A"));
    }
    log.Clear();
    QCOMPARE(log.rowCount(), 0);
    // Filling or marking an empty log changes nothing.
    log.SetLastRow(TrafficLog::Mode::Set, QStringLiteral("lost"));
    log.MarkLastRowNotTransmitted();
    QCOMPARE(log.rowCount(), 0);

    log.AppendRow(QTime(0, 0));
    log.SetLastRow(TrafficLog::Mode::Get, QStringLiteral("B"));
    QCOMPARE(log.rowCount(), 1);
    QCOMPARE(cell(log, 0, TrafficLog::ParameterColumn), QStringLiteral("B"));
}

void tst_TrafficLog::longTextShownShortened_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const int limit = TrafficLog::ShownParameterLength;
    QTest::newRow("at the limit") << QString(limit, u'a') << QString(limit, u'a');
    QTest::newRow("one over") << QString(limit + 1, u'a') << QString(limit, u'a') + QChar(0x2026);
    QTest::newRow("10 MB") << QString(10 * 1024 * 1024, u'x') << QString(limit, u'x') + QChar(0x2026);
    QTest::newRow("umlauts over") << QString(limit + 5, QChar(0xe4)) << QString(limit, QChar(0xe4)) + QChar(0x2026);
}

void tst_TrafficLog::longTextShownShortened()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TrafficLog log;
    const int row = log.AppendRow(QTime(1, 2, 3, 4));
    log.SetLastRow(TrafficLog::Mode::Get, text);
    QCOMPARE(log.data(log.index(row, TrafficLog::ParameterColumn)).toString(), shown);
    QCOMPARE(log.RowParameter(row), text);
}

QTEST_GUILESS_MAIN(tst_TrafficLog)
#include "tst_trafficlog.moc"
