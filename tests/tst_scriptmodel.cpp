#include "ScriptEditing.h"
#include "ScriptModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using ScriptEditing::EditButtons;

namespace {

QList<ScriptEntry> numbered(int count)
{
    QList<ScriptEntry> entries;
    for (int i = 1; i <= count; ++i)
        entries.append({QStringLiteral("C%1").arg(i), QStringLiteral("D%1").arg(i)});
    return entries;
}

QStringList commands(const ScriptModel& model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list.append(model.index(row, ScriptModel::CommandColumn).data().toString());
    return list;
}

// "TEDud": the letter of a button when it is enabled, "-" when not (test, edit, delete, up, down).
QString letters(const EditButtons& buttons)
{
    QString text;
    text += buttons.test ? u'T' : u'-';
    text += buttons.edit ? u'E' : u'-';
    text += buttons.remove ? u'D' : u'-';
    text += buttons.up ? u'u' : u'-';
    text += buttons.down ? u'd' : u'-';
    return text;
}

} // namespace

class tst_ScriptModel : public QObject
{
    Q_OBJECT
private slots:
    void editing_data();
    void editing();
    void moreThan254EntriesStayWhole();
    void columnsAndHeaders();
    void rules_data();
    void rules();
    void editButtons_data();
    void editButtons();
    void limitTyping_data();
    void limitTyping();
};

// Each row starts from C1..C<start> and applies one change; the tester checks the model's
// signals and invariants throughout.
void tst_ScriptModel::editing_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("other");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("insert into empty") << 0 << "insert" << 0 << 0 << QStringList{"N"};
    QTest::newRow("insert first") << 3 << "insert" << 0 << 0 << QStringList{"N", "C1", "C2", "C3"};
    QTest::newRow("insert middle") << 3 << "insert" << 2 << 0 << QStringList{"C1", "C2", "N", "C3"};
    QTest::newRow("append") << 3 << "insert" << 3 << 0 << QStringList{"C1", "C2", "C3", "N"};
    QTest::newRow("remove first") << 3 << "remove" << 0 << 0 << QStringList{"C2", "C3"};
    QTest::newRow("remove last") << 3 << "remove" << 2 << 0 << QStringList{"C1", "C2"};
    QTest::newRow("remove only") << 1 << "remove" << 0 << 0 << QStringList{};
    QTest::newRow("exchange neighbours") << 3 << "exchange" << 1 << 2 << QStringList{"C1", "C3", "C2"};
    QTest::newRow("exchange ends") << 3 << "exchange" << 2 << 0 << QStringList{"C3", "C2", "C1"};
    QTest::newRow("exchange with itself") << 3 << "exchange" << 1 << 1 << QStringList{"C1", "C2", "C3"};
    QTest::newRow("replace entry") << 3 << "set" << 1 << 0 << QStringList{"C1", "N", "C3"};
    QTest::newRow("replace all") << 3 << "replaceAll" << 0 << 0 << QStringList{"N"};
    QTest::newRow("clear") << 3 << "clear" << 0 << 0 << QStringList{};
}

void tst_ScriptModel::editing()
{
    QFETCH(int, start);
    QFETCH(QString, change);
    QFETCH(int, row);
    QFETCH(int, other);
    QFETCH(QStringList, expected);

    ScriptModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.replaceAll(numbered(start));
    const ScriptEntry added{QStringLiteral("N"), QStringLiteral("new")};

    if (change == QLatin1String("insert"))
        model.insertEntry(row, added);
    else if (change == QLatin1String("remove"))
        model.removeEntry(row);
    else if (change == QLatin1String("exchange"))
        model.exchangeEntries(row, other);
    else if (change == QLatin1String("set"))
        model.setEntry(row, added);
    else if (change == QLatin1String("replaceAll"))
        model.replaceAll({added});
    else if (change == QLatin1String("clear"))
        model.clear();

    QCOMPARE(commands(model), expected);
    // Descriptions travel with their commands.
    for (int i = 0; i < model.count(); ++i) {
        const QString command = model.command(i);
        const QString description = model.index(i, ScriptModel::DescriptionColumn).data().toString();
        QCOMPARE(description, command == QLatin1String("N") ? QStringLiteral("new")
                                                            : QString(command).replace(u'C', u'D'));
    }
}

