// The command assistant opened from a real main window, and its numeric field cwnValue.
#include "NumEdit.h"
#include "TestSupport.h"
#include "frmAssistant.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
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

// A main window of its own with its data folder; the assistant is opened from it.
struct Session
{
    explicit Session(int deviceType, int language = 1)
    {
        data.writeSetup({{"Connect", "0"},
                         {"Device", QString::number(deviceType)},
                         {"Language", QString::number(language)}});
        main = std::make_unique<frmMain>();
    }

    // Opens the assistant as the command line does (txtSend gets the command) or as the script
    // editor does, runs the steps in it and returns what it handed back.
    QString run(bool fromCommandLine, const std::function<void(frmAssistant*)>& steps)
    {
        whileModal<frmAssistant>([steps](frmAssistant* dialog) {
            steps(dialog);
            if (dialog->isVisible()) {
                dialog->reject();
                QFAIL("the assistant was left open");
            }
        });
        if (!fromCommandLine) {
            modGlobal::AssistantFromCommandLine = false;
            return main->RunAssistant();
        }
        control<QPushButton>(main.get(), "cmdCreateCommand1")->click();
        return modGlobal::AssistantCommand;
    }

    QString txtSend() const { return control<QLineEdit>(main.get(), "txtSend")->text(); }

    TempDataFolder data;
    std::unique_ptr<frmMain> main;
};

// Types any characters; QTest's own key clicks know only ASCII.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// "c:caption" chooses an entry; "n:17" types a number, "t:abc" a text, "enter" nothing, and each
// of these ends with Enter.
void act(QWidget* dialog, const QStringList& actions)
{
    for (const QString& action : actions) {
        const QString arg = action.mid(2);
        if (action.startsWith(u'c')) {
            auto* box = control<QComboBox>(dialog, "cboCommand");
            QVERIFY2(box->findText(arg) >= 0, qPrintable(arg));
            box->setCurrentIndex(box->findText(arg));
            continue;
        }
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        if (action != QLatin1String("enter")) {
            target = control<QWidget>(dialog, action.startsWith(u'n') ? "cwnValue" : "txtText");
            QVERIFY(!target->isHidden());
            if (auto* number = qobject_cast<NumEdit*>(target))
                number->selectAll();
            type(target, arg);
        }
        QTest::keyClick(target, Qt::Key_Return);
    }
}

QString selCommand(QWidget* dialog)
{
    return control<QLabel>(dialog, "labSelCommand")->text();
}

qint64 presetAfterEnter(QWidget* dialog)
{
    act(dialog, {"enter"});
    return control<NumEdit>(dialog, "cwnValue")->value();
}

} // namespace

