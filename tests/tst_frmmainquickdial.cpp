// The memory modes of the real main window: cmdSave and its checks, get, save and delete through the
// memory buttons, what the memories then show, and the blinking of cmdF1..cmdF8 while a mode is on.
#include "ModalAnswer.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

const QList<ScriptEntry> pressureScript{{"SM 1", "start"}, {"GM", ""}};

struct Modes
{
    bool save;
    bool get;
    bool remove;
    friend bool operator==(const Modes&, const Modes&) = default;
};

char* toString(const Modes& m)
{
    return qstrdup(QByteArray("save ") + (m.save ? "on" : "off") + ", get " + (m.get ? "on" : "off") +
                   ", delete " + (m.remove ? "on" : "off"));
}

} // namespace

Q_DECLARE_METATYPE(Modes)

class tst_frmMainQuickDial : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveChecks_data();
    void saveChecks();
    void saveGetDelete_data();
    void saveGetDelete();
    void getShowsRunButtonCaption_data();
    void getShowsRunButtonCaption();
    void getFromQuickDialTab();
    void deleteAnsweredNo();
    void modesTogether_data();
    void modesTogether();
    void blinking_data();
    void blinking();
    void longScriptStoredWhole();

private:
    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    QPushButton* numberedButton(const char* prefix, int n)
    {
        return find<QPushButton>(qPrintable(QLatin1String(prefix) + QString::number(n)));
    }
    Modes modes() const { return {m_window->SaveMode, m_window->GetMode, m_window->DeleteMode}; }
    void setLanguage(int index) { find<QComboBox>("cboLanguage")->setCurrentIndex(index); }
    void fillEditor(const QList<ScriptEntry>& entries, const QString& label, const QString& note);
    // A click on memory button n as the user makes it: the buttons are usable once the timer has
    // ticked with a mode on.
    void clickMemoryButton(int n);

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<frmMain> m_window;
};

void tst_frmMainQuickDial::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_data->writeSetup({{"Connect", "0"}, {"SelTab", "2"}, {"Language", "0"}});
    // A set whose memory 8 was saved empty; the others are missing and load as used, without entries.
    modTools::WriteIniString(QStringLiteral("SETTINGS"), QStringLiteral("Repeat8"), QString(),
                             m_data->path() + QLatin1String("DefaultCommandSet.cfg"));
    m_window = std::make_unique<frmMain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_frmMainQuickDial::cleanup()
{
    m_window.reset();
    m_data.reset();
}

void tst_frmMainQuickDial::fillEditor(const QList<ScriptEntry>& entries, const QString& label,
                                      const QString& note)
{
    m_window->EditedScript()->replaceAll(entries);
    find<QLineEdit>("txtLabel")->setText(label);
    find<QPlainTextEdit>("txtNote")->setPlainText(note);
}

void tst_frmMainQuickDial::clickMemoryButton(int n)
{
    m_window->timTimer_Timer();
    numberedButton("cmdF", n)->click();
}

void tst_frmMainQuickDial::saveChecks_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("saveModeBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("focus");
    const QString noCommand = QStringLiteral("Sie müssen mindestens einen Befehl in die Liste hinzufügen!");
    const QString noNote =
        QStringLiteral("Sie müssen einen Beschreibungstext zu den erstellten Befehlen eingeben!");
    const QString noLabel =
        QStringLiteral("Sie müssen eine Bezeichnung zu den erstellten Befehlen eingeben!");
    for (const bool before : {false, true}) {
        const char* mode = before ? "save mode on" : "save mode off";
        QTest::addRow("no command, %s", mode) << 0 << 0 << "n"
                                              << "l" << before << noCommand << "Kein Befehl vorhanden"
                                              << "lstCommands";
        QTest::addRow("no description, %s", mode) << 0 << 1 << ""
                                                  << "l" << before << noNote << "Beschreibungstext fehlt"
                                                  << "txtNote";
        QTest::addRow("no caption, %s", mode) << 0 << 1 << "n"
                                              << "" << before << noLabel << "Bezeichnung fehlt"
                                              << "txtLabel";
    }
    QTest::newRow("all missing: the first check speaks")
        << 0 << 0 << ""
        << "" << false << noCommand << "Kein Befehl vorhanden"
        << "lstCommands";
    QTest::newRow("English") << 1 << 1 << ""
                             << "" << false << "You must enter a description text for the created commands!"
                             << "Missing description text "
                             << "txtNote";
}

