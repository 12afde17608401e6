#include "ModalAnswer.h"
#include "QuickDialMemories.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

// Memory 2 of the worked example, memory 3 saved empty, memory 4 without its Repeat key, memory 6
// repeated; the keys of the other memories are missing.
const QByteArray storedSet =
    "[SETTINGS]\r\n"
    "Owner=kept\r\n"
    "Repeat2=0\r\n"
    "Command2=SM 1#<WAIT_TIME=5>#SM 0\r\n"
    "Descript2=Messbetrieb starten (SM 1)#* Verweilzeit einf\xfcgen (kein Ger\xe4tebefehl)#\r\n"
    "Label2=Start-Stop\r\n"
    "Note2=Start, wait 5 s, stop\r\n"
    "Repeat3=\r\nCommand3=\r\nDescript3=\r\nLabel3=\r\nNote3=\r\n"
    "Command4=\r\nDescript4=\r\nLabel4=\r\nNote4=\r\n"
    "Repeat6=1\r\nCommand6=GM\r\nDescript6=\r\nLabel6=Poll\r\nNote6=\r\n";

// One memory as its controls show it: memory button, run button, note, repeat box, hidden entries.
QStringList shown(QWidget* w, int n)
{
    const auto name = [n](const char* prefix) { return QByteArray(prefix) + QByteArray::number(n); };
    const auto* memoryButton = control<QPushButton>(w, name("cmdF").constData());
    const auto* entries = control<QTreeView>(w, name("lvwCommand").constData())->model();
    QStringList commands;
    for (int row = 0; row < entries->rowCount(); ++row)
        commands << entries->index(row, 0).data().toString() + u'|' +
                        entries->index(row, 1).data().toString();
    return {memoryButton->text(),
            memoryButton->toolTip(),
            control<QPushButton>(w, name("cmdCommand").constData())->text(),
            control<QPlainTextEdit>(w, name("txtCommandDescript").constData())->toPlainText(),
            control<QCheckBox>(w, name("chkCommandRepeat").constData())->isChecked() ? "repeat" : "once",
            commands.join(u';')};
}

} // namespace

class tst_FrmMainCommandSet : public QObject
{
    Q_OBJECT
private slots:
    void startupLoadsDefaultSet_data();
    void startupLoadsDefaultSet();
    void shutdownSavesDefaultSet();
    void saveConfig_data();
    void saveConfig();
    void loadConfig();
    void cancelDoesNothing_data();
    void cancelDoesNothing();

private:
    // A main window over a data folder of its own whose default set is content.
    std::unique_ptr<frmMain> start(int language, const QByteArray& content = storedSet)
    {
        // The folder of the previous test first: its end unsets the data folder of the next one.
        m_data.reset();
        m_data = std::make_unique<TempDataFolder>();
        m_data->writeSetup({{"Connect", "0"}, {"Language", QString::number(language)}, {"SelTab", "3"}});
        writeBytes(defaultSet(), content);
        return std::make_unique<frmMain>();
    }
    QString defaultSet() const { return m_data->path() + QLatin1String("DefaultCommandSet.cfg"); }

    std::unique_ptr<TempDataFolder> m_data;
};

void tst_FrmMainCommandSet::startupLoadsDefaultSet_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("memory2");
    QTest::addColumn<QStringList>("memory3");
    QTest::addColumn<QStringList>("memory4");
    QTest::addColumn<QStringList>("memory6");
    const QString entries2 = QStringLiteral(
        "SM 1|Messbetrieb starten (SM 1);<WAIT_TIME=5>|* Verweilzeit einfügen (kein Gerätebefehl);SM 0|");
    for (const int language : {0, 1}) {
        const QString caption = language == 0 ? QStringLiteral("Bezeichnung: ") : QStringLiteral("Caption: ");
        const QString empty = language == 0 ? QStringLiteral("[Leer]") : QStringLiteral("[Empty]");
        QTest::addRow("language %d", language)
            << language << QStringList{"Start-Stop...", caption + "Start-Stop",
                                       "Start-Stop",    "Start, wait 5 s, stop",
                                       "once",          entries2}
            << QStringList{empty, "", empty, "", "once", ""}
            << QStringList{"...", caption, "", "", "once", ""}
            << QStringList{"Poll...", caption + "Poll", "Poll", "", "repeat", "GM|"};
    }
}

void tst_FrmMainCommandSet::startupLoadsDefaultSet()
{
    QFETCH(int, language);
    const auto w = start(language);
    QTEST(shown(w.get(), 2), "memory2");
    QTEST(shown(w.get(), 3), "memory3");
    QTEST(shown(w.get(), 4), "memory4");
    QTEST(shown(w.get(), 6), "memory6");
}

void tst_FrmMainCommandSet::shutdownSavesDefaultSet()
{
    auto w = start(0);
    w->Memories->store(7, QStringLiteral("Query"), QStringLiteral("Asks twice\nwith a pause"),
                       {{"GM", "first"}, {"<WAIT_TIME=1>", ""}, {"GM", "second"}});
    control<QCheckBox>(w.get(), "chkCommandRepeat7")->setChecked(true);
    control<QCheckBox>(w.get(), "chkCommandRepeat2")->setChecked(true);
    w->close();

    const QByteArray saved = fileBytes(defaultSet());
    QVERIFY(
        saved.startsWith("[SETTINGS]\r\nOwner=kept\r\nRepeat2=1\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"));
    QVERIFY(saved.contains("Note6=\r\n"
                           "Repeat1=\r\nCommand1=\r\nDescript1=\r\nLabel1=\r\nNote1=\r\n"
                           "Repeat4=\r\n"
                           "Repeat5=\r\nCommand5=\r\nDescript5=\r\nLabel5=\r\nNote5=\r\n"
                           "Repeat7=1\r\nCommand7=GM#<WAIT_TIME=1>#GM\r\nDescript7=first##second\r\n"
                           "Label7=Query\r\nNote7=Asks twice with a pause\r\n"
                           "Repeat8=\r\n"));
    QVERIFY(saved.contains("Repeat3=\r\nCommand3=\r\nDescript3=\r\nLabel3=\r\nNote3=\r\n"));
    QVERIFY(saved.endsWith("Note8=\r\n"));
}

