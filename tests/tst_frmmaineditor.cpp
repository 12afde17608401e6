#include "ManualDialogAnswer.h"
#include "NumEdit.h"
#include "ScriptModel.h"
#include "TestSupport.h"
#include "frmAssistant.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

// The main window on the script editor tab, with its own data folder and no connection.
class EditorWindow
{
public:
    EditorWindow()
    {
        data.writeSetup({{"Connect", "0"}, {"SelTab", "2"}, {"Language", "0"}});
        window = std::make_unique<frmMain>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("main window not exposed");
        list = control<QTreeView>(window.get(), "lstCommands");
    }

    ScriptModel* script() const { return window->EditedScript(); }
    QPushButton* button(const char* name) const { return control<QPushButton>(window.get(), name); }

    QStringList entries() const
    {
        QStringList shown;
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row)
            shown.append(model->index(row, 0).data().toString() + u'|' +
                         model->index(row, 1).data().toString());
        return shown;
    }

    // Position from 1 of the current entry; 0 without one.
    int current() const { return list->currentIndex().isValid() ? list->currentIndex().row() + 1 : 0; }
    bool highlighted() const
    {
        return current() > 0 && list->selectionModel()->isRowSelected(current() - 1, {});
    }

    // "TEDud": test, edit, delete, up, down; "-" for a disabled one.
    QString buttons() const
    {
        QString text;
        const std::pair<const char*, char> letters[] = {{"cmdCommandTest", 'T'},
                                                        {"cmdEditCommand", 'E'},
                                                        {"cmdDeleteCommand", 'D'},
                                                        {"cmdCommandUp", 'u'},
                                                        {"cmdCommandDown", 'd'}};
        for (const auto& [name, letter] : letters)
            text += button(name)->isEnabled() ? QChar(QLatin1Char(letter)) : QChar(u'-');
        return text;
    }

    QPoint rowCenter(int position) const
    {
        return list->visualRect(list->model()->index(position - 1, 0)).center();
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> window;
    QTreeView* list = nullptr;
};

} // namespace

class tst_FrmMainEditor : public QObject
{
    Q_OBJECT
private slots:
    void scenario_data();
    void scenario();
    void assistantAddsNothingButRefits();
    void longScriptKeptWhole();
    void captionAndNoteLimits_data();
    void captionAndNoteLimits();

private:
    void runStep(EditorWindow& editor, const QString& step);
};