void tst_frmMainQuickDial::saveChecks()
{
    QFETCH(int, language);
    QFETCH(int, entries);
    QFETCH(QString, note);
    QFETCH(QString, label);
    QFETCH(bool, saveModeBefore);
    QFETCH(QString, focus);
    setLanguage(language);
    fillEditor(pressureScript.mid(0, entries), label, note);
    m_window->SaveMode = saveModeBefore;
    m_window->DeleteMode = true;
    find<QWidget>("cmdSave")->setFocus();

    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    find<QPushButton>("cmdSave")->click();

    QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
    QTEST(text, "text");
    QTEST(title, "title");
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(modes(), (Modes{saveModeBefore, false, true}));
    QCOMPARE(m_window->focusWidget()->objectName(), focus);
}

void tst_frmMainQuickDial::saveGetDelete_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("questionTitle");
    QTest::addColumn<QString>("empty");
    QTest::newRow("German") << 0 << "Bezeichnung: Pressure check"
                            << "Möchten Sie den Befehlsablauf des Speicherplatzes [F3] wirklich löschen?"
                            << "Löschen"
                            << "[Leer]";
    QTest::newRow("English") << 1 << "Caption: Pressure check"
                             << "Do you really want to delete quick dial memory [F3] ?"
                             << "Delete"
                             << "[Empty]";
}

void tst_frmMainQuickDial::saveGetDelete()
{
    QFETCH(int, language);
    setLanguage(language);
    auto* repeat3 = find<QCheckBox>("chkCommandRepeat3");
    repeat3->setChecked(true);

    fillEditor(pressureScript, QStringLiteral("Pressure check"), QStringLiteral("Checks the pressure"));
    find<QPushButton>("cmdSave")->click();
    QCOMPARE(modes(), (Modes{true, false, false}));
    clickMemoryButton(3);
    QCOMPARE(modes(), (Modes{false, false, false}));
    QCOMPARE(numberedButton("cmdF", 3)->text(), QStringLiteral("Pressure c..."));
    QTEST(numberedButton("cmdF", 3)->toolTip(), "toolTip");
    QCOMPARE(numberedButton("cmdCommand", 3)->text(), QStringLiteral("Pressure check"));
    QCOMPARE(find<QPlainTextEdit>("txtCommandDescript3")->toPlainText(),
             QStringLiteral("Checks the pressure"));
    QCOMPARE(m_window->Memories->entries(3)->entries(), pressureScript);
    QCOMPARE(find<QTreeView>("lvwCommand3")->model()->rowCount(), 2);
    QVERIFY(repeat3->isChecked());
    // The editor keeps its script, and its tab stays on show.
    QCOMPARE(m_window->EditedScript()->entries(), pressureScript);
    QCOMPARE(find<QTabWidget>("SSTab1")->currentIndex(), 2);

    // The tooltip stays in the language of the save.
    setLanguage(1 - language);
    QTEST(numberedButton("cmdF", 3)->toolTip(), "toolTip");

    fillEditor({}, QString(), QString());
    m_window->UpdateEditButtons();
    QVERIFY(!find<QPushButton>("cmdDeleteCommand")->isEnabled());
    find<QPushButton>("cmdGetCommand")->click();
    QVERIFY(numberedButton("cmdF", 3)->isEnabled());
    numberedButton("cmdF", 3)->click();
    QCOMPARE(modes(), (Modes{false, false, false}));
    QCOMPARE(m_window->EditedScript()->entries(), pressureScript);
    QCOMPARE(find<QLineEdit>("txtLabel")->text(), QStringLiteral("Pressure check"));
    QCOMPARE(find<QPlainTextEdit>("txtNote")->toPlainText(), QStringLiteral("Checks the pressure"));
    QVERIFY(!numberedButton("cmdF", 3)->isEnabled());
    // The editor's buttons follow the new script at once.
    QVERIFY(find<QPushButton>("cmdDeleteCommand")->isEnabled());

    setLanguage(language);
    find<QPushButton>("cmdDeleteScript")->click();
    QString question;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int shownTab = -1;
    bool controlsDisabled = false;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        question = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        shownTab = find<QTabWidget>("SSTab1")->currentIndex();
        controlsDisabled = !find<QTabWidget>("SSTab1")->isTabEnabled(0) &&
                           !find<QPushButton>("cmdLoadConfig")->isEnabled() &&
                           !find<QWidget>("cmdF3")->isEnabled();
        box->button(QMessageBox::Yes)->click();
    });
    clickMemoryButton(3);
    QVERIFY(answer.shown && !answer.leftOpen && !answer.unexpected);
    QTEST(question, "question");
    QTEST(title, "questionTitle");
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    // The tab on show stays while the memory operation disables the others.
    QCOMPARE(shownTab, 2);
    QVERIFY(controlsDisabled);
    QCOMPARE(modes(), (Modes{false, false, false}));
    QTEST(numberedButton("cmdF", 3)->text(), "empty");
    QCOMPARE(numberedButton("cmdF", 3)->toolTip(), QString());
    QCOMPARE(numberedButton("cmdCommand", 3)->text(), QString());
    QCOMPARE(find<QPlainTextEdit>("txtCommandDescript3")->toPlainText(), QString());
    QCOMPARE(m_window->Memories->entries(3)->count(), 0);
    QVERIFY(repeat3->isChecked());
    QVERIFY(find<QTabWidget>("SSTab1")->isTabEnabled(0));
    QVERIFY(find<QPushButton>("cmdLoadConfig")->isEnabled());
}

