// The quick-dial memories of the real main window: cmdSave and its checks, the get, save and delete
// modes and the blinking of cmdF1..cmdF8, the default set at start and exit, the file buttons and
// the viewer of a memory's commands.
#include "ModalAnswer.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "frmCommandList.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

// Memory 2 of the worked example, memory 3 saved empty, memory 4 without its Repeat key, memory 6
// repeated; the keys of the other memories are missing.
const QByteArray storedSet =
    "[SETTINGS]\r\nOwner=kept\r\nRepeat2=0\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"
    "Descript2=Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#\r\n"
    "Label2=Start-Stop\r\nNote2=Start, wait 5 s, stop\r\nRepeat3=\r\nCommand3=\r\nDescript3=\r\nLabel3=\r\n"
    "Note3=\r\nCommand4=\r\nDescript4=\r\nLabel4=\r\nNote4=\r\n"
    "Repeat6=1\r\nCommand6=GM\r\nDescript6=\r\nLabel6=Poll\r\nNote6=\r\n";

const QList<ScriptEntry> twoEntries{{"SM 1", "start"}, {"GM", ""}};

// The viewer's title, button, headers and rows "command|description", and whether every cell fits
// its column.
QString look(frmCommandList* viewer)
{
    auto* list = control<QTreeView>(viewer, "lstCommands");
    const QAbstractItemModel* model = list->model();
    QStringList seen{viewer->windowTitle(), control<QPushButton>(viewer, "cmdQuit")->text()};
    bool fits = true;
    for (int row = -1; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 2; ++column) {
            const QVariant cell =
                row < 0 ? model->headerData(column, Qt::Horizontal) : model->index(row, column).data();
            cells << cell.toString();
            fits = fits &&
                   list->header()->sectionSize(column) >= list->fontMetrics().horizontalAdvance(cells.last());
        }
        seen << cells.join(u'|');
    }
    return seen.join(" ~ ") + (fits ? " ~ fits" : " ~ cut");
}

} // namespace

class tst_frmMainQuickDial : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { m_window.reset(); }
    void saveChecks_data();
    void saveChecks();
    void saveGetDelete_data();
    void saveGetDelete();
    void modesTogether_data();
    void modesTogether();
    void blinking_data();
    void blinking();
    void startupLoadsDefaultSet_data();
    void startupLoadsDefaultSet();
    void shutdownSavesDefaultSet();
    void fileButtons_data();
    void fileButtons();
    void viewer();

private:
    // A main window on the given tab over a data folder of its own whose default set is storedSet.
    void start(int language = 0, int tab = 2)
    {
        // The previous folder first: its end unsets the data folder of the next one.
        m_window.reset();
        m_data.reset();
        m_data = std::make_unique<TempDataFolder>();
        m_data->writeSetup(
            {{"Connect", "0"}, {"Language", QString::number(language)}, {"SelTab", QString::number(tab)}});
        writeBytes(defaultSet(), storedSet);
        m_window = std::make_unique<frmMain>();
        m_window->show();
    }
    QString defaultSet() const { return m_data->path() + "DefaultCommandSet.cfg"; }
    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    template <typename T> T* find(const char* prefix, int n)
    {
        return control<T>(m_window.get(), qPrintable(prefix + QString::number(n)));
    }
    QString modes() const
    {
        return QString(m_window->SaveMode ? "S" : "-") + (m_window->GetMode ? "G" : "-") +
               (m_window->DeleteMode ? "D" : "-");
    }
    void setLanguage(int index) { find<QComboBox>("cboLanguage")->setCurrentIndex(index); }
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
    // box, and the entries "command|description" joined by ";".
    QString shown(int n)
    {
        auto* memoryButton = find<QPushButton>("cmdF", n);
        const auto* entries = find<QTreeView>("lvwCommand", n)->model();
        QStringList commands;
        for (int row = 0; row < entries->rowCount(); ++row)
            commands << entries->index(row, 0).data().toString() + u'|' +
                            entries->index(row, 1).data().toString();
        return QStringList{memoryButton->text(),
                           memoryButton->toolTip(),
                           find<QPushButton>("cmdCommand", n)->text(),
                           find<QPlainTextEdit>("txtCommandDescript", n)->toPlainText(),
                           find<QCheckBox>("chkCommandRepeat", n)->isChecked() ? "repeat" : "once",
                           commands.join(u';')}
            .join(" ~ ");
    }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<frmMain> m_window;
};

