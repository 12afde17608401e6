#include "HelpViewer.h"
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
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using Steps = std::function<void(frmAssistant*)>;

// A main window of its own with its data folder; the assistant is opened from it.
class Session
{
public:
    explicit Session(int deviceType, int language = 1, const QString& command = QString())
    {
        data.writeSetup({{"Connect", "0"},
                         {"Device", QString::number(deviceType)},
                         {"Language", QString::number(language)}});
        if (!command.isNull())
            data.writeSetup({{"Command", command}});
        main = std::make_unique<frmMain>();
    }

    // Opens the assistant as the command line (txtSend gets the command) or the script editor does,
    // and runs the steps while it is open. Returns what RunAssistant gave back.
    QString run(bool fromCommandLine, const Steps& steps)
    {
        whileModal<frmAssistant>([steps](frmAssistant* dialog) {
            steps(dialog);
            if (dialog->isVisible()) {
                dialog->reject();
                QFAIL("the assistant was left open");
            }
        });
        if (fromCommandLine) {
            control<QPushButton>(main.get(), "cmdCreateCommand1")->click();
            return modGlobal::AssistantCommand;
        }
        modGlobal::AssistantFromCommandLine = false;
        return main->RunAssistant();
    }

    QString txtSend() const { return control<QLineEdit>(main.get(), "txtSend")->text(); }

    template <typename Dialog> static void whileModal(const std::function<void(Dialog*)>& steps)
    {
        QTimer::singleShot(0, [steps] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            steps(dialog);
        });
    }

    TempDataFolder data;
    std::unique_ptr<frmMain> main;
};

// Types any characters; QTest's own key clicks know only ASCII.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString selCommand(QWidget* dialog)
{
    return control<QLabel>(dialog, "labSelCommand")->text();
}

void choose(QWidget* dialog, const QString& caption)
{
    auto* box = control<QComboBox>(dialog, "cboCommand");
    const int row = box->findText(caption);
    QVERIFY2(row >= 0, qPrintable(caption));
    box->setCurrentIndex(row);
}

// "n:17" types a number, "t:abc" a text, "enter" only presses Enter; each ends with Enter.
void act(QWidget* dialog, const QString& action)
{
    QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    if (action.startsWith(QLatin1String("n:"))) {
        auto* value = control<NumEdit>(dialog, "cwnValue");
        QVERIFY(!value->isHidden());
        value->selectAll();
        QTest::keyClicks(value, action.mid(2));
        target = value;
    } else if (action.startsWith(QLatin1String("t:"))) {
        auto* text = control<QLineEdit>(dialog, "txtText");
        QVERIFY(!text->isHidden());
        QTest::keyClicks(text, action.mid(2));
        target = text;
    }
    QTest::keyClick(target, Qt::Key_Return);
}

qint64 presetAfterEnter(QWidget* dialog)
{
    act(dialog, QStringLiteral("enter"));
    return control<NumEdit>(dialog, "cwnValue")->value();
}

} // namespace

