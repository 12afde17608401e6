// The script editor of the real main window with the manual command dialog, and the command
// assistant opened from the command line and from the editor, its numeric field cwnValue among them;
// each answered as a user would.
#include "ModalAnswer.h"
#include "NumEdit.h"
#include "ScriptModel.h"
#include "WidgetSupport.h"
#include "frmAssistant.h"
#include "frmMain.h"
#include "frmManualCommandEdit.h"
#include "modGlobal.h"

#include <QtTest>

#include <functional>
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

// A main window with its own data folder holding the settings given.
struct Window
{
    explicit Window(std::initializer_list<std::pair<const char*, QString>> setup)
    {
        data.writeSetup(setup);
        window = std::make_unique<frmMain>();
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> window;
};

// The main window on the editor tab, without a connection.
struct Editor : Window
{
    Editor() : Window({{"Connect", "0"}, {"SelTab", "2"}, {"Language", "0"}}) { window->show(); }

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

    QTreeView* list = control<QTreeView>(window.get(), "lstCommands");
};

// fill N / put C|D: entries C1|D1..CN|DN (then the list scrolled to the top) / C|D added by the
// program; add, edit, dblclick N: the manual dialog from cmdCreateManualCommand, cmdEditCommand or
// a double-click on entry N, answered "command|description|how" (typeInto; how: ok, enter, cancel,
// esc, close); assistant X: cmdCreateCommand2 with the real assistant cancelled ("cancel") or
// handing back X; above: chkAbove on; click N, clickEmpty: in the list; delete, up, down: the
// buttons; editDisabled: the edit handler while its button is disabled; shrink, fits: the first
// column made narrow, checked to fit every command; box NAME =T / @N / ?T / T: T put into box NAME
// by the program, the cursor put at N, the text compared with T, T typed (typeInto).
void runStep(Editor& e, const QString& step)
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

// Runs steps on the modal dialog of type Dialog that opens next.
template <typename Dialog> void whileModal(const std::function<void(Dialog*)>& steps)
{
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        steps(dialog);
    });
}

// Steps, separated by "|":
//   c:GM, r:row          choose the entry whose caption ends in "(GM)", or a row
//   n:17, t:abc          type into cwnValue or txtText, then press Enter; num:17 types only
//   key:Up               press a key (Up, Down, PgUp, Backspace) in cwnValue
//   enter, next          press Enter, click cmdNext
//   type:, paste:, fill:n type, insert, insert n times "x" into txtText
//   esc, cancel, closebox  close the dialog
//   file:path            note the file dialog of cmdSelectPath and pick path (nothing: cancel)
//   answer               note and accept the message box the next step opens
//   look, value, row, range, text  note labSelCommand/cmdNext, cwnValue, the row, labMaxTextLen,
//                        txtText@cursor
void act(QDialog* dialog, const QString& steps, QStringList& noted)
{
    auto* box = control<QComboBox>(dialog, "cboCommand");
    auto* text = control<QLineEdit>(dialog, "txtText");
    auto* number = control<NumEdit>(dialog, "cwnValue");
    const auto focus = [dialog] { return dialog->focusWidget() ? dialog->focusWidget() : dialog; };
    for (const QString& step : steps.split(u'|')) {
        const QString verb = step.section(u':', 0, 0);
        const QString arg = step.section(u':', 1);
        if (verb == "c" || verb == "r") {
            const QModelIndexList found = box->model()->match(box->model()->index(0, 0), Qt::DisplayRole,
                                                              u'(' + arg + u')', -1, Qt::MatchEndsWith);
            QVERIFY2(verb == "r" || found.size() == 1, qPrintable(arg));
            box->setCurrentIndex(verb == "r" ? arg.toInt() : found.value(0).row());
        } else if (verb == "n" || verb == "t" || verb == "num") {
            QWidget* field = verb == "t" ? static_cast<QWidget*>(text) : number;
            QVERIFY(!field->isHidden());
            number->selectAll();
            typeText(field, arg);
            if (verb != "num")
                QTest::keyClick(field, Qt::Key_Return);
        } else if (verb == "key") {
            QTest::keyClick(number, QKeySequence(arg)[0].key());
        } else if (verb == "next") {
            QTest::mouseClick(control<QPushButton>(dialog, "cmdNext"), Qt::LeftButton);
        } else if (verb == "enter") {
            QTest::keyClick(focus(), Qt::Key_Return);
        } else if (verb == "type" || verb == "paste" || verb == "fill") {
            verb == "type" ? typeText(text, arg)
                           : text->insert(verb == "fill" ? QString(arg.toInt(), u'x') : arg);
        } else if (verb == "esc") {
            QTest::keyClick(focus(), Qt::Key_Escape);
        } else if (verb == "cancel" || verb == "closebox") {
            verb == "cancel" ? control<QPushButton>(dialog, "cmdCancel")->click() : void(dialog->close());
        } else if (verb == "file") {
            whileModal<QFileDialog>([&noted, arg](QFileDialog* files) {
                noted << files->windowTitle() + u'|' + files->directory().absolutePath();
                arg.isEmpty() ? files->reject()
                              : (files->selectFile(arg), static_cast<QDialog*>(files)->accept());
            });
            control<QToolButton>(dialog, "cmdSelectPath")->click();
        } else if (verb == "answer") {
            whileModal<QMessageBox>([&noted](QMessageBox* message) {
                noted << message->windowTitle() + u'/' + message->text();
                message->accept();
            });
        } else if (verb == "look") {
            noted << control<QLabel>(dialog, "labSelCommand")->text() + u'/' +
                         control<QPushButton>(dialog, "cmdNext")->text();
        } else {
            const QMap<QString, QString> notes{
                {"value", QString::number(number->value())},
                {"row", QString::number(box->currentIndex())},
                {"range", control<QLabel>(dialog, "labMaxTextLen")->text()},
                {"text", text->text() + u'@' + QString::number(text->cursorPosition())}};
            QVERIFY2(notes.contains(step), qPrintable(step));
            noted << notes.value(step);
        }
    }
}

