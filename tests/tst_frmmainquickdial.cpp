// The quick-dial memories of the real main window: cmdSave and its checks, the get, save and delete
// modes, the default set loaded at start, the file buttons and the viewer of a memory's commands.
#include "ModalAnswer.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "TestFiles.h"
#include "WidgetSupport.h"
#include "frmCommandList.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QtTest>

#include <memory>

namespace {

// Memory 2 of the worked example, 3 saved empty, 6 repeated; the other memories' keys are missing.
const QByteArray storedSet =
    "[SETTINGS]\r\nOwner=kept\r\nRepeat2=0\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"
    "Descript2=Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#\r\n"
    "Label2=Start-Stop\r\nNote2=Start, wait 5 s, stop\r\nRepeat3=\r\nCommand3=\r\nDescript3=\r\nLabel3=\r\n"
    "Note3=\r\nRepeat6=1\r\nCommand6=GM\r\nDescript6=\r\nLabel6=Poll\r\nNote6=\r\n";

const QList<ScriptEntry> twoEntries{{"SM 1", "start"}, {"GM", ""}};

// Rows "command|description" of a list, headers first; "(cut)" marks a cell wider than its column.
QStringList rows(const QTreeView* list, bool markCut = true)
{
    const QAbstractItemModel* model = list->model();
    QStringList shown;
    for (int row = -1; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 2; ++column) {
            const QString cell =
                (row < 0 ? model->headerData(column, Qt::Horizontal) : model->index(row, column).data())
                    .toString();
            const bool cut =
                markCut && list->header()->sectionSize(column) < list->fontMetrics().horizontalAdvance(cell);
            cells << cell + (cut ? "(cut)" : "");
        }
        shown << cells.join(u'|');
    }
    return shown;
}

} // namespace