void tst_FrmMainCommandSet::saveConfig_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("German") << 0 << "Befehls-Konfigurationsdatei speichern..."
                            << "Befehls-Konfigurationsdatei (*.cfg)"
                            << "Benutzerdefiniert.cfg";
    QTest::newRow("English") << 1 << "Save command configuration file..."
                             << "Ccommand configuration file (*.cfg)"
                             << "User defined.cfg";
}

void tst_FrmMainCommandSet::saveConfig()
{
    QFETCH(int, language);
    const auto w = start(language);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("mine.cfg"));
    writeBytes(target, "[Other]\r\nA=1\r\n[SETTINGS]\r\nLabel2=old\r\n");

    ModalAnswer<QFileDialog> answer([&](QFileDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("CommonDialog"));
        QTEST(dialog->windowTitle(), "title");
        QTEST(dialog->selectedNameFilter(), "filter");
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->directory().absolutePath() + u'/', modGlobal::DataFolder);
        QFETCH(QString, proposed);
        QCOMPARE(dialog->selectedFiles(), QStringList{modGlobal::DataFolder + proposed});
        dialog->selectFile(target);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(control<QPushButton>(w.get(), "cmdSaveConfig"), Qt::LeftButton);
    QVERIFY(answer.shown);
    // An existing file is updated without a question.
    QVERIFY(!answer.unexpected);
    QVERIFY(!answer.leftOpen);

    const QByteArray saved = fileBytes(target);
    QVERIFY(saved.startsWith("[Other]\r\nA=1\r\n[SETTINGS]\r\nLabel2=Start-Stop\r\nRepeat1=\r\n"));
    QVERIFY(saved.contains("Repeat2=0\r\nCommand2=SM 1#<WAIT_TIME=5>#SM 0\r\n"));
    QCOMPARE(saved.count("\r\n"), 4 + 39);
}

void tst_FrmMainCommandSet::loadConfig()
{
    const auto w = start(1);
    QTemporaryDir elsewhere;
    const QString source = elsewhere.filePath(QStringLiteral("other set.cfg"));
    writeBytes(
        source,
        "[SETTINGS]\r\nRepeat2=\r\nCommand2=\r\nRepeat5=1\r\nCommand5=SP 1 3#GM\r\n"
        "Descript5=Set measurement program (SP)#Get production mode status (GM)\r\nLabel5=Program 3\r\n");
    auto* editor = control<QTreeView>(w.get(), "lstCommands");
    const QString wide = QStringLiteral("XC 1 a command much wider than its header");
    w->AddScriptEntry(wide, QString());
    editor->header()->resizeSection(0, 5);

    ModalAnswer<QFileDialog> answer([&](QFileDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("CommonDialog"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Load command configuration file..."));
        QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Ccommand configuration file (*.cfg)"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog->directory().absolutePath() + u'/', modGlobal::DataFolder);
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(source);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(control<QPushButton>(w.get(), "cmdLoadConfig"), Qt::LeftButton);
    QVERIFY(answer.shown);
    QVERIFY(!answer.leftOpen);

    QCOMPARE(shown(w.get(), 2), (QStringList{"[Empty]", "", "[Empty]", "", "once", ""}));
    QCOMPARE(shown(w.get(), 5),
             (QStringList{"Program 3...", "Caption: Program 3", "Program 3", "", "repeat",
                          "SP 1 3|Set measurement program (SP);GM|Get production mode status (GM)"}));
    QCOMPARE(shown(w.get(), 6), (QStringList{"...", "Caption: ", "", "", "once", ""}));
    // The editor keeps its script; its columns are fitted again.
    QCOMPARE(editor->model()->rowCount(), 1);
    QVERIFY(editor->header()->sectionSize(0) > editor->fontMetrics().horizontalAdvance(wide));
}

void tst_FrmMainCommandSet::cancelDoesNothing_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::newRow("load") << QByteArray("cmdLoadConfig");
    QTest::newRow("save") << QByteArray("cmdSaveConfig");
}

void tst_FrmMainCommandSet::cancelDoesNothing()
{
    QFETCH(QByteArray, button);
    const auto w = start(0);
    const QStringList before = shown(w.get(), 2);
    const QStringList folder = QDir(m_data->path()).entryList(QDir::Files);
    ModalAnswer<QFileDialog> answer([](QFileDialog* dialog) { dialog->reject(); });
    QTest::mouseClick(control<QPushButton>(w.get(), button.constData()), Qt::LeftButton);
    QVERIFY(answer.shown);
    QCOMPARE(shown(w.get(), 2), before);
    QCOMPARE(QDir(m_data->path()).entryList(QDir::Files), folder);
    QCOMPARE(fileBytes(defaultSet()), storedSet);
}

QTEST_MAIN(tst_FrmMainCommandSet)
#include "tst_frmmaincommandset.moc"