class tst_frmAssistant : public QObject
{
    Q_OBJECT

private slots:
    // seen: labSelCommand/cmdNext before each action, "|" between
    void build_data()
    {
        columns<int, int, bool, QString, QString, QString, QString>(
            "deviceType", "language", "fromCommandLine", "caption", "actions", "seen", "command");
        row("GM at once", 0, 1, true, "Get production mode status (GM)", "enter", "GM/Accept", "GM");
        row("SP 17 3", 1, 1, true, "Set measurement program (SP)", "enter|n:17|n:3",
            "SP/Next...|SP/Next...|SP 17/Accept", "SP 17 3");
        row("German SP", 1, 0, true, "Messprogramm einstellen (SP)", "enter|n:17|n:3",
            "SP/Weiter...|SP/Weiter...|SP 17/Übernehmen", "SP 17 3");
        row("wait", 0, 1, false, "* Insert delay (no device command)", "enter|n:30",
            "<WAIT_TIME>/Next...|<WAIT_TIME>/Accept", "<WAIT_TIME=30>");
        row("GRA", 1, 1, true, "Device group: Get remark (GRA)", "enter", "GRA/Accept", "GRA");
        row("AGB, not AGBA", 2, 1, true,
            "AbortGroupB - Stop the current group B sequence followed by a further sequence (AGBA)", "enter",
            "AGB/Accept", "AGB");
        row("4294967295", 2, 1, true, "SetNumberSerial - Write new serial counter value (SN)",
            "enter|n:5|n:4294967295", "SN/Next...|SN/Next...|SN 5/Accept", "SN 5 4294967295");
        row("-1", 1, 1, true, "Device group: Set part-No. (SNA)", "enter|n:-1", "SNA/Next...|SNA/Accept",
            "SNA -1");
        row("text with blanks", 0, 1, true, "Set temporary user name (UN)", "enter|t: a b ",
            "UN/Next...|UN/Accept", "UN  a b ");
    }
    void build()
    {
        QFETCH(int, deviceType);
        QFETCH(int, language);
        QFETCH(bool, fromCommandLine);
        QFETCH(QString, caption);
        QFETCH(QString, actions);
        QFETCH(QString, command);
        Session session(deviceType, language);
        auto* completed = control<QLabel>(session.main.get(), "labCommandScriptCompleted");
        completed->setVisible(true);
        QStringList seen;
        const QString result = session.run(fromCommandLine, [&](frmAssistant* dialog) {
            act(dialog, {"c:" + caption});
            for (const QString& action : actions.split(u'|')) {
                seen << selCommand(dialog) + u'/' + control<QPushButton>(dialog, "cmdNext")->text();
                act(dialog, {action});
            }
        });
        QTEST(seen.join(u'|'), "seen");
        QCOMPARE(result, command);
        QCOMPARE(modGlobal::AssistantDescription, caption);
        QVERIFY(completed->isHidden());
        QCOMPARE(session.txtSend(), fromCommandLine ? command : QString());
    }