class tst_frmMainQuickDial : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { m_window.reset(); }
    void saveChecks_data()
    {
        // after: the modes and the control with the focus
        columns<int, QString, QString, bool, QString, QString>("entries", "note", "label", "saveMode",
                                                               "message", "after");
        const char* noCommand =
            "Kein Befehl vorhanden: Sie müssen mindestens einen Befehl in die Liste hinzufügen!";
        row("no command", 0, "n", "l", false, noCommand, "--D lstCommands");
        row("no description, save mode on", 1, "", "l", true,
            "Beschreibungstext fehlt: Sie müssen einen Beschreibungstext zu den erstellten Befehlen "
            "eingeben!",
            "S-D txtNote");
        row("no caption", 1, "n", "", false,
            "Bezeichnung fehlt: Sie müssen eine Bezeichnung zu den erstellten Befehlen eingeben!",
            "--D txtLabel");
        row("all missing: the first check speaks", 0, "", "", true, noCommand, "S-D lstCommands");
    }

    void saveChecks()
    {
        start();
        fillEditor(twoEntries.mid(0, fetch<int>("entries")), fetch<QString>("label"), fetch<QString>("note"));
        m_window->SaveMode = fetch<bool>("saveMode");
        m_window->DeleteMode = true;
        ModalAnswer<QMessageBox> answer([](QMessageBox* box) {
            QTEST(box->windowTitle() + ": " + box->text(), "message");
            box->button(QMessageBox::Ok)->click();
        });
        find<QPushButton>("cmdSave")->click();
        QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
        QTEST(modes() + ' ' + m_window->focusWidget()->objectName(), "after");
    }

    void saveGetDelete()
    {
        start();
        QList<ScriptEntry> script; // longer than 254 entries, kept whole
        for (int i = 1; i <= 300; ++i)
            script.append({QStringLiteral("SP %1").arg(i), QStringLiteral("step %1").arg(i)});
        find<QCheckBox>("chkCommandRepeat", 5)->setChecked(true);
        fillEditor(script, "Pressure check", "Checks the pressure");
        find<QPushButton>("cmdSave")->click();
        clickMemoryButton(5);
        const QString stored =
            "Pressure c... ~ Bezeichnung: Pressure check ~ Pressure check ~ Checks the pressure ~ repeat ~ ";
        QVERIFY(shown(5).startsWith(stored + "SP 1|step 1;SP 2|step 2;"));
        // The tooltip keeps the language of the save. (That the editor keeps its script and its tab
        // after a memory click is modesTogether's.)
        find<QComboBox>("cboLanguage")->setCurrentIndex(1);
        QVERIFY(shown(5).startsWith(stored));

        // Got back into an emptied editor: memory 5 kept all 300 entries.
        fillEditor({}, "", "");
        find<QPushButton>("cmdGetCommand")->click();
        find<QPushButton>("cmdF", 5)->click();
        QCOMPARE(m_window->EditedScript()->entries(), script);
        QCOMPARE(find<QLineEdit>("txtLabel")->text() + find<QPlainTextEdit>("txtNote")->toPlainText(),
                 "Pressure checkChecks the pressure");
        QVERIFY(!find<QPushButton>("cmdF", 5)->isEnabled());
        // The editor's buttons follow the new script at once.
        QVERIFY(find<QPushButton>("cmdDeleteCommand")->isEnabled());

        find<QPushButton>("cmdDeleteScript")->click();
        bool othersDisabled = false;
        ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle() + ": " + box->text(),
                     "Delete: Do you really want to delete quick dial memory [F5] ?");
            // The tab on show stays while the memory operation disables the others.
            othersDisabled = find<QTabWidget>("SSTab1")->currentIndex() == 2 && !controlsEnabled();
            box->button(QMessageBox::Yes)->click();
        });
        clickMemoryButton(5);
        QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected && othersDisabled);
        QCOMPARE(shown(5), "[Empty] ~  ~  ~  ~ repeat ~ ");
    }

    // Mode buttons clicked as the row's name says ("no": the answer to the delete question), the modes
    // then, what a click on memory button 6 does, and the modes after it.
    void modesTogether_data()
    {
        columns<QString, QString, QString>("before", "done", "after");
        row("save get", "-G-", "get", "---");
        row("get save", "S--", "save", "---");
        row("delete save", "S-D", "save", "--D");
        row("get delete", "-GD", "get", "--D");
        row("save save", "---", "nothing", "---");
        row("delete delete delete", "--D", "delete", "---");
        row("delete no", "--D", "nothing", "---");
    }

    void modesTogether()
    {
        const QString clicks = QTest::currentDataTag();
        QFETCH(QString, done);
        start();
        const QList<ScriptEntry> stored{{"GM", "stored"}};
        m_window->Memories->store(6, "Six", "note 6", stored);
        fillEditor(twoEntries, "Edited", "edited note");
        const QMap<QString, const char*> buttons{
            {"save", "cmdSave"}, {"get", "cmdGetCommand"}, {"delete", "cmdDeleteScript"}};
        for (const QString& click : clicks.split(u' '))
            if (click != "no")
                find<QPushButton>(buttons[click])->click();
        QTEST(modes(), "before");
        const bool modeOn = modes() != "---";
        // While a mode is on, the memory buttons blink green with the timer and can be used.
        m_window->timTimer_Timer();
        const QPushButton* f1 = find<QPushButton>("cmdF", 1);
        QCOMPARE(f1->isEnabled() && f1->palette().color(QPalette::Button) == QColor(0, 255, 0), modeOn);

        const bool no = clicks.endsWith("no");
        ModalAnswer<QMessageBox> answer(
            [no](QMessageBox* box) { box->button(no ? QMessageBox::No : QMessageBox::Yes)->click(); });
        clickMemoryButton(6);
        QTEST(modes(), "after");
        QCOMPARE(answer.shown, done == "delete" || no);
        QVERIFY(controlsEnabled());
        QCOMPARE(m_window->Memories->entries(6)->entries(), done == "delete" ? QList<ScriptEntry>()
                                                            : done == "save" ? twoEntries
                                                                             : stored);
        QCOMPARE(m_window->EditedScript()->entries(), done == "get" ? stored : twoEntries);
        QCOMPARE(find<QTabWidget>("SSTab1")->currentIndex(), 2);
    }

    // Qt's file dialog in the data folder; saving into an existing file writes the memories without a
    // question; loading fits the editor's columns again; cancelling does nothing. After: the start of
    // the file saved, or memories 2, 5 and 6 and the editor's list.
    void fileButtons_data()
    {
        columns<QByteArray, QString>("button", "after");
        row("save", QByteArray("cmdSaveConfig"),
            "[Other]\r\nA=1\r\n[SETTINGS]\r\nRepeat2=0\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n");
        row("load", QByteArray("cmdLoadConfig"),
            "[Empty] ~  ~ [Empty] ~  ~ once ~ \n"
            "Program 3... ~ Caption: Program 3 ~ Program 3 ~  ~ repeat ~ SP 1 3|Set measurement program (SP);"
            "GM|Get production mode status (GM)\nCommand|Description;XC 1 a command much wider than its "
            "header|");
        row("load cancelled", QByteArray("cancel"),
            "Start-Stop... ~ Caption: Start-Stop ~ Start-Stop ~ Start, wait 5 s, stop ~ once ~ "
            "SM 1|Messbetrieb starten (SM 1);<WAIT_TIME=5>|* Verweilzeit einfügen (kein Gerätebefehl);SM 0|\n"
            "Poll... ~ Caption: Poll ~ Poll ~  ~ repeat ~ GM|\n"
            "Command(cut)|Description;XC 1 a command much wider than its header(cut)|");
    }

    void fileButtons()
    {
        QFETCH(QByteArray, button);
        const bool save = button == "cmdSaveConfig";
        start(1, 3);
        QTemporaryDir elsewhere;
        const QString file = elsewhere.filePath("other set.cfg");
        writeBytes(file, "[Other]\r\nA=1\r\n[SETTINGS]\r\nRepeat2=\r\nCommand2=\r\nRepeat5=1\r\n"
                         "Command5=SP 1 3#GM\r\nDescript5=Set measurement program (SP)#Get production mode "
                         "status (GM)\r\nLabel5=Program 3\r\n");
        m_window->AddScriptEntry("XC 1 a command much wider than its header", QString());
        find<QTreeView>("lstCommands")->header()->resizeSection(0, 5);
        ModalAnswer<QFileDialog> answer([&](QFileDialog* dialog) {
            QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            QCOMPARE(dialog->directory().absolutePath() + u'/', modGlobal::DataFolder);
            if (button == "cancel")
                return dialog->reject();
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();
        });
        find<QPushButton>(save ? "cmdSaveConfig" : "cmdLoadConfig")->click();
        QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
        QFETCH(QString, after);
        const QStringList memories{shown(2), shown(button == "cancel" ? 6 : 5),
                                   rows(find<QTreeView>("lstCommands")).join(u';')};
        QCOMPARE(save ? QString::fromLatin1(fileBytes(file).left(after.size())) : memories.join(u'\n'),
                 after);
        QCOMPARE(fileBytes(defaultSet()), storedSet);
    }

    // Twice in a row a fresh viewer; nothing for a memory without entries.
    void viewer()
    {
        start(1, 3);
        const QList<ScriptEntry> three{{"SM 1", "Start production mode (SM 1)"},
                                       {"<WAIT_TIME=5>", ""},
                                       {"XC 1 a long device command parameter", "last"}};
        m_window->Memories->store(7, "Three", "note", three);
        for (const int n : {7, 7, 3}) {
            QStringList seen;
            ModalAnswer<frmCommandList> answer([&](frmCommandList* viewer) {
                seen = rows(control<QTreeView>(viewer, "lstCommands"));
                control<QPushButton>(viewer, "cmdQuit")->click();
            });
            QTest::mouseDClick(find<QPlainTextEdit>("txtCommandDescript", n)->viewport(), Qt::LeftButton);
            QVERIFY(!answer.leftOpen && !answer.unexpected);
            QCOMPARE(seen.join(u';'), n != 7 ? ""
                                             : "Command|Description;SM 1|Start production mode (SM 1);"
                                               "<WAIT_TIME=5>|;XC 1 a long device command parameter|last");
        }
    }