void tst_frmMainQuickDial::saveChecks_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("saveMode");
    QTest::addColumn<QString>("message"); // title: text
    QTest::addColumn<QString>("focus");
    const auto row = [](const char* name, int language, int entries, const char* note, const char* label,
                        bool saveMode, const char* message, const char* focus) {
        QTest::newRow(name) << language << entries << QString(note) << QString(label) << saveMode
                            << QString(message) << QString(focus);
    };
    const char* noCommand =
        "Kein Befehl vorhanden: Sie müssen mindestens einen Befehl in die Liste hinzufügen!";
    row("no command", 0, 0, "n", "l", false, noCommand, "lstCommands");
    row("no description, save mode on", 0, 1, "", "l", true,
        "Beschreibungstext fehlt: Sie müssen einen Beschreibungstext zu den erstellten Befehlen eingeben!",
        "txtNote");
    row("no caption", 0, 1, "n", "", false,
        "Bezeichnung fehlt: Sie müssen eine Bezeichnung zu den erstellten Befehlen eingeben!", "txtLabel");
    row("all missing: the first check speaks", 0, 0, "", "", true, noCommand, "lstCommands");
    row("English", 1, 1, "", "", false,
        "Missing description text : You must enter a description text for the created commands!", "txtNote");
}

void tst_frmMainQuickDial::saveChecks()
{
    QFETCH(int, language);
    QFETCH(int, entries);
    QFETCH(bool, saveMode);
    QFETCH(QString, note);
    QFETCH(QString, label);
    start(language);
    fillEditor(twoEntries.mid(0, entries), label, note);
    m_window->SaveMode = saveMode;
    m_window->DeleteMode = true;
    find<QWidget>("cmdSave")->setFocus();
    ModalAnswer<QMessageBox> answer([](QMessageBox* box) {
        QTEST(box->windowTitle() + ": " + box->text(), "message");
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    find<QPushButton>("cmdSave")->click();
    QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
    QCOMPARE(modes(), saveMode ? "S-D" : "--D");
    QTEST(m_window->focusWidget()->objectName(), "focus");
}

void tst_frmMainQuickDial::saveGetDelete_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("question"); // title: text
    QTest::addColumn<QString>("empty");
    QTest::newRow("German")
        << 0 << "Bezeichnung"
        << "Löschen: Möchten Sie den Befehlsablauf des Speicherplatzes [F5] wirklich löschen?"
        << "[Leer]";
    QTest::newRow("English") << 1 << "Caption"
                             << "Delete: Do you really want to delete quick dial memory [F5] ?"
                             << "[Empty]";
}

void tst_frmMainQuickDial::saveGetDelete()
{
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, empty);
    start(language);
    QList<ScriptEntry> script; // longer than 254 entries, kept whole
    for (int i = 1; i <= 300; ++i)
        script.append({QStringLiteral("SP %1").arg(i), QStringLiteral("step %1").arg(i)});
    find<QCheckBox>("chkCommandRepeat", 5)->setChecked(true);
    fillEditor(script, "Pressure check", "Checks the pressure");
    find<QPushButton>("cmdSave")->click();
    QCOMPARE(modes(), "S--");
    clickMemoryButton(5);
    QCOMPARE(modes(), "---");
    const QString stored =
        "Pressure c... ~ " + caption + ": Pressure check ~ Pressure check ~ Checks the pressure ~ repeat ~ ";
    QVERIFY(shown(5).startsWith(stored + "SP 1|step 1;SP 2|step 2;"));
    QCOMPARE(m_window->Memories->entries(5)->entries(), script);
    // The editor keeps its script and stays on show; the tooltip keeps the language of the save.
    QCOMPARE(m_window->EditedScript()->entries(), script);
    QCOMPARE(find<QTabWidget>("SSTab1")->currentIndex(), 2);
    setLanguage(1 - language);
    QVERIFY(shown(5).startsWith(stored));
    setLanguage(language);

    fillEditor({}, "", "");
    find<QPushButton>("cmdGetCommand")->click();
    find<QPushButton>("cmdF", 5)->click();
    QCOMPARE(modes(), "---");
    QCOMPARE(m_window->EditedScript()->entries(), script);
    QCOMPARE(find<QLineEdit>("txtLabel")->text() + find<QPlainTextEdit>("txtNote")->toPlainText(),
             "Pressure checkChecks the pressure");
    QVERIFY(!find<QPushButton>("cmdF", 5)->isEnabled());
    // The editor's buttons follow the new script at once.
    QVERIFY(find<QPushButton>("cmdDeleteCommand")->isEnabled());

    find<QPushButton>("cmdDeleteScript")->click();
    bool othersDisabled = false;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        QTEST(box->windowTitle() + ": " + box->text(), "question");
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        // The tab on show stays while the memory operation disables the others.
        othersDisabled = find<QTabWidget>("SSTab1")->currentIndex() == 2 && !controlsEnabled();
        box->button(QMessageBox::Yes)->click();
    });
    clickMemoryButton(5);
    QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected && othersDisabled);
    QCOMPARE(modes(), "---");
    QCOMPARE(shown(5), empty + " ~  ~  ~  ~ repeat ~ ");
    QVERIFY(controlsEnabled());

    // The get of an empty memory: its run button's caption, no entries.
    for (const auto& [n, label] : {std::pair{5, QString()}, {3, empty}}) {
        fillEditor(twoEntries, "old", "old");
        find<QPushButton>("cmdGetCommand")->click();
        find<QPushButton>("cmdF", n)->click();
        QCOMPARE(find<QLineEdit>("txtLabel")->text(), label);
        QCOMPARE(m_window->EditedScript()->count(), 0);
        QVERIFY(!find<QPushButton>("cmdCommandTest")->isEnabled());
    }
}