class tst_frmAssistant : public QObject
{
    Q_OBJECT

private slots:
    void build_data()
    {
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("fromCommandLine");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("actions");
        // labSelCommand and the caption of cmdNext before each action.
        QTest::addColumn<QStringList>("growing");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("command");

        QTest::newRow("GM at once") << 0 << 1 << true << "Get production mode status (GM)"
                                    << QStringList{"enter"} << QStringList{"GM"} << QStringList{"Accept"}
                                    << "GM";
        QTest::newRow("SP 17 3") << 1 << 1 << true << "Set measurement program (SP)"
                                 << QStringList{"enter", "n:17", "n:3"} << QStringList{"SP", "SP", "SP 17"}
                                 << QStringList{"Next...", "Next...", "Accept"} << "SP 17 3";
        QTest::newRow("German SP") << 1 << 0 << true << "Messprogramm einstellen (SP)"
                                   << QStringList{"enter", "n:17", "n:3"} << QStringList{"SP", "SP", "SP 17"}
                                   << QStringList{"Weiter...", "Weiter...", QString::fromUtf8("Übernehmen")}
                                   << "SP 17 3";
        QTest::newRow("wait") << 0 << 1 << false << "* Insert delay (no device command)"
                              << QStringList{"enter", "n:30"} << QStringList{"<WAIT_TIME>", "<WAIT_TIME>"}
                              << QStringList{"Next...", "Accept"} << "<WAIT_TIME=30>";
        QTest::newRow("GRA") << 1 << 1 << true << "Device group: Get remark (GRA)" << QStringList{"enter"}
                             << QStringList{"GRA"} << QStringList{"Accept"} << "GRA";
        QTest::newRow("AGB, not AGBA")
            << 2 << 1 << true
            << "AbortGroupB - Stop the current group B sequence followed by a further sequence (AGBA)"
            << QStringList{"enter"} << QStringList{"AGB"} << QStringList{"Accept"} << "AGB";
        QTest::newRow("4294967295") << 2 << 1 << true
                                    << "SetNumberSerial - Write new serial counter value (SN)"
                                    << QStringList{"enter", "n:5", "n:4294967295"}
                                    << QStringList{"SN", "SN", "SN 5"}
                                    << QStringList{"Next...", "Next...", "Accept"} << "SN 5 4294967295";
        QTest::newRow("-1") << 1 << 1 << true << "Device group: Set part-No. (SNA)"
                            << QStringList{"enter", "n:-1"} << QStringList{"SNA", "SNA"}
                            << QStringList{"Next...", "Accept"} << "SNA -1";
        QTest::newRow("text with blanks")
            << 0 << 1 << true << "Set temporary user name (UN)" << QStringList{"enter", "t: a b "}
            << QStringList{"UN", "UN"} << QStringList{"Next...", "Accept"} << "UN  a b ";
    }
    void build()
    {
        QFETCH(int, deviceType);
        QFETCH(int, language);
        QFETCH(bool, fromCommandLine);
        QFETCH(QString, caption);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, growing);
        QFETCH(QStringList, buttons);
        QFETCH(QString, command);
        Session session(deviceType, language);
        auto* completed = control<QLabel>(session.main.get(), "labCommandScriptCompleted");
        completed->setVisible(true);
        QStringList seenCommands;
        QStringList seenButtons;
        const QString result = session.run(fromCommandLine, [&](frmAssistant* dialog) {
            choose(dialog, caption);
            for (const QString& action : actions) {
                seenCommands << selCommand(dialog);
                seenButtons << control<QPushButton>(dialog, "cmdNext")->text();
                act(dialog, action);
            }
        });
        QCOMPARE(seenCommands, growing);
        QCOMPARE(seenButtons, buttons);
        QCOMPARE(result, command);
        QCOMPARE(modGlobal::AssistantCommand, command);
        QCOMPARE(modGlobal::AssistantDescription, caption);
        QVERIFY(completed->isHidden());
        QCOMPARE(session.txtSend(), fromCommandLine ? command : QString());
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("close box") << "close box";
    }
    void cancel()
    {
        QFETCH(QString, how);
        Session session(1);
        control<QLineEdit>(session.main.get(), "txtSend")->setText(QStringLiteral("typed before"));
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, QStringLiteral("Set measurement program (SP)"));
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:17"));
            QCOMPARE(selCommand(dialog), QStringLiteral("SP 17"));
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
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("row");
        QTest::newRow("40 of 21") << "40" << 0;
        QTest::newRow("last") << "20" << 20;
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("rounded") << "2.5" << 2;
        QTest::newRow("negative") << "-1" << 0;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void storedCommand()
    {
        QFETCH(QString, stored);
        QFETCH(int, row);
        Session session(1, 1, stored);
        session.run(false, [&](frmAssistant* dialog) {
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->currentIndex(), row);
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->count(), 21);
            dialog->reject();
        });
        QCOMPARE(session.data.readSetup("Command"), QString::number(row));
    }

    void restrictedFilter_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("kept");
        QTest::newRow("umlaut") << QString::fromUtf8("ä") << "ab";
        QTest::newRow("slash") << "/"
                               << "ab";
        QTest::newRow("dot") << "."
                             << "ab";
        QTest::newRow("allowed") << "A-b_9 x"
                                 << "abA-b_9 x";
    }
    void restrictedFilter()
    {
        QFETCH(QString, keys);
        QFETCH(QString, kept);
        Session session(1);
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, QStringLiteral("Set additional part-No. parameter 1 (SP1)"));
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:2"));
            auto* text = control<QLineEdit>(dialog, "txtText");
            QCOMPARE(dialog->focusWidget(), text);
            QTest::keyClicks(text, QStringLiteral("ab"));
            type(text, keys);
            QCOMPARE(text->text(), kept);
            QCOMPARE(text->cursorPosition(), int(kept.size()));
            // Pasted text is filtered as a whole.
            text->insert(QStringLiteral("x.y"));
            QCOMPARE(text->text(), kept);
            act(dialog, QStringLiteral("enter"));
        });
        QCOMPARE(result, QStringLiteral("SP1 2 ") + kept);
    }

    void textLength_data()
    {
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("maximum");
        QTest::newRow("XC") << 0 << "Send any device command parameter to device (XC)" << 20000;
        QTest::newRow("SO 1") << 1 << "Send any device command parameter to device (SO)" << 20000;
        QTest::newRow("SO 2")
            << 2
            << "SetOrder - Send interface command to MOLDRIX - Command as execution or question "
               "type (SO  !/?)"
            << 2000;
    }
    void textLength()
    {
        QFETCH(int, deviceType);
        QFETCH(QString, caption);
        QFETCH(int, maximum);
        Session session(deviceType);
        const QString result = session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, caption);
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:1"));
            QCOMPARE(control<QLabel>(dialog, "labMaxTextLen")->text(),
                     QStringLiteral("Maximum text length: %1 characters").arg(maximum));
            auto* text = control<QLineEdit>(dialog, "txtText");
            text->insert(QString(maximum - 2, QLatin1Char('x')));
            type(text, QString::fromUtf8("ä/.!?"));
            QCOMPARE(text->text().size(), maximum);
            QVERIFY(text->text().endsWith(QString::fromUtf8("ä/")));
            act(dialog, QStringLiteral("enter"));
        });
        QCOMPARE(result.size(), maximum + 5);
    }

    void emptyTextParameter()
    {
        Session session(0);
        QString message;
        session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, QStringLiteral("Set temporary user name (UN)"));
            act(dialog, QStringLiteral("enter"));
            Session::whileModal<QMessageBox>([&](QMessageBox* box) {
                message = box->windowTitle() + u'|' + box->text();
                QCOMPARE(box->icon(), QMessageBox::Warning);
                box->accept();
            });
            act(dialog, QStringLiteral("enter"));
            QCOMPARE(message, QStringLiteral("Parameter error|You don't entered parameter ' User name ' !"));
            QVERIFY(dialog->isVisible());
            QCOMPARE(selCommand(dialog), QStringLiteral("UN"));
            QCOMPARE(dialog->focusWidget(), control<QLineEdit>(dialog, "txtText"));
            act(dialog, QStringLiteral("t:me"));
        });
        QCOMPARE(session.txtSend(), QStringLiteral("UN me"));
    }

    void fileButton()
    {
        Session session(1);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("backup.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        modGlobal::LastPathFolder.clear();
        session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, QStringLiteral("Upload backup file into device (UF)"));
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:1"));
            auto* button = control<QToolButton>(dialog, "cmdSelectPath");
            QVERIFY(!button->isHidden());
            Session::whileModal<QFileDialog>([&](QFileDialog* files) {
                QCOMPARE(files->objectName(), QStringLiteral("CommonDialog"));
                QCOMPARE(files->windowTitle(), QStringLiteral("Select backup file..."));
                QCOMPARE(files->directory().absolutePath(), modTools::ProgramFolder());
                QCOMPARE(files->selectedNameFilter(), QStringLiteral("All files (*)"));
                files->selectFile(file);
                static_cast<QDialog*>(files)->accept();
            });
            button->click();
            auto* text = control<QLineEdit>(dialog, "txtText");
            QCOMPARE(text->text(), file);
            QCOMPARE(modGlobal::LastPathFolder, folder.path() + u'/');
            Session::whileModal<QFileDialog>([&](QFileDialog* files) {
                QCOMPARE(files->directory().absolutePath(), folder.path());
                files->reject();
            });
            button->click();
            QCOMPARE(text->text(), file);
            act(dialog, QStringLiteral("enter"));
        });
        QCOMPARE(session.txtSend(), QStringLiteral("UF 1 ") + file);
    }

    // The address taken last presets the next address parameter, also after reopening, when the
    // parameter's name is an address name of the current language.
    void lastAddress_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<int>("row");
        QTest::addColumn<qint64>("preset");
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
        QFETCH(qint64, preset);
        Session session(deviceType, language);
        session.run(true, [&](frmAssistant* dialog) {
            control<QComboBox>(dialog, "cboCommand")->setCurrentIndex(row);
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:7"));
            dialog->reject();
        });
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->currentIndex(), row);
            QCOMPARE(presetAfterEnter(dialog), preset);
            dialog->reject();
        });
    }

    void addressSetToZeroByOtherEntry()
    {
        Session session(1);
        const QString query = QStringLiteral("Get current measurement program (GP)");
        session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, query);
            act(dialog, QStringLiteral("enter"));
            act(dialog, QStringLiteral("n:12"));
        });
        QCOMPARE(session.txtSend(), QStringLiteral("GP 12"));
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(presetAfterEnter(dialog), 12);
            // The hidden label still names the address when the next entry's step 1 is left.
            choose(dialog, QStringLiteral("Set temporary user name (SU)"));
            act(dialog, QStringLiteral("enter"));
            dialog->reject();
        });
        session.run(true, [&](frmAssistant* dialog) {
            choose(dialog, query);
            QCOMPARE(presetAfterEnter(dialog), 0);
            dialog->reject();
        });
    }

    void textsFollowLanguage()
    {
        Session session(1);
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Create command..."));
            auto* box = control<QComboBox>(dialog, "cboCommand");
            QCOMPARE(box->count(), 34);
            QVERIFY(!box->isEditable());
            QVERIFY(control<QWidget>(dialog, "cboCommandList")->isHidden());
            QVERIFY(control<QWidget>(dialog, "labDescription")->isHidden());
            QVERIFY(control<QPushButton>(dialog, "cmdNext")->isDefault());
            QCOMPARE(control<QLabel>(dialog, "labCommand")->text(), QStringLiteral("Command:"));
            QCOMPARE(control<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
            choose(dialog, QStringLiteral("Set manual component caption (SC)"));
            QCOMPARE(
                control<QLabel>(dialog, "labNote")->text(),
                QStringLiteral("Note: Only possible if 'Manual definition' is set! Only following characters "
                               "are valid: a-z A-Z  0-9 '-' '_' ' '!"));
            act(dialog, QStringLiteral("enter"));
            QCOMPARE(control<QLabel>(dialog, "labMaxTextLen")->text(),
                     QStringLiteral("Possible value range: 0 to 255"));
            dialog->reject();
        });
        control<QComboBox>(session.main.get(), "cboLanguage")->setCurrentIndex(0);
        session.run(true, [&](frmAssistant* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Befehl erstellen.."));
            QCOMPARE(control<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("Abbrechen"));
            QCOMPARE(control<QComboBox>(dialog, "cboCommand")->currentText(),
                     QStringLiteral("Manuelle Bauteilebezeichnung einstellen (SC)"));
            QVERIFY(control<QLabel>(dialog, "labNote")->text().startsWith(QLatin1String("Hinweis: Nur bei")));
            act(dialog, QStringLiteral("enter"));
            QCOMPARE(control<QLabel>(dialog, "labMaxTextLen")->text(),
                     QString::fromUtf8("Möglicher Wertebereich: 0 bis 255"));
            dialog->reject();
        });
    }

    void help()
    {
        Session session(0);
        QTemporaryDir folder;
        for (const char* page : {"help00.html", "1800.html"}) {
            QFile file(folder.filePath(QLatin1String(page)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<html><body>help</body></html>");
        }
        modGlobal::HelpFile = folder.filePath(QStringLiteral("help00.html"));
        session.run(true, [&](frmAssistant* dialog) {
            control<QPushButton>(dialog, "cmdHelp")->click();
            auto* viewer = dialog->findChild<HelpViewer*>();
            QVERIFY(viewer);
            QCOMPARE(viewer->currentPage(), folder.filePath(QStringLiteral("1800.html")));
            dialog->reject();
        });
    }
};

QTEST_MAIN(tst_frmAssistant)
#include "tst_frmassistant.moc"