// A step is a verb and its argument; entries are written "command|description".
//   add C|D        cmdCreateManualCommand, type both, OK      fill N    add C1|D1 .. CN|DN
//   cancelAdd C|D  the same, then Cancel                      assistant cmdCreateCommand2
//   above / below  chkAbove on / off                          click N   click on entry N
//   clickEmpty     click into empty list space                key K     Down or Up in the list
//   edit C|D       cmdEditCommand, retype both, OK            dblclick N C|D  the same by double-click
//   editDisabled   the edit handler called while its button is disabled: no dialog may open
//   delete, up, down  click the button (a disabled one ignores the click)
void tst_FrmMainEditor::runStep(EditorWindow& editor, const QString& step)
{
    const QString verb = step.section(u' ', 0, 0);
    const QString argument = step.section(u' ', 1);
    const auto entryOf = [](const QString& text) {
        return std::pair{text.section(u'|', 0, 0), text.section(u'|', 1)};
    };

    if (verb == QLatin1String("add") || verb == QLatin1String("cancelAdd")) {
        const auto [command, description] = entryOf(argument);
        const bool cancel = verb == QLatin1String("cancelAdd");
        ManualDialogAnswer answer([=](frmManualCommandEdit* dialog) {
            retype(control<QLineEdit>(dialog, "txtCommand"), command);
            retype(control<QPlainTextEdit>(dialog, "txtDescription"), description);
            QTest::mouseClick(control<QPushButton>(dialog, cancel ? "cmdCancel" : "cmdOk"), Qt::LeftButton);
        });
        QTest::mouseClick(editor.button("cmdCreateManualCommand"), Qt::LeftButton);
        QVERIFY(answer.seen.shown);
        QVERIFY(!answer.leftOpen);
        QCOMPARE(answer.seen.command, QString());
        QCOMPARE(answer.seen.frameCaption, modTools::GetText(3114));
        QCOMPARE(answer.seen.title, modTools::GetText(3115));
    } else if (verb == QLatin1String("fill")) {
        for (int i = 1; i <= argument.toInt(); ++i)
            runStep(editor, QStringLiteral("add C%1|D%1").arg(i));
    } else if (verb == QLatin1String("assistant") || verb == QLatin1String("assistantWait")) {
        // The real assistant: cancelled, or building a wait of the given seconds from its last entry.
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmAssistant*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answered = true;
            if (verb == QLatin1String("assistant")) {
                QTest::mouseClick(control<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
                return;
            }
            auto* commands = control<QComboBox>(dialog, "cboCommand");
            commands->setCurrentIndex(commands->count() - 1);
            QTest::keyClick(dialog, Qt::Key_Return);
            auto* value = control<NumEdit>(dialog, "cwnValue");
            value->selectAll();
            QTest::keyClicks(value, argument);
            QTest::keyClick(value, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->reject();
        });
        modGlobal::AssistantFromCommandLine = true;
        QTest::mouseClick(editor.button("cmdCreateCommand2"), Qt::LeftButton);
        QVERIFY(answered);
        QVERIFY(!modGlobal::AssistantFromCommandLine);
    } else if (verb == QLatin1String("above") || verb == QLatin1String("below")) {
        control<QCheckBox>(editor.window.get(), "chkAbove")->setChecked(verb == QLatin1String("above"));
    } else if (verb == QLatin1String("click")) {
        QTest::mouseClick(editor.list->viewport(), Qt::LeftButton, {}, editor.rowCenter(argument.toInt()));
    } else if (verb == QLatin1String("clickEmpty")) {
        const QPoint empty(10, editor.list->viewport()->height() - 5);
        QVERIFY(!editor.list->indexAt(empty).isValid());
        QTest::mouseClick(editor.list->viewport(), Qt::LeftButton, {}, empty);
    } else if (verb == QLatin1String("key")) {
        editor.list->setFocus();
        QTest::keyClick(editor.list, argument == QLatin1String("Up") ? Qt::Key_Up : Qt::Key_Down);
    } else if (verb == QLatin1String("edit") || verb == QLatin1String("dblclick")) {
        const bool byMouse = verb == QLatin1String("dblclick");
        const auto [command, description] = entryOf(byMouse ? argument.section(u' ', 1) : argument);
        const int position = byMouse ? argument.section(u' ', 0, 0).toInt() : editor.current();
        const QString before = editor.entries().value(position - 1);
        ManualDialogAnswer answer(typeAndAccept(command, description));
        if (byMouse) {
            // A real double-click: QTest::mouseDClick sends only its second half.
            QTest::mouseClick(editor.list->viewport(), Qt::LeftButton, {}, editor.rowCenter(position));
            QTest::mouseDClick(editor.list->viewport(), Qt::LeftButton, {}, editor.rowCenter(position));
        } else {
            QTest::mouseClick(editor.button("cmdEditCommand"), Qt::LeftButton);
        }
        QVERIFY(answer.seen.shown);
        // The dialog shows the entry as it was, with the same captions as for adding.
        QCOMPARE(answer.seen.command + u'|' + answer.seen.description, before);
        QCOMPARE(answer.seen.frameCaption, modTools::GetText(3114));
        QCOMPARE(answer.seen.title, modTools::GetText(3115));
    } else if (verb == QLatin1String("editDisabled")) {
        QVERIFY(!editor.button("cmdEditCommand")->isEnabled());
        ManualDialogAnswer answer([](frmManualCommandEdit*) {});
        editor.window->cmdEditCommand_Click();
        QCoreApplication::processEvents();
        QVERIFY(!answer.seen.shown);
    } else if (verb == QLatin1String("delete")) {
        QTest::mouseClick(editor.button("cmdDeleteCommand"), Qt::LeftButton);
    } else if (verb == QLatin1String("up")) {
        QTest::mouseClick(editor.button("cmdCommandUp"), Qt::LeftButton);
    } else if (verb == QLatin1String("down")) {
        QTest::mouseClick(editor.button("cmdCommandDown"), Qt::LeftButton);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void tst_FrmMainEditor::scenario_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<QString>("buttons");

    const QStringList three{"C1|D1", "C2|D2", "C3|D3"};
    const QStringList five{"C1|D1", "C2|D2", "C3|D3", "C4|D4", "C5|D5"};

    QTest::newRow("first entry into an empty list")
        << QStringList{"add GM|Gerätemodus"} << QStringList{"GM|Gerätemodus"} << 1 << true << "TED--";
    QTest::newRow("empty description")
        << QStringList{"add SM 0|"} << QStringList{"SM 0|"} << 1 << true << "TED--";
    QTest::newRow("empty assistant result on an empty list")
        << QStringList{"assistant"} << QStringList{} << 0 << false << "-----";
    QTest::newRow("cancelled add") << QStringList{"add A|a", "cancelAdd X|x"} << QStringList{"A|a"} << 1
                                   << true << "TED--";
    QTest::newRow("insert above the first")
        << QStringList{"add A|a", "above", "add B|b"} << QStringList{"B|b", "A|a"} << 1 << true << "TED-d";
    QTest::newRow("insert below the first")
        << QStringList{"add A|a", "below", "add B|b"} << QStringList{"A|a", "B|b"} << 2 << true << "TEDu-";
    QTest::newRow("insert below a middle entry")
        << QStringList{"fill 3", "click 2", "add N|n"} << QStringList{"C1|D1", "C2|D2", "N|n", "C3|D3"} << 3
        << true << "TEDud";
    QTest::newRow("append after the last")
        << QStringList{"fill 2", "add N|"} << QStringList{"C1|D1", "C2|D2", "N|"} << 3 << true << "TEDu-";
    QTest::newRow("insert above the last") << QStringList{"fill 2", "above", "add N|n"}
                                           << QStringList{"C1|D1", "N|n", "C2|D2"} << 2 << true << "TEDud";
    QTest::newRow("empty assistant result on a list")
        << QStringList{"fill 3", "click 1", "assistant"} << three << 1 << true << "TED-d";
    QTest::newRow("assistant wait into an empty list")
        << QStringList{"assistantWait 30"}
        << QStringList{QStringLiteral("<WAIT_TIME=30>|* Verweilzeit einfügen (kein Gerätebefehl)")} << 1 << true
        << "TED--";
    QTest::newRow("assistant wait above the second")
        << QStringList{"fill 3", "click 2", "above", "assistantWait 5"}
        << QStringList{"C1|D1", QStringLiteral("<WAIT_TIME=5>|* Verweilzeit einfügen (kein Gerätebefehl)"),
                       "C2|D2", "C3|D3"}
        << 2 << true << "TEDud";
    QTest::newRow("delete the last of five")
        << QStringList{"fill 5", "delete"} << five.mid(0, 4) << 4 << true << "TEDu-";
    QTest::newRow("delete the second of five")
        << QStringList{"fill 5", "click 2", "delete"} << QStringList{"C1|D1", "C3|D3", "C4|D4", "C5|D5"} << 2
        << true << "TEDud";
    QTest::newRow("delete the first of five")
        << QStringList{"fill 5", "click 1", "delete"} << five.mid(1) << 1 << true << "TED-d";
    QTest::newRow("delete the only entry")
        << QStringList{"fill 1", "delete"} << QStringList{} << 0 << false << "-----";
    QTest::newRow("up at the top stays")
        << QStringList{"fill 3", "click 1", "up"} << three << 1 << true << "TED-d";
    QTest::newRow("second moves up") << QStringList{"fill 3", "click 2", "up"}
                                     << QStringList{"C2|D2", "C1|D1", "C3|D3"} << 1 << true << "TED-d";
    QTest::newRow("down at the bottom stays")
        << QStringList{"fill 3", "down"} << three << 3 << true << "TEDu-";
    QTest::newRow("first moves down") << QStringList{"fill 3", "click 1", "down"}
                                      << QStringList{"C2|D2", "C1|D1", "C3|D3"} << 2 << true << "TEDud";
    QTest::newRow("last moves up twice") << QStringList{"fill 3", "up", "up"}
                                         << QStringList{"C3|D3", "C1|D1", "C2|D2"} << 1 << true << "TED-d";
    QTest::newRow("click into empty space")
        << QStringList{"fill 3", "click 2", "clickEmpty"} << three << 2 << false << "T----";
    QTest::newRow("disabled buttons do nothing")
        << QStringList{"fill 3", "click 2", "clickEmpty", "delete", "up", "down", "editDisabled"} << three
        << 2 << false << "T----";
    QTest::newRow("adding after the highlight was removed")
        << QStringList{"fill 3", "click 2", "clickEmpty", "add N|n"}
        << QStringList{"C1|D1", "C2|D2", "N|n", "C3|D3"} << 3 << true << "TEDud";
    QTest::newRow("click brings the highlight back")
        << QStringList{"fill 3", "clickEmpty", "click 1"} << three << 1 << true << "TED-d";
    QTest::newRow("edit with an empty command")
        << QStringList{"fill 2", "edit |changed"} << QStringList{"C1|D1", "C2|D2"} << 2 << true << "TEDu-";
    QTest::newRow("edit the description") << QStringList{"fill 2", "click 1", "edit C1|changed"}
                                          << QStringList{"C1|changed", "C2|D2"} << 1 << true << "TED-d";
    QTest::newRow("edit both") << QStringList{"fill 2", "edit SM 1|Start"}
                               << QStringList{"C1|D1", "SM 1|Start"} << 2 << true << "TEDu-";
    QTest::newRow("edit by double-click") << QStringList{"fill 3", "dblclick 2 X|x"}
                                          << QStringList{"C1|D1", "X|x", "C3|D3"} << 2 << true << "TEDud";
    QTest::newRow("keyboard moves the current entry")
        << QStringList{"fill 3", "click 1", "key Down"} << three << 2 << true << "TEDud";
}

void tst_FrmMainEditor::scenario()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, entries);
    QFETCH(int, current);
    QFETCH(bool, highlighted);
    QFETCH(QString, buttons);

    EditorWindow editor;
    QCOMPARE(editor.buttons(), QStringLiteral("-----"));
    for (const QString& step : steps) {
        runStep(editor, step);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("at step ") + step));
    }

    QCOMPARE(editor.entries(), entries);
    QCOMPARE(editor.current(), current);
    QCOMPARE(editor.highlighted(), highlighted);
    QCOMPARE(editor.buttons(), buttons);
    if (current > 0)
        QVERIFY(
            editor.list->viewport()->rect().intersects(editor.list->visualRect(editor.list->currentIndex())));
}