// A main window of its own, without a connection; the assistant is opened from it.
struct Session : Window
{
    Session(int deviceType, int language)
        : Window({{"Connect", "0"},
                  {"Device", QString::number(deviceType)},
                  {"Language", QString::number(language)}})
    {
        modGlobal::LastPathFolder.clear();
        txtSend()->setText(QStringLiteral("before"));
    }

    QLineEdit* txtSend() const { return control<QLineEdit>(window.get(), "txtSend"); }

    // Opens the assistant as the command line does ("line") or as the script editor does
    // ("script"), runs the steps, closes it if they left it open and notes "=" and the command
    // handed back. From the command line a command built replaces the content of txtSend.
    void open(const QString& opening, QStringList& noted)
    {
        whileModal<QDialog>([&](QDialog* dialog) {
            act(dialog, opening.section(u'|', 1), noted);
            if (dialog->isVisible())
                dialog->reject();
        });
        auto* completed = control<QLabel>(window.get(), "labCommandScriptCompleted");
        completed->setVisible(true);
        const QString before = txtSend()->text();
        QString command;
        if (opening.startsWith(QLatin1String("line"))) {
            control<QPushButton>(window.get(), "cmdCreateCommand1")->click();
            command = modGlobal::AssistantCommand;
            QCOMPARE(txtSend()->text(), command.isEmpty() ? before : command);
        } else {
            modGlobal::AssistantFromCommandLine = false;
            command = window->RunAssistant();
        }
        QVERIFY(completed->isHidden());
        QCOMPARE(modGlobal::AssistantDescription.isEmpty(), command.isEmpty());
        noted << u'=' + (command.size() < 100 ? command
                                              : QString::number(command.size()) + u'…' + command.right(2));
    }
};

} // namespace