// Mode buttons clicked in turn (or the quick-dial tab shown, or "no" as the answer to the delete
// question), the modes then, what a click on memory button 6 does, and the modes after it.
void tst_frmMainQuickDial::modesTogether_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* clicks, const char* before, const char* done, const char* after) {
        QTest::newRow(clicks) << QString(clicks) << QString(before) << QString(done) << QString(after);
    };
    row("save get", "-G-", "get", "---");
    row("get save", "S--", "save", "---");
    row("delete save", "S-D", "save", "--D");
    row("get delete", "-GD", "get", "--D");
    row("save save", "---", "nothing", "---");
    row("delete delete delete", "--D", "delete", "---");
    row("delete no", "--D", "nothing", "---");
    row("get delete tab3", "-GD", "get", "---");
}

void tst_frmMainQuickDial::modesTogether()
{
    QFETCH(QString, clicks);
    QFETCH(QString, done);
    start();
    const QList<ScriptEntry> stored{{"GM", "stored"}};
    m_window->Memories->store(6, "Six", "note 6", stored);
    fillEditor(twoEntries, "Edited", "edited note");
    for (const QString& click : clicks.split(u' ')) {
        if (click == "tab3")
            find<QTabWidget>("SSTab1")->setCurrentIndex(3);
        else if (click != "no")
            find<QPushButton>(click == "save"  ? "cmdSave"
                              : click == "get" ? "cmdGetCommand"
                                               : "cmdDeleteScript")
                ->click();
    }
    QTEST(modes(), "before");

    const bool no = clicks.endsWith("no");
    ModalAnswer<QMessageBox> answer(
        [no](QMessageBox* box) { box->button(no ? QMessageBox::No : QMessageBox::Yes)->click(); });
    clickMemoryButton(6);
    QTEST(modes(), "after");
    QCOMPARE(answer.shown, done == "delete" || no);
    QVERIFY(controlsEnabled());
    const QList<ScriptEntry> memory = m_window->Memories->entries(6)->entries();
    const QList<ScriptEntry> editor = m_window->EditedScript()->entries();
    QCOMPARE(memory, done == "delete" ? QList<ScriptEntry>() : done == "save" ? twoEntries : stored);
    QCOMPARE(editor, done == "get" ? stored : twoEntries);
    // The get brings the editor's tab back.
    QCOMPARE(find<QTabWidget>("SSTab1")->currentIndex(), 2);
}

void tst_frmMainQuickDial::blinking_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("endTab"); // -1: the mode's button clicked again
    QTest::addColumn<bool>("ended");
    QTest::newRow("cmdSave, clicked again") << QByteArray("cmdSave") << -1 << true;
    QTest::newRow("cmdGetCommand, general tab") << QByteArray("cmdGetCommand") << 0 << true;
    QTest::newRow("cmdDeleteScript, command line tab") << QByteArray("cmdDeleteScript") << 1 << true;
    QTest::newRow("cmdSave, quick-dial tab") << QByteArray("cmdSave") << 3 << false;
}