void tst_FrmMainEditor::assistantAddsNothingButRefits()
{
    EditorWindow editor;
    runStep(editor, QStringLiteral("add A|a"));
    QHeaderView* header = editor.list->header();
    header->resizeSection(0, 3);

    runStep(editor, QStringLiteral("assistant"));

    QCOMPARE(editor.entries(), QStringList{"A|a"});
    QVERIFY(header->sectionSize(0) >= header->sectionSizeHint(0));

    // A command wider than its header widens the column.
    const QString wide = QStringLiteral("SP 3 5 <WAIT_TIME=2000000> and some more text");
    runStep(editor, QStringLiteral("add ") + wide + QStringLiteral("|"));
    QVERIFY(header->sectionSize(0) >= editor.list->fontMetrics().horizontalAdvance(wide));
}

void tst_FrmMainEditor::longScriptKeptWhole()
{
    EditorWindow editor;
    QList<ScriptEntry> many;
    for (int i = 1; i <= 300; ++i)
        many.append({QStringLiteral("C%1").arg(i), QStringLiteral("D%1").arg(i)});
    editor.script()->replaceAll(many);

    // A whole new content starts with its first entry current and highlighted.
    QCOMPARE(editor.current(), 1);
    QVERIFY(editor.highlighted());

    editor.list->setFocus();
    QTest::keyClick(editor.list, Qt::Key_End);
    QCOMPARE(editor.current(), 300);
    // The new entry is scrolled into view wherever the list was scrolled to.
    editor.list->scrollToTop();
    runStep(editor, QStringLiteral("add N|n"));
    QCOMPARE(editor.current(), 301);
    QVERIFY(editor.list->viewport()->rect().intersects(editor.list->visualRect(editor.list->currentIndex())));
    runStep(editor, QStringLiteral("up"));

    QCOMPARE(editor.script()->count(), 301);
    QCOMPARE(editor.current(), 300);
    QCOMPARE(editor.buttons(), QStringLiteral("TEDud"));
    const QStringList shown = editor.entries();
    QCOMPARE(shown.at(254), QStringLiteral("C255|D255"));
    QCOMPARE(shown.at(299), QStringLiteral("N|n"));
    QCOMPARE(shown.at(300), QStringLiteral("C300|D300"));
}