void tst_frmMainQuickDial::getShowsRunButtonCaption_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("label");
    QTest::newRow("loaded as empty") << false << "[Leer]";
    QTest::newRow("deleted") << true << "";
}

void tst_frmMainQuickDial::getShowsRunButtonCaption()
{
    QFETCH(bool, deleted);
    if (deleted)
        m_window->Memories->erase(8);
    QCOMPARE(m_window->Memories->entries(8)->count(), 0);
    fillEditor(pressureScript, QStringLiteral("old"), QStringLiteral("old"));
    find<QPushButton>("cmdGetCommand")->click();
    numberedButton("cmdF", 8)->click();
    QTEST(find<QLineEdit>("txtLabel")->text(), "label");
    QCOMPARE(m_window->EditedScript()->count(), 0);
    QVERIFY(!find<QPushButton>("cmdCommandTest")->isEnabled());
}

void tst_frmMainQuickDial::getFromQuickDialTab()
{
    m_window->Memories->store(4, QStringLiteral("Four"), QStringLiteral("note 4"), pressureScript);
    find<QPushButton>("cmdGetCommand")->click();
    find<QPushButton>("cmdDeleteScript")->click();
    auto* tabs = find<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(3);
    QCOMPARE(modes(), (Modes{false, true, true}));
    // A run button or key there carries out the mode; the get brings the editor's tab back.
    m_window->ApplyMemory(4);
    QCOMPARE(tabs->currentIndex(), 2);
    QVERIFY(tabs->isTabEnabled(2) && tabs->widget(2)->isEnabled());
    QCOMPARE(m_window->EditedScript()->entries(), pressureScript);
    // Leaving the quick-dial tab ended the delete mode too.
    QCOMPARE(modes(), (Modes{false, false, false}));
    QCOMPARE(m_window->Memories->entries(4)->entries(), pressureScript);
}

void tst_frmMainQuickDial::deleteAnsweredNo()
{
    m_window->Memories->store(5, QStringLiteral("Five"), QStringLiteral("note 5"), pressureScript);
    find<QPushButton>("cmdDeleteScript")->click();
    ModalAnswer<QMessageBox> answer([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    clickMemoryButton(5);
    QVERIFY(answer.shown && !answer.unexpected);
    QCOMPARE(modes(), (Modes{false, false, false}));
    QCOMPARE(m_window->Memories->entries(5)->entries(), pressureScript);
    QCOMPARE(numberedButton("cmdF", 5)->text(), QStringLiteral("Five..."));
    QCOMPARE(numberedButton("cmdCommand", 5)->text(), QStringLiteral("Five"));
    QVERIFY(!m_window->scriptBusy);
    auto* tabs = find<QTabWidget>("SSTab1");
    for (int page = 0; page <= 2; ++page)
        QVERIFY(tabs->isTabEnabled(page) && tabs->widget(page)->isEnabled());
    QVERIFY(find<QPushButton>("cmdLoadConfig")->isEnabled() &&
            find<QPushButton>("cmdSaveConfig")->isEnabled());
    for (int n = 1; n <= QuickDialMemories::Count; ++n)
        QVERIFY(numberedButton("cmdCommand", n)->isEnabled());
}

void tst_frmMainQuickDial::modesTogether_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<Modes>("before");
    QTest::addColumn<QString>("done");
    QTest::addColumn<Modes>("after");
    QTest::newRow("save, then get") << QStringList{"save", "get"} << Modes{false, true, false} << "get"
                                    << Modes{false, false, false};
    QTest::newRow("get, then save") << QStringList{"get", "save"} << Modes{true, false, false} << "save"
                                    << Modes{false, false, false};
    QTest::newRow("delete and save: save first")
        << QStringList{"delete", "save"} << Modes{true, false, true} << "save" << Modes{false, false, true};
    QTest::newRow("delete and get: get first")
        << QStringList{"get", "delete"} << Modes{false, true, true} << "get" << Modes{false, false, true};
    QTest::newRow("save twice") << QStringList{"save", "save"} << Modes{false, false, false} << "nothing"
                                << Modes{false, false, false};
    QTest::newRow("delete twice, then delete")
        << QStringList{"delete", "delete", "delete"} << Modes{false, false, true} << "delete"
        << Modes{false, false, false};
}

void tst_frmMainQuickDial::modesTogether()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, done);
    const QList<ScriptEntry> stored{{"GM", "stored"}};
    m_window->Memories->store(6, QStringLiteral("Six"), QStringLiteral("note 6"), stored);
    fillEditor(pressureScript, QStringLiteral("Edited"), QStringLiteral("edited note"));
    for (const QString& click : clicks) {
        const char* button = click == QLatin1String("save")  ? "cmdSave"
                             : click == QLatin1String("get") ? "cmdGetCommand"
                                                             : "cmdDeleteScript";
        find<QPushButton>(button)->click();
    }
    QTEST(modes(), "before");

    ModalAnswer<QMessageBox> answer([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    clickMemoryButton(6);
    QTEST(modes(), "after");
    QCOMPARE(answer.shown, done == QLatin1String("delete"));
    const QList<ScriptEntry> memory = m_window->Memories->entries(6)->entries();
    const QList<ScriptEntry> editor = m_window->EditedScript()->entries();
    if (done == QLatin1String("save"))
        QVERIFY(memory == pressureScript && editor == pressureScript);
    else if (done == QLatin1String("get"))
        QVERIFY(memory == stored && editor == stored);
    else if (done == QLatin1String("delete"))
        QVERIFY(memory.isEmpty() && editor == pressureScript);
    else
        QVERIFY(memory == stored && editor == pressureScript);
}

void tst_frmMainQuickDial::blinking_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("ended");
    for (const char* mode : {"cmdSave", "cmdGetCommand", "cmdDeleteScript"}) {
        QTest::addRow("%s, clicked again", mode) << mode << "click" << true;
        QTest::addRow("%s, general tab", mode) << mode << "tab 0" << true;
    }
    QTest::newRow("cmdSave, quick-dial tab") << "cmdSave"
                                             << "tab 3" << false;
}