private:
    // A main window on the given tab over a data folder of its own whose default set is storedSet.
    void start(int language = 0, int tab = 2)
    {
        m_data = std::make_unique<TempDataFolder>();
        m_data->writeSetup(
            {{"Connect", "0"}, {"Language", QString::number(language)}, {"SelTab", QString::number(tab)}});
        writeBytes(defaultSet(), storedSet);
        m_window = std::make_unique<frmMain>();
        m_window->show();
    }
    QString defaultSet() const { return m_data->path() + "DefaultCommandSet.cfg"; }
    template <typename T> T* find(const char* name, int n = 0)
    {
        return control<T>(m_window.get(), qPrintable(name + (n > 0 ? QString::number(n) : QString())));
    }
    QString modes() const
    {
        return QString(m_window->SaveMode ? "S" : "-") + (m_window->GetMode ? "G" : "-") +
               (m_window->DeleteMode ? "D" : "-");
    }
    void fillEditor(const QList<ScriptEntry>& entries, const QString& label, const QString& note)
    {
        m_window->EditedScript()->replaceAll(entries);
        find<QLineEdit>("txtLabel")->setText(label);
        find<QPlainTextEdit>("txtNote")->setPlainText(note);
    }
    // As the user clicks: the memory buttons are usable once the timer has ticked with a mode on.
    void clickMemoryButton(int n)
    {
        m_window->timTimer_Timer();
        find<QPushButton>("cmdF", n)->click();
    }
    bool controlsEnabled()
    {
        auto* tabs = find<QTabWidget>("SSTab1");
        bool enabled = find<QPushButton>("cmdLoadConfig")->isEnabled() && !m_window->scriptBusy;
        for (int page = 0; page <= 2; ++page)
            enabled = enabled && tabs->isTabEnabled(page) && tabs->widget(page)->isEnabled();
        return enabled;
    }
    // Memory n as its controls show it: memory button and its tooltip, run button, note, repeat
    // box, and the entries.
    QString shown(int n)
    {
        auto* memoryButton = find<QPushButton>("cmdF", n);
        return QStringList{memoryButton->text(),
                           memoryButton->toolTip(),
                           find<QPushButton>("cmdCommand", n)->text(),
                           find<QPlainTextEdit>("txtCommandDescript", n)->toPlainText(),
                           find<QCheckBox>("chkCommandRepeat", n)->isChecked() ? "repeat" : "once",
                           rows(find<QTreeView>("lvwCommand", n), false).mid(1).join(u';')}
            .join(" ~ ");
    }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<frmMain> m_window;
};

QTEST_MAIN(tst_frmMainQuickDial)
#include "tst_frmmainquickdial.moc"