void tst_ScriptModel::moreThan254EntriesStayWhole()
{
    ScriptModel model;
    model.replaceAll(numbered(300));
    model.insertEntry(280, {QStringLiteral("late"), QString()});
    model.appendEntry({QStringLiteral("last"), QStringLiteral("end")});
    model.exchangeEntries(0, 301);

    QCOMPARE(model.rowCount(), 302);
    QCOMPARE(model.command(0), QStringLiteral("last"));
    QCOMPARE(model.command(280), QStringLiteral("late"));
    QCOMPARE(model.command(300), QStringLiteral("C300"));
    QCOMPARE(model.entry(301), (ScriptEntry{QStringLiteral("C1"), QStringLiteral("D1")}));
}

void tst_ScriptModel::columnsAndHeaders()
{
    ScriptModel model;
    model.appendEntry({QStringLiteral("SM 1"), QString()});
    QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
    QVERIFY(headers.isValid());

    QCOMPARE(model.columnCount(), 2);
    QVERIFY(model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Befehl")));
    QVERIFY(model.setHeaderData(1, Qt::Horizontal, QStringLiteral("Beschreibung")));
    QVERIFY(!model.setHeaderData(2, Qt::Horizontal, QStringLiteral("none")));
    QVERIFY(!model.setHeaderData(0, Qt::Vertical, QStringLiteral("none")));
    QCOMPARE(headers.count(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Befehl"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Beschreibung"));

    // An empty description is an empty second column; entries are shown, never edited in place.
    QCOMPARE(model.index(0, 1).data().toString(), QString());
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
}

// One rule a row: "insert" (count, current, above), "afterRemove" (remaining, removed),
// "move" (count, current, step) and "assistant" (a command of length count) give expected.
void tst_ScriptModel::rules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("expected");

    QTest::newRow("insert into an empty list") << "insert" << 0 << -1 << 0 << 0;
    QTest::newRow("insert above into an empty list") << "insert" << 0 << -1 << 1 << 0;
    QTest::newRow("insert below the first") << "insert" << 3 << 0 << 0 << 1;
    QTest::newRow("insert above the first") << "insert" << 3 << 0 << 1 << 0;
    QTest::newRow("insert below the last: appended") << "insert" << 3 << 2 << 0 << 3;
    QTest::newRow("insert above the last") << "insert" << 3 << 2 << 1 << 2;
    QTest::newRow("insert without current: appended") << "insert" << 3 << -1 << 1 << 3;
    QTest::newRow("removed the last of five") << "afterRemove" << 4 << 4 << 0 << 3;
    QTest::newRow("removed the second of five") << "afterRemove" << 4 << 1 << 0 << 1;
    QTest::newRow("removed the only one") << "afterRemove" << 0 << 0 << 0 << -1;
    QTest::newRow("second up") << "move" << 3 << 1 << -1 << 0;
    QTest::newRow("first up: stays") << "move" << 3 << 0 << -1 << -1;
    QTest::newRow("last down: stays") << "move" << 3 << 2 << 1 << -1;
    QTest::newRow("first down") << "move" << 3 << 0 << 1 << 1;
    QTest::newRow("move without current") << "move" << 3 << -1 << 1 << -1;
    QTest::newRow("assistant cancelled") << "assistant" << 0 << 0 << 0 << 0;
    QTest::newRow("assistant: one character") << "assistant" << 1 << 0 << 0 << 0;
    QTest::newRow("assistant: two characters") << "assistant" << 2 << 0 << 0 << 1;
}

