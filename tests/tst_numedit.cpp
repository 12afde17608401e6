#include "NumEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Opens the protected step check for the tests.
class ProbeEdit : public NumEdit
{
public:
    using NumEdit::stepEnabled;
};

} // namespace

class tst_NumEdit : public QObject
{
    Q_OBJECT

private slots:
    void bounds_data()
    {
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("keptMinimum");
        QTest::addColumn<qint64>("keptMaximum");
        QTest::addColumn<qint64>("keptValue");
        QTest::newRow("address") << 0LL << 255LL << 17LL << 0LL << 255LL << 17LL;
        QTest::newRow("widest") << -2147483648LL << 4294967295LL << 4294967295LL << -2147483648LL
                                << 4294967295LL << 4294967295LL;
        QTest::newRow("beyond widest") << -9000000000LL << 9000000000LL << -9000000000LL << -2147483648LL
                                       << 4294967295LL << -2147483648LL;
        QTest::newRow("value above") << 1LL << 8LL << 12LL << 1LL << 8LL << 8LL;
        QTest::newRow("value below") << 1LL << 8LL << 0LL << 1LL << 8LL << 1LL;
        QTest::newRow("max below min") << 10LL << 5LL << 7LL << 10LL << 10LL << 10LL;
    }
    void bounds()
    {
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        QFETCH(qint64, value);
        QFETCH(qint64, keptMinimum);
        QFETCH(qint64, keptMaximum);
        QFETCH(qint64, keptValue);
        NumEdit edit;
        edit.setRange(minimum, maximum);
        edit.setValue(value);
        QCOMPARE(edit.minimum(), keptMinimum);
        QCOMPARE(edit.maximum(), keptMaximum);
        QCOMPARE(edit.value(), keptValue);
        QCOMPARE(edit.text(), QString::number(keptValue));
    }

    void rangeBringsValueIn()
    {
        NumEdit edit;
        edit.setRange(0, 4294967295LL);
        edit.setValue(4000000000LL);
        edit.setRange(0, 98);
        QCOMPARE(edit.value(), 98);
        QCOMPARE(edit.text(), QStringLiteral("98"));
    }

    void stepping_data()
    {
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("up") << 0LL << 255LL << 17LL << int(Qt::Key_Up) << 18LL;
        QTest::newRow("down") << 0LL << 255LL << 17LL << int(Qt::Key_Down) << 16LL;
        QTest::newRow("up to the top")
            << 0LL << 4294967295LL << 4294967294LL << int(Qt::Key_Up) << 4294967295LL;
        QTest::newRow("up at the top")
            << 0LL << 4294967295LL << 4294967295LL << int(Qt::Key_Up) << 4294967295LL;
        QTest::newRow("down at the bottom")
            << -2147483648LL << 0LL << -2147483648LL << int(Qt::Key_Down) << -2147483648LL;
        QTest::newRow("down to minus one") << -1LL << 5LL << 0LL << int(Qt::Key_Down) << -1LL;
        QTest::newRow("page up") << 0LL << 255LL << 17LL << int(Qt::Key_PageUp) << 27LL;
        QTest::newRow("page up clamps") << 0LL << 255LL << 250LL << int(Qt::Key_PageUp) << 255LL;
        QTest::newRow("page down clamps") << 1LL << 8LL << 5LL << int(Qt::Key_PageDown) << 1LL;
    }
    void stepping()
    {
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        QFETCH(qint64, start);
        QFETCH(int, key);
        QFETCH(qint64, expected);
        NumEdit edit;
        edit.setRange(minimum, maximum);
        edit.setValue(start);
        QTest::keyClick(&edit, Qt::Key(key));
        QCOMPARE(edit.value(), expected);
        QCOMPARE(edit.text(), QString::number(expected));
    }

    void stepEnabledAtBounds()
    {
        ProbeEdit edit;
        edit.setRange(-1, 1);
        edit.setValue(-1);
        QCOMPARE(edit.stepEnabled(), QAbstractSpinBox::StepUpEnabled);
        edit.setValue(0);
        QCOMPARE(edit.stepEnabled(), QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled);
        edit.setValue(1);
        QCOMPARE(edit.stepEnabled(), QAbstractSpinBox::StepDownEnabled);
        edit.setReadOnly(true);
        QCOMPARE(edit.stepEnabled(), QAbstractSpinBox::StepNone);
    }

    // Typing replaces the selected value; characters that would leave the bounds are refused, a
    // number still below the minimum is brought up to it when the input ends.
    void typed_data()
    {
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("in range") << 0LL << 255LL << "17"
                                  << "17" << 17LL;
        QTest::newRow("above refused") << 0LL << 255LL << "300"
                                       << "30" << 30LL;
        QTest::newRow("unsigned top") << 0LL << 4294967295LL << "4294967295"
                                      << "4294967295" << 4294967295LL;
        QTest::newRow("one above the top") << 0LL << 4294967295LL << "4294967296"
                                           << "429496729" << 429496729LL;
        QTest::newRow("eleven digits") << 0LL << 4294967295LL << "42949672951"
                                       << "4294967295" << 4294967295LL;
        QTest::newRow("minus one") << -1LL << 2147483646LL << "-1"
                                   << "-1" << -1LL;
        QTest::newRow("below minus one refused") << -1LL << 2147483646LL << "-12"
                                                 << "-1" << -1LL;
        QTest::newRow("no sign without negatives") << 0LL << 255LL << "-5"
                                                   << "5" << 5LL;
        QTest::newRow("letters refused") << 0LL << 255LL << "1a2."
                                         << "12" << 12LL;
        QTest::newRow("below min corrected") << 10LL << 99LL << "5"
                                             << "10" << 10LL;
        QTest::newRow("lone minus") << -5LL << 5LL << "-"
                                    << "3" << 3LL;
    }
    void typed()
    {
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(qint64, expected);
        NumEdit edit;
        edit.setRange(minimum, maximum);
        edit.setValue(3);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.selectAll();
        QTest::keyClicks(&edit, keys);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.value(), expected);
    }

    void emptiedInputKeepsValue()
    {
        NumEdit edit;
        edit.setRange(0, 255);
        edit.setValue(42);
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QString());
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.value(), 43);
    }

    void valueChangedWhileTyping()
    {
        NumEdit edit;
        edit.setRange(0, 4294967295LL);
        QSignalSpy spy(&edit, &NumEdit::valueChanged);
        QVERIFY(spy.isValid());
        edit.selectAll();
        QTest::keyClicks(&edit, QStringLiteral("3000000000"));
        QCOMPARE(edit.value(), 3000000000LL);
        QCOMPARE(spy.last().first().toLongLong(), 3000000000LL);
    }
};

QTEST_MAIN(tst_NumEdit)
#include "tst_numedit.moc"