void tst_frmMainQuickDial::blinking()
{
    QFETCH(QString, mode);
    QFETCH(QString, end);
    QFETCH(bool, ended);
    fillEditor(pressureScript, QStringLiteral("label"), QStringLiteral("note"));
    const QColor plain = find<QPushButton>("cmdQuit")->palette().color(QPalette::Active, QPalette::Button);
    const QColor green = QColor::fromRgb(0x00ff00);
    // "green", "plain" or "mixed", and whether all eight are enabled ("+"), none ("-") or some.
    const auto memoryButtons = [&] {
        QSet<QRgb> colours;
        QSet<bool> enabled;
        for (int n = 1; n <= QuickDialMemories::Count; ++n) {
            colours.insert(
                numberedButton("cmdF", n)->palette().color(QPalette::Active, QPalette::Button).rgb());
            enabled.insert(numberedButton("cmdF", n)->isEnabled());
        }
        const QString colour = colours.size() != 1               ? "mixed"
                               : *colours.begin() == green.rgb() ? "green"
                               : *colours.begin() == plain.rgb() ? "plain"
                                                                 : "other";
        return colour + (enabled.size() != 1 ? "?" : *enabled.begin() ? "+" : "-");
    };
    QCOMPARE(memoryButtons(), QStringLiteral("plain-"));

    find<QPushButton>(qPrintable(mode))->click();
    QStringList ticks;
    for (int tick = 0; tick < 3; ++tick) {
        m_window->timTimer_Timer();
        ticks.append(memoryButtons());
    }
    QCOMPARE(ticks, (QStringList{"green+", "plain+", "green+"}));

    if (end == QLatin1String("click"))
        find<QPushButton>(qPrintable(mode))->click();
    else
        find<QTabWidget>("SSTab1")->setCurrentIndex(end.back().digitValue());
    m_window->timTimer_Timer();
    QCOMPARE(memoryButtons(), QString(ended ? "plain-" : "plain+"));
    m_window->timTimer_Timer();
    QCOMPARE(memoryButtons(), QString(ended ? "plain-" : "green+"));
    // And the timer itself does the same.
    QTRY_COMPARE(memoryButtons(), QString(ended ? "plain-" : "green+"));
}

void tst_frmMainQuickDial::longScriptStoredWhole()
{
    QList<ScriptEntry> longScript;
    for (int i = 1; i <= 300; ++i)
        longScript.append({QStringLiteral("SP %1").arg(i), QStringLiteral("step %1").arg(i)});
    fillEditor(longScript, QStringLiteral("Long"), QStringLiteral("three hundred"));
    find<QPushButton>("cmdSave")->click();
    clickMemoryButton(7);
    QCOMPARE(m_window->Memories->entries(7)->entries(), longScript);

    fillEditor({}, QString(), QString());
    find<QPushButton>("cmdGetCommand")->click();
    clickMemoryButton(7);
    QCOMPARE(m_window->EditedScript()->entries(), longScript);
}

QTEST_MAIN(tst_frmMainQuickDial)
#include "tst_frmmainquickdial.moc"