void tst_FrmMainEditor::captionAndNoteLimits_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("placed");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("caption: 41st refused") << "txtLabel"
                                           << "" << QString(41, u'c') << QString(40, u'c');
    QTest::newRow("caption placed longer stays whole")
        << "txtLabel" << QString(60, u'p') << "x" << QString(60, u'p');
    QTest::newRow("note: 129th refused") << "txtNote"
                                         << "" << QString(129, u'n') << QString(128, u'n');
    QTest::newRow("note placed longer stays whole")
        << "txtNote" << QString(200, u'p') << "x" << QString(200, u'p');
    QTest::newRow("note of several lines") << "txtNote"
                                           << ""
                                           << "one\ntwo"
                                           << "one\ntwo";
}

void tst_FrmMainEditor::captionAndNoteLimits()
{
    QFETCH(QString, box);
    QFETCH(QString, placed);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    EditorWindow editor;
    QWidget* target = control<QWidget>(editor.window.get(), qPrintable(box));
    auto* line = qobject_cast<QLineEdit*>(target);
    auto* lines = qobject_cast<QPlainTextEdit*>(target);
    QVERIFY(line || lines);
    if (line)
        line->setText(placed);
    else
        lines->setPlainText(placed);
    target->setFocus();
    if (lines)
        lines->moveCursor(QTextCursor::End);
    else
        line->end(false);

    // Enter between the lines; a one-line box has no use for it.
    const QStringList parts = typed.split(u'\n');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            QTest::keyClick(target, Qt::Key_Return);
        typeText(target, parts.at(i));
    }
    QCOMPARE(line ? line->text() : lines->toPlainText(), expected);
}

QTEST_MAIN(tst_FrmMainEditor)
#include "tst_frmmaineditor.moc"