void tst_frmMainQuickDial::blinking()
{
    QFETCH(QByteArray, mode);
    QFETCH(int, endTab);
    QFETCH(bool, ended);
    start();
    fillEditor(twoEntries, "label", "note");
    const QRgb plain =
        find<QPushButton>("cmdQuit")->palette().color(QPalette::Active, QPalette::Button).rgb();
    // Colour ("g" green, "p" plain) and enabling ("+", "-") of the eight memory buttons.
    const auto buttons = [&] {
        QString text;
        for (int n = 1; n <= QuickDialMemories::Count; ++n) {
            const QPushButton* button = find<QPushButton>("cmdF", n);
            const QRgb colour = button->palette().color(QPalette::Active, QPalette::Button).rgb();
            text += QString(colour == qRgb(0, 255, 0) ? "g"
                            : colour == plain         ? "p"
                                                      : "?") +
                    (button->isEnabled() ? "+" : "-");
        }
        return text;
    };
    QCOMPARE(buttons(), QString("p-").repeated(8));
    find<QPushButton>(mode.constData())->click();
    QStringList ticks;
    for (int tick = 0; tick < 5; ++tick) {
        if (tick == 3) {
            if (endTab < 0)
                find<QPushButton>(mode.constData())->click();
            else
                find<QTabWidget>("SSTab1")->setCurrentIndex(endTab);
        }
        m_window->timTimer_Timer();
        const QString now = buttons();
        ticks << (now == now.left(2).repeated(8) ? now.left(2) : now);
    }
    QCOMPARE(ticks, QStringList({"g+", "p+", "g+", ended ? "p-" : "p+", ended ? "p-" : "g+"}));
    // And the timer itself does the same.
    QTRY_COMPARE(buttons(), ticks.last().repeated(8));
}

void tst_frmMainQuickDial::startupLoadsDefaultSet_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("memories"); // 2, 3, 4 and 6
    const QString entries2 =
        "SM 1|Messbetrieb starten (SM 1);<WAIT_TIME=5>|* Verweilzeit einfügen (kein Gerätebefehl);SM 0|";
    for (const int language : {0, 1}) {
        const QString caption = language == 0 ? "Bezeichnung: " : "Caption: ";
        const QString empty = language == 0 ? "[Leer]" : "[Empty]";
        QTest::addRow("language %d", language)
            << language
            << QStringList{"Start-Stop... ~ " + caption +
                               "Start-Stop ~ Start-Stop ~ Start, wait 5 s, stop ~ once ~ " + entries2,
                           empty + " ~  ~ " + empty + " ~  ~ once ~ ",
                           "... ~ " + caption + " ~  ~  ~ once ~ ",
                           "Poll... ~ " + caption + "Poll ~ Poll ~  ~ repeat ~ GM|"};
    }
}

void tst_frmMainQuickDial::startupLoadsDefaultSet()
{
    QFETCH(int, language);
    start(language, 3);
    QTEST((QStringList{shown(2), shown(3), shown(4), shown(6)}), "memories");
}

void tst_frmMainQuickDial::shutdownSavesDefaultSet()
{
    start();
    m_window->Memories->store(7, "Query", "Asks twice\nwith a pause",
                              {{"GM", "first"}, {"<WAIT_TIME=1>", ""}, {"GM", "second"}});
    find<QCheckBox>("chkCommandRepeat", 7)->setChecked(true);
    find<QCheckBox>("chkCommandRepeat", 2)->setChecked(true);
    m_window->close();

    // Keys changed where they are, foreign keys kept, missing keys appended in order.
    const QByteArray saved = fileBytes(defaultSet());
    QVERIFY(
        saved.startsWith("[SETTINGS]\r\nOwner=kept\r\nRepeat2=1\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"));
    QVERIFY(
        saved.endsWith("Note6=\r\nRepeat1=\r\nCommand1=\r\nDescript1=\r\nLabel1=\r\nNote1=\r\nRepeat4=\r\n"
                       "Repeat5=\r\nCommand5=\r\nDescript5=\r\nLabel5=\r\nNote5=\r\n"
                       "Repeat7=1\r\nCommand7=GM#<WAIT_TIME=1>#GM\r\nDescript7=first##second\r\n"
                       "Label7=Query\r\nNote7=Asks twice with a pause\r\nRepeat8=\r\n"
                       "Command8=\r\nDescript8=\r\nLabel8=\r\nNote8=\r\n"));
    QCOMPARE(saved.count("\r\n"), 2 + 40);
}

void tst_frmMainQuickDial::fileButtons_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("texts"); // title | filter | proposed name
    QTest::addColumn<bool>("accept");
    const auto row = [](const char* name, const char* button, int language, const char* texts, bool accept) {
        QTest::newRow(name) << QByteArray(button) << language << QString(texts) << accept;
    };
    const char* saveGerman = "Befehls-Konfigurationsdatei speichern... | Befehls-Konfigurationsdatei (*.cfg) "
                             "| Benutzerdefiniert.cfg";
    row("save, German", "cmdSaveConfig", 0, saveGerman, true);
    row("save, English", "cmdSaveConfig", 1,
        "Save command configuration file... | Ccommand configuration file (*.cfg) | User defined.cfg", true);
    row("load, English", "cmdLoadConfig", 1,
        "Load command configuration file... | Ccommand configuration file (*.cfg) | ", true);
    row("save cancelled", "cmdSaveConfig", 0, saveGerman, false);
    row("load cancelled", "cmdLoadConfig", 0,
        "Befehls-Konfigurationsdatei laden... | Befehls-Konfigurationsdatei (*.cfg) | ", false);
}