class tst_FrmMainEditor : public QObject
{
    Q_OBJECT
private slots:
    void editor_data()
    {
        columns<QString, QString>("steps", "expected");
        const QString x64 = QString(64, u'x');
        const QString long80 = QString(80, u'L') + u'|' + QString(200, u'p');
        row("into an empty list, Enter as OK", "add GM|Gerätemodus|enter", "TED--,[GM|Gerätemodus]");
        row("empty description, Enter in a description", "add SM 0|;add GM|one\ntwo",
            "TEDu-,SM 0|,[GM|one\ntwo]");
        row("64 and 128 characters, the next refused", "add " + x64 + "x|" + QString(129, u'd'),
            "TED--,[" + x64 + '|' + QString(128, u'd') + ']');
        row("cancel, Esc and close box change nothing",
            "add A|a;add X|x|cancel;edit +1|+2|esc;edit +1|+2|close", "TED--,[A|a]");
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
        row("down to the bottom, where it stays", "fill 3;click 1;down;down;down",
            "TEDu-,C2|D2,C3|D3,[C1|D1]");
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
            label + '=' + QString(60, u'p') + ';' + label + "+\b;" + label + '?' + QString(59, u'p'),
            "-----");
        row("note: several lines, the 129th character refused",
            "box txtNote one\ntwo" + QString(125, u'n') + ";box txtNote ?one\ntwo" + QString(121, u'n'),
            "-----");
        // Kept whole past 254 entries; a new entry is scrolled into view.
        row("301 entries", "fill 300;add N|n;up", "TEDud,C1|D1,...,C299|D299,[N|n],C300|D300");
    }

    void editor()
    {
        QFETCH(QString, expected);
        Editor e;
        QAbstractItemModelTester tester(e.list->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(e.state(), QStringLiteral("-----"));
        for (const QString& step : fetch<QString>("steps").split(u';')) {
            runStep(e, step);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("at step ") + step));
        }
        const QString state = e.state();
        const QString gap = QStringLiteral(",...,");
        if (expected.contains(gap))
            QVERIFY2(state.startsWith(expected.section(gap, 0, 0)) &&
                         state.endsWith(expected.section(gap, 1)),
                     qPrintable(state.right(60)));
        else
            QCOMPARE(state, expected);
        if (e.list->currentIndex().isValid())
            QVERIFY(e.list->viewport()->rect().intersects(e.list->visualRect(e.list->currentIndex())));
    }

    // Openings separated by ";"; "Command=n" writes the key into Setup.ini, "Command" notes it.
    // <tmp> is a temporary folder holding backup.txt, <program> the program folder.
    void assistant_data()
    {
        columns<int, int, QString, QString>("deviceType", "language", "openings", "noted");
        const QString sp = "line|c:SP|";
        const QString sn = "line|c:SN|enter|n:5|";
        const QString sna = "line|c:SNA|enter|";
        row("GM at once", 0, 1, "line|c:GM|look|enter", "GM/Accept|=GM");
        row("SP 17 3", 1, 1, sp + "look|enter|look|n:17|look|n:3",
            "SP/Next...|SP/Next...|SP 17/Accept|=SP 17 3");
        row("wait from the script editor", 0, 1, "script|c:no device command|look|enter|look|n:30",
            "<WAIT_TIME>/Next...|<WAIT_TIME>/Accept|=<WAIT_TIME=30>");
        row("AGB, not AGBA", 2, 1, "line|c:AGBA|enter", "=AGB");
        row("text with blanks", 0, 1, "line|c:UN|enter|t: a b ", "=UN  a b ");
        // Cancelled at step 3 in any way: nothing is handed back, the chosen row is remembered.
        const QString step3 = sp + "enter|n:17|look|range|";
        const QString cancelled = "SP 17/Accept|Possible value range: 0 to 7|=|Command=3";
        row("cancel button", 1, 1, step3 + "cancel;Command", cancelled);
        row("cancel by Esc", 1, 1, step3 + "esc;Command", cancelled);
        row("cancel by close box", 1, 1, step3 + "closebox;Command", cancelled);
        // A stored row out of range, negative or not a number selects row 0.
        row("Command 40 of 21, last, rounded, negative, no number", 1, 1,
            "Command=40;script|row;Command;Command=20;script|row;Command=2.5;script|row;"
            "Command=-1;script|row;Command=abc;script|row",
            "0|=|Command=0|20|=|2|=|0|=|0|=");
        // "%r" takes only letters, digits, blank, "-" and "_"; pasted text is filtered as a whole.
        const QString sp1 = "line|c:SP1|enter|n:2|type:ab";
        row("%r umlaut, slash, dot", 1, 1, sp1 + "ä/.|text|paste:x.y|text|enter", "ab@2|ab@2|=SP1 2 ab");
        row("%r allowed", 1, 1, sp1 + "A-b_9 x|text|enter", "abA-b_9 x@9|=SP1 2 abA-b_9 x");
        // "%s" and "%u" take any character up to their maximum length.
        row("XC up to 20000", 0, 1, "line|c:XC|enter|n:1|range|fill:19998|type:ä/.!?|enter",
            "Maximum text length: 20000 characters|=20005…ä/");
        row("SO up to 2000", 2, 1, "line|c:SO  !/?|enter|n:1|range|fill:1998|type:ä/.!?|enter",
            "Maximum text length: 2000 characters|=2005…ä/");
        // An empty text is refused with a warning; the dialog stays at its step.
        row("empty text", 0, 1, "line|c:UN|enter|answer|enter|look|t:me",
            "Parameter error/You don't entered parameter ' User name ' !|UN/Accept|=UN me");
        // cwnValue refuses typed characters that would leave its bounds and corrects a number below
        // them; the arrow keys step within them; what is typed counts without Enter too.
        row("number above the bounds", 1, 1, sp + "enter|n:300|n:79", "=SP 30 7");
        row("number with sign or letters", 1, 1, sp + "enter|n:-5|n:1a2.", "=SP 5 1");
        row("number below the minimum", 3, 1, "line|c:SN|enter|n:0|n:5", "=SN 1 5");
        row("number below minus one", 1, 1, sna + "n:-12", "=SNA -1");
        row("number lone minus keeps the value", 1, 1, sna + "n:-", "=SNA 0");
        row("number one above the top", 2, 1, sn + "n:4294967296", "=SN 5 429496729");
        row("number up to the top", 2, 1, sn + "num:4294967294|key:Up|value|key:Up|value|enter",
            "4294967295|4294967295|=SN 5 4294967295");
        row("number down at the bottom", 1, 1, sna + "num:0|key:Down|key:Down|value", "-1|=");
        row("number page up", 1, 1, sp + "enter|num:250|key:PgUp|value", "255|=");
        row("number without Enter", 2, 1, sn + "num:3000000000|next", "=SN 5 3000000000");
        row("number emptied still steps from 4", 2, 1, sn + "num:42|key:Backspace|key:Backspace|key:Up|value",
            "5|=");
        // The file dialog starts in the program folder, then in the folder of the file taken last.
        row("file button", 1, 1, "line|c:UF|enter|n:1|file:<tmp>/backup.txt|file:|enter",
            "Select backup file...|<program>|Select backup file...|<tmp>|=UF 1 <tmp>/backup.txt");
        // The hidden label still names the address when the next entry's step 1 is left, so the
        // address taken last becomes 0.
        const QString gp = "line|c:GP|enter";
        row("address set to 0 by another entry", 1, 1,
            gp + "|n:12;line|enter|value|c:SU|enter;" + gp + "|value", "=GP 12|12|=|0|=");
        // The address taken last presets the next address parameter, also after reopening, when
        // the parameter's name is an address name of the current language.
        for (int type = 0; type < 4; ++type) {
            const QString openings =
                QStringLiteral("line|r:%1|enter|n:7|esc;line|row|enter|value").arg("3352"[type]);
            for (const int language : {0, 1})
                QTest::addRow("last address %s %d", language ? "en" : "de", type)
                    << type << language << openings
                    << QStringLiteral("=|%1|%2|=").arg("3352"[type]).arg((language ? "7771" : "0777")[type]);
        }
    }
    void assistant()
    {
        QFETCH(QString, openings);
        QFETCH(QString, noted);
        QTemporaryDir tmp;
        QFile(tmp.filePath(QStringLiteral("backup.txt"))).open(QIODevice::WriteOnly);
        for (QString* text : {&openings, &noted})
            text->replace("<tmp>", tmp.path()).replace("<program>", modTools::ProgramFolder());
        Session session(fetch<int>("deviceType"), fetch<int>("language"));
        QStringList seen;
        for (const QString& opening : openings.split(u';')) {
            if (opening.startsWith(QLatin1String("Command=")))
                session.data.writeSetup({{"Command", opening.section(u'=', 1)}});
            else if (opening == QLatin1String("Command"))
                seen << "Command=" + session.data.readSetup("Command");
            else
                session.open(opening, seen);
        }
        QCOMPARE(seen.join(u'|'), noted);
    }
};

QTEST_MAIN(tst_FrmMainEditor)
#include "tst_frmmaineditor.moc"
