// The script editor of the real main window, offscreen, with the manual command dialog and the
// assistant it opens answered as a user would.
#include "ModalAnswer.h"
#include "ScriptModel.h"
#include "WidgetSupport.h"
#include "frmAssistant.h"
#include "frmMain.h"
#include "frmManualCommandEdit.h"
#include "modGlobal.h"

#include <QtTest>

#include <memory>

namespace {

// Types as a user does (typeText); the box is emptied first unless text starts with "+".
void typeInto(QWidget* box, QString text)
{
    if (text.startsWith(u'+')) {
        text.remove(0, 1);
        if (auto* lines = qobject_cast<QPlainTextEdit*>(box))
            lines->moveCursor(QTextCursor::End);
    } else {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    typeText(box, text);
}

// The main window on the editor tab, with its own data folder and no connection.
struct Editor
{
    Editor()
    {
        data.writeSetup({{"Connect", "0"}, {"SelTab", "2"}, {"Language", "0"}});
        window = std::make_unique<frmMain>();
        window->show();
        list = control<QTreeView>(window.get(), "lstCommands");
    }

    QPushButton* button(const char* name) const { return control<QPushButton>(window.get(), name); }
    QString cell(int row, int column) const { return list->model()->index(row, column).data().toString(); }
    QPoint rowCenter(int position) const
    {
        return list->visualRect(list->model()->index(position - 1, 0)).center();
    }

    // "TEDud" for the enabled buttons test, edit, delete, up, down ("-" for a disabled one), then
    // the entries "command|description", the current one in [] when highlighted, in () when not.
    QString state() const
    {
        QString text;
        const char* names[] = {"cmdCommandTest", "cmdEditCommand", "cmdDeleteCommand", "cmdCommandUp",
                               "cmdCommandDown"};
        for (int i = 0; i < 5; ++i)
            text += button(names[i])->isEnabled() ? QStringLiteral("TEDud").at(i) : u'-';
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QString entry = cell(row, 0) + u'|' + cell(row, 1);
            const bool highlighted = list->selectionModel()->isRowSelected(row, {});
            text += u',' + (row != list->currentIndex().row() ? entry
                            : highlighted                     ? u'[' + entry + u']'
                                                              : u'(' + entry + u')');
        }
        return text;
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

private:
    void runStep(Editor& e, const QString& step);
};

// fill N / put C|D: entries C1|D1..CN|DN (then the list scrolled to the top) / C|D added by the
// program; add, edit, dblclick N: the manual dialog from cmdCreateManualCommand, cmdEditCommand or
// a double-click on entry N, answered "command|description|how" (typeInto; how: ok, enter, cancel,
// esc, close); assistant X: cmdCreateCommand2 with the real assistant cancelled ("cancel") or
// handing back X; above: chkAbove on; click N, clickEmpty: in the list; delete, up, down: the
// buttons; editDisabled: the edit handler while its button is disabled; shrink, fits: the first
// column made narrow, checked to fit every command; box NAME =T / @N / ?T / T: T put into box NAME
// by the program, the cursor put at N, the text compared with T, T typed (typeInto).
void tst_FrmMainEditor::runStep(Editor& e, const QString& step)
{
    const QString verb = step.section(u' ', 0, 0);
    const QString arg = step.section(u' ', 1);
    QWidget* viewport = e.list->viewport();
    if (verb == "fill") {
        for (int i = 1; i <= arg.toInt(); ++i)
            e.window->AddScriptEntry(QStringLiteral("C%1").arg(i), QStringLiteral("D%1").arg(i));
        e.list->scrollToTop();
    } else if (verb == "put") {
        e.window->AddScriptEntry(arg.section(u'|', 0, 0), arg.section(u'|', 1));
    } else if (verb == "add" || verb == "edit" || verb == "dblclick") {
        const QString typed = verb == "dblclick" ? arg.section(u' ', 1) : arg;
        const QString how = typed.section(u'|', 2);
        ModalAnswer<frmManualCommandEdit> answer([&](frmManualCommandEdit* dialog) {
            auto* command = control<QLineEdit>(dialog, "txtCommand");
            auto* description = control<QPlainTextEdit>(dialog, "txtDescription");
            QCOMPARE(dialog->focusWidget(), command);
            typeInto(command, typed.section(u'|', 0, 0));
            typeInto(description, typed.section(u'|', 1, 1));
            if (how == "enter")
                QTest::keyClick(command, Qt::Key_Return);
            else if (how == "esc")
                QTest::keyClick(description, Qt::Key_Escape);
            else if (how == "close")
                dialog->close();
            else
                control<QPushButton>(dialog, how == "cancel" ? "cmdCancel" : "cmdOk")->click();
        });
        if (verb == "dblclick") {
            // A real double-click: QTest::mouseDClick sends only its second half.
            const QPoint at = e.rowCenter(arg.section(u' ', 0, 0).toInt());
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        } else {
            e.button(verb == "add" ? "cmdCreateManualCommand" : "cmdEditCommand")->click();
        }
        QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
    } else if (verb == "assistant") {
        ModalAnswer<frmAssistant> answer([&](frmAssistant* dialog) {
            if (arg == "cancel")
                return control<QPushButton>(dialog, "cmdCancel")->click();
            modGlobal::AssistantCommand = arg;
            modGlobal::AssistantDescription = "caption";
            dialog->done(QDialog::Accepted);
        });
        // From the editor the assistant offers the set commands and the wait.
        modGlobal::AssistantFromCommandLine = true;
        e.button("cmdCreateCommand2")->click();
        QVERIFY(answer.shown && !answer.leftOpen && !modGlobal::AssistantFromCommandLine);
    } else if (verb == "above") {
        control<QCheckBox>(e.window.get(), "chkAbove")->setChecked(true);
    } else if (verb == "click") {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, e.rowCenter(arg.toInt()));
    } else if (verb == "clickEmpty") {
        const QPoint empty(10, viewport->height() - 5);
        QVERIFY(!e.list->indexAt(empty).isValid());
        QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
    } else if (verb == "editDisabled") {
        ModalAnswer<frmManualCommandEdit> answer([](frmManualCommandEdit*) {});
        e.window->cmdEditCommand_Click();
        QVERIFY(!answer.shown);
    } else if (verb == "shrink") {
        e.list->header()->resizeSection(0, 3);
    } else if (verb == "fits") {
        for (int row = 0; row < e.list->model()->rowCount(); ++row)
            QVERIFY(e.list->header()->sectionSize(0) >=
                    e.list->fontMetrics().horizontalAdvance(e.cell(row, 0)));
    } else if (verb == "box") {
        QWidget* box = control<QWidget>(e.window.get(), qPrintable(arg.section(u' ', 0, 0)));
        const char* property = qobject_cast<QLineEdit*>(box) ? "text" : "plainText";
        const QString text = arg.section(u' ', 1);
        if (text.startsWith(u'='))
            box->setProperty(property, text.mid(1));
        else if (text.startsWith(u'@'))
            box->setProperty("cursorPosition", text.mid(1).toInt());
        else if (text.startsWith(u'?'))
            QCOMPARE(box->property(property).toString(), text.mid(1));
        else
            typeInto(box, text);
    } else {
        const char* name = verb == "delete" ? "cmdDeleteCommand"
                           : verb == "up"   ? "cmdCommandUp"
                                            : "cmdCommandDown";
        QTest::mouseClick(e.button(name), Qt::LeftButton);
    }
}

void tst_FrmMainEditor::scenario_data()
{
    columns<QString, QString>("steps", "expected");
    const QString x64 = QString(64, u'x');
    const QString long80 = QString(80, u'L') + u'|' + QString(200, u'p');
    row("into an empty list, Enter as OK", "add GM|Gerätemodus|enter", "TED--,[GM|Gerätemodus]");
    row("empty description, Enter in a description", "add SM 0|;add GM|one\ntwo",
        "TEDu-,SM 0|,[GM|one\ntwo]");
    row("64 and 128 characters, the next refused", "add " + x64 + "x|" + QString(129, u'd'),
        "TED--,[" + x64 + '|' + QString(128, u'd') + ']');
    row("cancel, Esc and close box change nothing", "add A|a;add X|x|cancel;edit +1|+2|esc;edit +1|+2|close",
        "TED--,[A|a]");
    row("longer placed texts come back whole", "put " + long80 + ";edit +X|+y", "TED--,[" + long80 + ']');
    row("insert above the last, then the first", "fill 2;above;add N|n;click 1;add M|m",
        "TED-d,[M|m],C1|D1,N|n,C2|D2");
    // A one-character result is not added.
    row("assistant result above the second", "fill 3;click 2;above;assistant G;assistant <WAIT_TIME=5>",
        "TEDud,C1|D1,[<WAIT_TIME=5>|caption],C2|D2,C3|D3");
    row("assistant refits without adding", "add A|a;shrink;assistant cancel;fits", "TED--,[A|a]");
    row("a wide command widens its column", "add A|a;add SP 3 5 <WAIT_TIME=2000000> and more|;fits",
        "TEDu-,A|a,[SP 3 5 <WAIT_TIME=2000000> and more|]");
    // The last deleted: the one before is current; a middle one: the one after.
    row("delete the last, then a middle one", "fill 4;delete;click 2;delete", "TEDu-,C1|D1,[C3|D3]");
    row("delete the only entry", "fill 1;delete", "-----");
    row("up to the top, where it stays", "fill 3;up;up;up", "TED-d,[C3|D3],C1|D1,C2|D2");
    row("down to the bottom, where it stays", "fill 3;click 1;down;down;down", "TEDu-,C2|D2,C3|D3,[C1|D1]");
    row("click into empty space, disabled buttons do nothing",
        "fill 3;click 2;clickEmpty;delete;up;down;editDisabled", "T----,C1|D1,(C2|D2),C3|D3");
    // Below the current entry, highlighted or not.
    row("insert below a middle entry", "fill 3;click 2;add N|n;click 2;clickEmpty;add M|m",
        "TEDud,C1|D1,C2|D2,[M|m],N|n,C3|D3");
    row("edit with an empty command", "fill 2;edit |changed", "TEDu-,C1|D1,[C2|D2]");
    row("edit the description", "fill 2;click 1;edit +|changed", "TED-d,[C1|changed],C2|D2");
    row("edit by double-click", "fill 3;dblclick 2 X|x", "TEDud,C1|D1,[X|x],C3|D3");
    const QString label = "box txtLabel ";
    row("caption: the 41st refused", label + QString(41, u'c') + ';' + label + '?' + QString(40, u'c'),
        "-----");
    // Refused in the middle, the cursor stays where the letter was typed.
    row("caption: typing into a full one",
        label + '=' + QString(40, u'a') + ';' + label + "@1;" + label + "+a\bb;" + label + "?b" +
            QString(39, u'a'),
        "-----");
    row("caption: deleting from a longer one",
        label + '=' + QString(60, u'p') + ';' + label + "+\b;" + label + '?' + QString(59, u'p'), "-----");
    row("note: several lines, the 129th character refused",
        "box txtNote one\ntwo" + QString(125, u'n') + ";box txtNote ?one\ntwo" + QString(121, u'n'), "-----");
    // Kept whole past 254 entries; a new entry is scrolled into view.
    row("301 entries", "fill 300;add N|n;up", "TEDud,C1|D1,...,C299|D299,[N|n],C300|D300");
}

void tst_FrmMainEditor::scenario()
{
    QFETCH(QString, expected);
    Editor e;
    QAbstractItemModelTester tester(e.list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(e.state(), QStringLiteral("-----"));
    for (const QString& step : fetch<QString>("steps").split(u';')) {
        runStep(e, step);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("at step ") + step));
    }
    const QString state = e.state();
    const QString gap = QStringLiteral(",...,");
    if (expected.contains(gap))
        QVERIFY2(state.startsWith(expected.section(gap, 0, 0)) && state.endsWith(expected.section(gap, 1)),
                 qPrintable(state.right(60)));
    else
        QCOMPARE(state, expected);
    if (e.list->currentIndex().isValid())
        QVERIFY(e.list->viewport()->rect().intersects(e.list->visualRect(e.list->currentIndex())));
}

QTEST_MAIN(tst_FrmMainEditor)
#include "tst_frmmaineditor.moc"