void tst_frmMainQuickDial::fileButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(int, language);
    QFETCH(bool, accept);
    const bool save = button == "cmdSaveConfig";
    start(language, 3);
    QTemporaryDir elsewhere;
    const QString file = elsewhere.filePath("other set.cfg");
    const QByteArray other =
        "[Other]\r\nA=1\r\n[SETTINGS]\r\nRepeat2=\r\nCommand2=\r\nRepeat5=1\r\nCommand5=SP 1 3#GM\r\n"
        "Descript5=Set measurement program (SP)#Get production mode status (GM)\r\nLabel5=Program 3\r\n";
    writeBytes(file, other);
    auto* editor = find<QTreeView>("lstCommands");
    const QString wide = "XC 1 a command much wider than its header";
    m_window->AddScriptEntry(wide, QString());
    editor->header()->resizeSection(0, 5);
    const QString before = shown(2) + shown(5);

    ModalAnswer<QFileDialog> answer([&](QFileDialog* dialog) {
        QCOMPARE(dialog->objectName(), "CommonDialog");
        QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(dialog->directory().absolutePath() + u'/', modGlobal::DataFolder);
        const QString proposed = save ? QFileInfo(dialog->selectedFiles().value(0)).fileName() : QString();
        QTEST(dialog->windowTitle() + " | " + dialog->selectedNameFilter() + " | " + proposed, "texts");
        if (!accept)
            return dialog->reject();
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(find<QPushButton>(button.constData()), Qt::LeftButton);
    // No question before an existing file is changed.
    QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);

    QCOMPARE(fileBytes(defaultSet()), storedSet);
    const QByteArray after = fileBytes(file);
    if (!save || !accept)
        QCOMPARE(after, other);
    if (!accept) {
        QCOMPARE(shown(2) + shown(5), before);
    } else if (save) {
        // Only the set's keys change.
        QVERIFY(after.startsWith(
            "[Other]\r\nA=1\r\n[SETTINGS]\r\nRepeat2=0\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"
            "Repeat5=\r\nCommand5=\r\nDescript5=\r\nLabel5=\r\n"));
        QCOMPARE(after.count("\r\n"), 3 + 40);
    } else {
        QCOMPARE(shown(2) + shown(5),
                 "[Empty] ~  ~ [Empty] ~  ~ once ~ Program 3... ~ Caption: Program 3 ~ Program 3 "
                 "~  ~ repeat ~ SP 1 3|Set measurement program (SP);GM|Get production mode status (GM)");
        // The editor keeps its script; its columns are fitted again.
        QCOMPARE(editor->model()->rowCount(), 1);
        QVERIFY(editor->header()->sectionSize(0) > editor->fontMetrics().horizontalAdvance(wide));
    }
}

void tst_frmMainQuickDial::viewer()
{
    start(1, 3);
    m_window->Memories->store(7, "Three", "note",
                              {{"SM 1", "Start production mode (SM 1)"},
                               {"<WAIT_TIME=5>", ""},
                               {"XC 1 a long device command parameter", "last"}});
    m_window->Memories->store(5, "Gone", "note", {{"GM", ""}});
    m_window->Memories->erase(5);
    // Twice in a row a fresh viewer; nothing for memories loaded as empty, loaded as used without
    // entries, or deleted.
    for (const int n : {7, 7, 3, 4, 5}) {
        QString seen;
        ModalAnswer<frmCommandList> answer([&](frmCommandList* viewer) {
            seen = look(viewer);
            control<QPushButton>(viewer, "cmdQuit")->click();
        });
        QTest::mouseDClick(find<QPlainTextEdit>("txtCommandDescript", n)->viewport(), Qt::LeftButton);
        QVERIFY(!answer.leftOpen && !answer.unexpected);
        QCOMPARE(seen, n != 7
                           ? QString()
                           : "Show command script ~ Quit ~ Command|Description ~ SM 1|Start production mode "
                             "(SM 1) ~ <WAIT_TIME=5>| ~ XC 1 a long device command parameter|last ~ fits");
    }
}

QTEST_MAIN(tst_frmMainQuickDial)
#include "tst_frmmainquickdial.moc"