void tst_ScriptModel::rules()
{
    QFETCH(QString, rule);
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(int, argument);
    QFETCH(int, expected);

    int result = 0;
    if (rule == QLatin1String("insert"))
        result = ScriptEditing::InsertRow(count, current, argument != 0);
    else if (rule == QLatin1String("afterRemove"))
        result = ScriptEditing::CurrentAfterRemove(count, current);
    else if (rule == QLatin1String("move"))
        result = ScriptEditing::MoveTarget(count, current, argument);
    else if (rule == QLatin1String("assistant"))
        result = ScriptEditing::IsUsableAssistantCommand(QString(count, u'G')) ? 1 : 0;
    QCOMPARE(result, expected);
}

void tst_ScriptModel::editButtons_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << 0 << -1 << false << "-----";
    QTest::newRow("one entry") << 1 << 0 << true << "TED--";
    QTest::newRow("one entry, not highlighted") << 1 << 0 << false << "T----";
    QTest::newRow("first of three") << 3 << 0 << true << "TED-d";
    QTest::newRow("middle of three") << 3 << 1 << true << "TEDud";
    QTest::newRow("last of three") << 3 << 2 << true << "TEDu-";
    QTest::newRow("middle, not highlighted") << 3 << 1 << false << "T----";
}

void tst_ScriptModel::editButtons()
{
    QFETCH(int, count);
    QFETCH(int, current);
    QFETCH(bool, highlighted);
    QFETCH(QString, expected);
    QCOMPARE(letters(ScriptEditing::EditButtonsFor(count, current, highlighted)), expected);
}

void tst_ScriptModel::limitTyping_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCursor");

    QTest::newRow("typing below the limit") << "abc"
                                            << "abcd" << 4 << 5 << "abcd" << 4;
    QTest::newRow("typing up to the limit") << "abcd"
                                            << "abcde" << 5 << 5 << "abcde" << 5;
    QTest::newRow("typing past the limit") << "abcde"
                                           << "abcdef" << 6 << 5 << "abcde" << 5;
    QTest::newRow("typing in the middle past the limit") << "abcde"
                                                         << "abXcde" << 3 << 5 << "abcde" << 2;
    QTest::newRow("equal letters typed in the middle") << "aaaaa"
                                                       << "aaaaaa" << 2 << 5 << "aaaaa" << 1;
    QTest::newRow("paste cut to fit") << "ab"
                                      << "a12345b" << 6 << 5 << "a123b" << 4;
    QTest::newRow("paste over a selection") << "abcde"
                                            << "a123e" << 4 << 5 << "a123e" << 4;
    QTest::newRow("paste over a selection cut") << "abcde"
                                                << "a12345e" << 6 << 5 << "a123e" << 4;
    QTest::newRow("long program text: deleting") << "abcdefgh"
                                                 << "abcdefg" << 7 << 5 << "abcdefg" << 7;
    QTest::newRow("long program text: typing refused") << "abcdefgh"
                                                       << "abcdefghi" << 9 << 5 << "abcdefgh" << 8;
    QTest::newRow("long program text: typing over a selection") << "abcdefgh"
                                                                << "aXdefgh" << 2 << 5 << "adefgh" << 1;
    QTest::newRow("cursor away from the insertion") << "abcde"
                                                    << "abcdefgh" << 0 << 5 << "abcde" << 5;
}

void tst_ScriptModel::limitTyping()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, cursor);
    QFETCH(int, maximum);
    QFETCH(QString, expected);
    QFETCH(int, expectedCursor);

    const ScriptEditing::TypedText kept = ScriptEditing::LimitTyping(before, after, cursor, maximum);
    QCOMPARE(kept.text, expected);
    QCOMPARE(kept.cursor, expectedCursor);
}

QTEST_GUILESS_MAIN(tst_ScriptModel)
#include "tst_scriptmodel.moc"