    // Cancelled at step 3: nothing is handed back, the chosen row is still remembered.
    void cancel_data()
    {
        columns<QString>("how");
        row("button", "button");
        row("Esc", "Esc");
        row("close box", "close box");
    }
    void cancel()
    {
        QFETCH(QString, how);
        Session session(1);
        control<QLineEdit>(session.main.get(), "txtSend")->setText(QStringLiteral("typed before"));
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {"c:Set measurement program (SP)", "enter", "n:17"});
            QCOMPARE(selCommand(dialog), QStringLiteral("SP 17"));
            QCOMPARE(control<QLabel>(dialog, "labMaxTextLen")->text(),
                     QStringLiteral("Possible value range: 0 to 7"));
            if (how == QLatin1String("button"))
                control<QPushButton>(dialog, "cmdCancel")->click();
            else if (how == QLatin1String("Esc"))
                QTest::keyClick(control<NumEdit>(dialog, "cwnValue"), Qt::Key_Escape);
            else
                dialog->close();
        });
        QCOMPARE(result, QString());
        QCOMPARE(modGlobal::AssistantDescription, QString());
        QCOMPARE(session.txtSend(), QStringLiteral("typed before"));
        QCOMPARE(session.data.readSetup("Command"), QStringLiteral("3"));
    }

    void storedCommand_data()
    {
        columns<QString, int>("stored", "row");
        row("40 of 21", "40", 0);
        row("last", "20", 20);
        row("rounded", "2.5", 2);
        row("negative", "-1", 0);
        row("no number", "abc", 0);
    }
    void storedCommand()
    {
        QFETCH(QString, stored);
        QFETCH(int, row);
        Session session(1);
        session.data.writeSetup({{"Command", stored}});
        session.run(false, [&](frmAssistant* dialog) {
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->currentIndex(), row);
            dialog->reject();
        });
        QCOMPARE(session.data.readSetup("Command"), QString::number(row));
    }

    // "%r" takes only letters, digits, blank, "-" and "_"; pasted text is filtered as a whole.
    void restrictedFilter_data()
    {
        columns<QString, QString>("keys", "kept");
        row("umlaut", "ä", "ab");
        row("slash", "/", "ab");
        row("dot", ".", "ab");
        row("allowed", "A-b_9 x", "abA-b_9 x");
    }
    void restrictedFilter()
    {
        QFETCH(QString, keys);
        QFETCH(QString, kept);
        Session session(1);
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {"c:Set additional part-No. parameter 1 (SP1)", "enter", "n:2"});
            auto* text = control<QLineEdit>(dialog, "txtText");
            QCOMPARE(dialog->focusWidget(), text);
            type(text, "ab" + keys);
            QCOMPARE(text->text(), kept);
            QCOMPARE(text->cursorPosition(), int(kept.size()));
            text->insert(QStringLiteral("x.y"));
            QCOMPARE(text->text(), kept);
            act(dialog, {"enter"});
        });
        QCOMPARE(result, "SP1 2 " + kept);
    }

    // "%s" and "%u" take any printable character up to their maximum length.
    void textLength_data()
    {
        columns<int, QString, int>("deviceType", "caption", "maximum");
        row("XC", 0, "Send any device command parameter to device (XC)", 20000);
        row("SO", 2,
            "SetOrder - Send interface command to MOLDRIX - Command as execution or question type (SO  !/?)",
            2000);
    }
    void textLength()
    {
        QFETCH(int, deviceType);
        QFETCH(QString, caption);
        QFETCH(int, maximum);
        Session session(deviceType);
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {"c:" + caption, "enter", "n:1"});
            QCOMPARE(control<QLabel>(dialog, "labMaxTextLen")->text(),
                     QStringLiteral("Maximum text length: %1 characters").arg(maximum));
            auto* text = control<QLineEdit>(dialog, "txtText");
            text->insert(QString(maximum - 2, u'x'));
            type(text, QStringLiteral("ä/.!?"));
            QCOMPARE(text->text().size(), maximum);
            QVERIFY(text->text().endsWith(QStringLiteral("ä/")));
            act(dialog, {"enter"});
        });
        QCOMPARE(result.size(), maximum + 5);
    }

    // An empty text parameter is refused with a warning; the dialog stays at its step.
    void emptyTextParameter()
    {
        Session session(0);
        QString message;
        session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {"c:Set temporary user name (UN)", "enter"});
            whileModal<QMessageBox>([&](QMessageBox* box) {
                message = box->windowTitle() + u'|' + box->text();
                box->accept();
            });
            act(dialog, {"enter"});
            QCOMPARE(message, QStringLiteral("Parameter error|You don't entered parameter ' User name ' !"));
            QCOMPARE(selCommand(dialog), QStringLiteral("UN"));
            QCOMPARE(dialog->focusWidget(), control<QLineEdit>(dialog, "txtText"));
            act(dialog, {"t:me"});
        });
        QCOMPARE(session.txtSend(), QStringLiteral("UN me"));
    }

    // The file button starts in the program folder, then in the folder of the file taken last.
    void fileButton()
    {
        Session session(1);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("backup.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        modGlobal::LastPathFolder.clear();
        session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {"c:Upload backup file into device (UF)", "enter", "n:1"});
            auto* button = control<QToolButton>(dialog, "cmdSelectPath");
            whileModal<QFileDialog>([&](QFileDialog* files) {
                QCOMPARE(files->windowTitle() + u'|' + files->directory().absolutePath(),
                         "Select backup file...|" + modTools::ProgramFolder());
                files->selectFile(file);
                static_cast<QDialog*>(files)->accept();
            });
            button->click();
            QCOMPARE(modGlobal::LastPathFolder, folder.path() + u'/');
            whileModal<QFileDialog>([&](QFileDialog* files) {
                QCOMPARE(files->directory().absolutePath(), folder.path());
                files->reject();
            });
            button->click();
            act(dialog, {"enter"});
        });
        QCOMPARE(session.txtSend(), "UF 1 " + file);
    }

    // The address taken last presets the next address parameter, also after reopening, when the
    // parameter's name is an address name of the current language.
    void lastAddress_data()
    {
        columns<int, int, int, qint64>("language", "deviceType", "row", "preset");
        const int rows[] = {3, 3, 5, 2};
        const qint64 english[] = {7, 7, 7, 1};
        const qint64 german[] = {0, 7, 7, 7};
        for (int type = 0; type < 4; ++type) {
            QTest::addRow("en %d", type) << 1 << type << rows[type] << english[type];
            QTest::addRow("de %d", type) << 0 << type << rows[type] << german[type];
        }
    }
    void lastAddress()
    {
        QFETCH(int, language);
        QFETCH(int, deviceType);
        QFETCH(int, row);
        Session session(deviceType, language);
        session.run(true, [&](frmAssistant* dialog) {
            control<QComboBox>(dialog, "cboCommand")->setCurrentIndex(row);
            act(dialog, {"enter", "n:7"});
            dialog->reject();
        });
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->currentIndex(), row);
            QTEST(presetAfterEnter(dialog), "preset");
            dialog->reject();
        });
    }

    // The hidden label still names the address when the next entry's step 1 is left, so the
    // address taken last becomes 0.
    void addressSetToZeroByOtherEntry()
    {
        Session session(1);
        const QString query = QStringLiteral("c:Get current measurement program (GP)");
        session.run(true, [&](frmAssistant* dialog) { act(dialog, {query, "enter", "n:12"}); });
        QCOMPARE(session.txtSend(), QStringLiteral("GP 12"));
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(presetAfterEnter(dialog), 12);
            act(dialog, {"c:Set temporary user name (SU)", "enter"});
            dialog->reject();
        });
        session.run(true, [&](frmAssistant* dialog) {
            act(dialog, {query});
            QCOMPARE(presetAfterEnter(dialog), 0);
            dialog->reject();
        });
    }

    // cwnValue holds any bounds from -2147483648 to 4294967295. Keys are blank-separated: Up, Down
    // and PageUp press that key, anything else is typed over the selected value and ends with Enter.
    void numKeys_data()
    {
        columns<qint64, qint64, QString, QString>("minimum", "maximum", "keys", "shown");
        row("up to the top", 0LL, 4294967295LL, "4294967294 Up", "4294967295");
        row("up at the top", 0LL, 4294967295LL, "4294967295 Up", "4294967295");
        row("down at the bottom", -2147483648LL, 0LL, "-2147483647 Down Down", "-2147483648");
        row("page up clamps", 0LL, 255LL, "250 PageUp", "255");
        row("above refused", 0LL, 255LL, "300", "30");
        row("one above the top", 0LL, 4294967295LL, "4294967296", "429496729");
        row("eleven digits", 0LL, 4294967295LL, "42949672951", "4294967295");
        row("no sign without negatives", 0LL, 255LL, "-5", "5");
        row("below minus one refused", -1LL, 9LL, "-12", "-1");
        row("letters refused", 0LL, 255LL, "1a2.", "12");
        row("below min corrected", 10LL, 99LL, "5", "10");
        row("lone minus", -5LL, 5LL, "-", "3");
    }
    void numKeys()
    {
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        QFETCH(QString, keys);
        NumEdit edit;
        edit.setRange(minimum, maximum);
        edit.setValue(3);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        const QMap<QString, Qt::Key> named{{"Up", Qt::Key_Up},
                                           {"Down", Qt::Key_Down},
                                           {"PageUp", Qt::Key_PageUp},
                                           {"PageDown", Qt::Key_PageDown}};
        for (const QString& key : keys.split(u' ')) {
            if (named.contains(key)) {
                QTest::keyClick(&edit, named.value(key));
                continue;
            }
            edit.selectAll();
            QTest::keyClicks(&edit, key);
            QTest::keyClick(&edit, Qt::Key_Return);
        }
        QTEST(edit.text(), "shown");
        QTEST(QString::number(edit.value()), "shown");
    }

    // While typing, before Enter, the value follows and is announced; an emptied field still steps.
    void numTypingWithoutEnter()
    {
        NumEdit edit;
        edit.setRange(0, 4294967295LL);
        QSignalSpy spy(&edit, &NumEdit::valueChanged);
        edit.selectAll();
        QTest::keyClicks(&edit, QStringLiteral("3000000000"));
        QCOMPARE(edit.value(), 3000000000LL);
        QCOMPARE(spy.last().first().toLongLong(), 3000000000LL);
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QString());
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.value(), 3000000001LL);
    }
};

QTEST_MAIN(tst_frmAssistant)
#include "tst_frmassistant.moc"
