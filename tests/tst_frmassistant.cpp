// The command assistant opened from a real main window, and its numeric field cwnValue.
#include "NumEdit.h"
#include "WidgetSupport.h"
#include "frmAssistant.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

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

// A main window of its own with its data folder; the assistant is opened from it.
struct Session
{
    explicit Session(int deviceType, int language = 1)
    {
        data.writeSetup({{"Connect", "0"},
                         {"Device", QString::number(deviceType)},
                         {"Language", QString::number(language)}});
        main = std::make_unique<frmMain>();
        modGlobal::LastPathFolder.clear();
        txtSend()->setText(QStringLiteral("before"));
    }

    QLineEdit* txtSend() const { return control<QLineEdit>(main.get(), "txtSend"); }

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
        auto* completed = control<QLabel>(main.get(), "labCommandScriptCompleted");
        completed->setVisible(true);
        const QString before = txtSend()->text();
        QString command;
        if (opening.startsWith(QLatin1String("line"))) {
            control<QPushButton>(main.get(), "cmdCreateCommand1")->click();
            command = modGlobal::AssistantCommand;
            QCOMPARE(txtSend()->text(), command.isEmpty() ? before : command);
        } else {
            modGlobal::AssistantFromCommandLine = false;
            command = main->RunAssistant();
        }
        QVERIFY(completed->isHidden());
        QCOMPARE(modGlobal::AssistantDescription.isEmpty(), command.isEmpty());
        noted << u'=' + (command.size() < 100 ? command
                                              : QString::number(command.size()) + u'…' + command.right(2));
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> main;
};

} // namespace

class tst_frmAssistant : public QObject
{
    Q_OBJECT

private slots:
    // Openings separated by ";"; "Command=n" writes the key into Setup.ini, "Command" notes it.
    // <tmp> is a temporary folder holding backup.txt, <program> the program folder.
    void scenario_data()
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
    void scenario()
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

QTEST_MAIN(tst_frmAssistant)
#include "tst_frmassistant.moc"
