#include "HelpViewer.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

#include <csignal>

class tst_FrmMain : public QObject
{
    Q_OBJECT
private slots:
    void firstStart();
    void settingsRoundTrip();
    void languageSwitch_data();
    void languageSwitch();
    void languageSwitchKeepsDeviceRow();
    void fixedCrLfBoxForDeviceType2();
    void startWithDeviceType2();
    void tabRule_data();
    void tabRule();
    void help_data();
    void help();
    void thisSystem();
    void quitRaisesCancel();
    void terminationSignalSaves_data();
    void terminationSignalSaves();
};

namespace {

// The text a control shows for a "name" or "name:n" place (tab, row or column n).
QString shownText(QWidget* window, const QString& place)
{
    const QString name = place.section(u':', 0, 0);
    const int part = place.section(u':', 1).toInt();
    if (name == window->objectName())
        return window->windowTitle();
    QObject* c = window->findChild<QObject*>(name);
    if (!c)
        return QStringLiteral("<no control %1>").arg(name);
    if (auto* tabs = qobject_cast<QTabWidget*>(c))
        return tabs->tabText(part);
    if (auto* combo = qobject_cast<QComboBox*>(c))
        return combo->itemText(part);
    if (auto* view = qobject_cast<QAbstractItemView*>(c))
        return view->model()->headerData(part, Qt::Horizontal).toString();
    if (auto* frame = qobject_cast<QGroupBox*>(c))
        return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(c))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(c))
        return label->text();
    return QStringLiteral("<unknown kind>");
}

void closeWindow(frmMain& w)
{
    w.close();
}

} // namespace

void tst_FrmMain::firstStart()
{
    TempDataFolder data;
    frmMain w;
    QCOMPARE(control<QLineEdit>(&w, "txtPort")->text(), QStringLiteral("5025"));
    QCOMPARE(control<QLineEdit>(&w, "txtPcName")->text(), modTools::LocalHostName());
    QCOMPARE(control<QComboBox>(&w, "cboDevice")->currentIndex(), 0);
    QCOMPARE(control<QCheckBox>(&w, "chkAppendCrLf")->isChecked(), false);
    QCOMPARE(control<QCheckBox>(&w, "chkConnect")->isChecked(), true);
    QVERIFY(w.connectWanted);
    QCOMPARE(control<QComboBox>(&w, "cboLanguage")->currentIndex(), 0);
    QCOMPARE(control<QTabWidget>(&w, "SSTab1")->currentIndex(), 0);
    QCOMPARE(shownText(&w, "labPort"), QStringLiteral("TCP-IP Port"));
    QCOMPARE(control<QLabel>(&w, "labProgramVersion")->text(), QStringLiteral("Programmversion: V2012.1.0"));
    QCOMPARE(control<QLabel>(&w, "labProgramDate")->text(), QStringLiteral("Datum: 05.07.2012"));
    QVERIFY(!QFileInfo::exists(data.setupFile()));

    closeWindow(w);
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, QString>>{
             {"Port", "5025"}, {"Name", modTools::LocalHostName()}, {"Device", "0"}, {"Connect", "1"},
             {"Language", "0"}, {"SelTab", "0"}, {"AppendCrLf", "0"}})
        QCOMPARE(data.readSetup(key), value);
}

void tst_FrmMain::settingsRoundTrip()
{
    TempDataFolder data;
    data.writeSetup({{"Port", "2000"}, {"Name", ""}, {"Device", "3"}, {"AppendCrLf", "1"}, {"Connect", "0"},
                     {"Language", "1"}, {"SelTab", "3"}});
    {
        frmMain w;
        QCOMPARE(control<QLineEdit>(&w, "txtPort")->text(), QStringLiteral("2000"));
        QCOMPARE(control<QLineEdit>(&w, "txtPcName")->text(), QString()); // empty, not the host name
        QCOMPARE(control<QComboBox>(&w, "cboDevice")->currentIndex(), 3);
        QCOMPARE(control<QCheckBox>(&w, "chkAppendCrLf")->isChecked(), true);
        QCOMPARE(control<QCheckBox>(&w, "chkConnect")->isChecked(), false);
        QVERIFY(!w.connectWanted);
        QCOMPARE(shownText(&w, "cmdQuit"), QStringLiteral("Quit"));
        QCOMPARE(control<QTabWidget>(&w, "SSTab1")->currentIndex(), 3);

        control<QLineEdit>(&w, "txtPort")->setText(QStringLiteral("abc"));
        control<QLineEdit>(&w, "txtPcName")->setText(QStringLiteral("bench-pc"));
        control<QComboBox>(&w, "cboDevice")->setCurrentIndex(1);
        control<QCheckBox>(&w, "chkAppendCrLf")->setChecked(false);
        control<QCheckBox>(&w, "chkConnect")->setChecked(true);
        control<QComboBox>(&w, "cboLanguage")->setCurrentIndex(0);
        control<QTabWidget>(&w, "SSTab1")->setCurrentIndex(2);
        closeWindow(w);
    }
    frmMain again;
    QCOMPARE(control<QLineEdit>(&again, "txtPort")->text(), QStringLiteral("abc"));
    QCOMPARE(control<QLineEdit>(&again, "txtPcName")->text(), QStringLiteral("bench-pc"));
    QCOMPARE(control<QComboBox>(&again, "cboDevice")->currentIndex(), 1);
    QCOMPARE(control<QCheckBox>(&again, "chkAppendCrLf")->isChecked(), false);
    QCOMPARE(control<QCheckBox>(&again, "chkConnect")->isChecked(), true);
    QCOMPARE(shownText(&again, "cmdQuit"), QStringLiteral("Beenden"));
    QCOMPARE(control<QTabWidget>(&again, "SSTab1")->currentIndex(), 2);
}

void tst_FrmMain::languageSwitch_data()
{
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("frmMain") << QStringLiteral("Relaytab") << QStringLiteral("Relaytab");
    QTest::newRow("SSTab1:0") << QStringLiteral("Voreinstellungen") << QStringLiteral("General settings");
    QTest::newRow("fraSoftwareSel") << QStringLiteral("Auswahl des Gerätetyps") << QStringLiteral("Select device type");
    QTest::newRow("fraTarget") << QStringLiteral("Verbindungseinstellung Zielsystem") << QStringLiteral("Connection settings for target system");
    QTest::newRow("labPort") << QStringLiteral("TCP-IP Port") << QStringLiteral("TCP-IP Port");
    QTest::newRow("labIp") << QStringLiteral("PC-Name oder IP-Adresse") << QStringLiteral("PC Name or IP address");
    QTest::newRow("cmdThisSystem") << QStringLiteral("<-- dieser PC !") << QStringLiteral("<-- use this PC !");
    QTest::newRow("chkConnect") << QStringLiteral("Verbinden") << QStringLiteral("Connect");
    QTest::newRow("fraLanguage") << QStringLiteral("Programmsprache") << QStringLiteral("Program language");
    QTest::newRow("labInfo1") << QStringLiteral("Wählen Sie zuerst den verwendeten Gerätetyp / PC-Software aus und stellen Sie die Verbindung zum dem verwendeten PC her, indem Sie den PC-Name oder die gültige IP-Adresse (Systemkonfiguration) und den TCP/IP-Port (Voreinstellung der verwendeten PC-Software) eintragen.") << QStringLiteral("Please first select the used device type / PC software and setup the connection settings to the target system by entering the PC name and IO address (System configuration) and the TCP/IP port (General Settings of the used PC software).");
    QTest::newRow("cboLanguage:0") << QStringLiteral("Deutsch") << QStringLiteral("Deutsch");
    QTest::newRow("cboLanguage:1") << QStringLiteral("English") << QStringLiteral("English");
    QTest::newRow("cboDevice:0") << QStringLiteral("Corvane M1 für MOLDRIX M1 oder SWELTOR S1") << QStringLiteral("Corvane M1 for MOLDRIX M1 or SWELTOR S1");
    QTest::newRow("cboDevice:1") << QStringLiteral("Corvane M2 für MOLDRIX M2") << QStringLiteral("Corvane M2 for MOLDRIX M2");
    QTest::newRow("cboDevice:2") << QStringLiteral("Corvane für MOLDRIX M3") << QStringLiteral("Corvane for MOLDRIX M3");
    QTest::newRow("cboDevice:3") << QStringLiteral("Panovex Vx für V1, V2, V3 und V4") << QStringLiteral("Panovex Vx for V1, V2, V3 and V4");
    QTest::newRow("chkAppendCrLf") << QStringLiteral("CR + LF an gesendeten Befehl anhängen") << QStringLiteral("Append CR + LF to command sequence");
    QTest::newRow("chkAppendCrLfDummy") << QStringLiteral("CR + LF an gesendeten Befehl anhängen") << QStringLiteral("Append CR + LF to command sequence");
    QTest::newRow("SSTab1:1") << QStringLiteral("Kommandozeile") << QStringLiteral("Command line");
    QTest::newRow("fraSend") << QStringLiteral("Senden") << QStringLiteral("Send");
    QTest::newRow("cmdCreateCommand1") << QStringLiteral("Befehlsassistent...") << QStringLiteral("Command assistant...");
    QTest::newRow("cmdSend") << QStringLiteral("Senden") << QStringLiteral("Send");
    QTest::newRow("fraReceive") << QStringLiteral("Empfangen") << QStringLiteral("Receive");
    QTest::newRow("cmdDeleteList") << QStringLiteral("Liste löschen") << QStringLiteral("Delete list");
    QTest::newRow("labInfo2") << QStringLiteral("Mit der Kommandozeile können (optional mit Hilfe des Befehlsassistenten) die Befehle für die Steuerungskommunikation einzeln erstellt und getestet werden. Öffnen Sie als Referenz die Befehlszusammenfassung der Steuerungskommunikation zur entsprechenden Software. Alle gesendeten und empfangenen Daten werden in der obigen Liste mit Zeitstempel erfasst.") << QStringLiteral("With the command line you can separatly create (optional with help of the assistant) and test the control communication commands. Open the command summary reference of the accordant software. All sent and received data will be acquired in the list with time stamp.");
    QTest::newRow("lsvMsg:0") << QStringLiteral("Zeit") << QStringLiteral("Time");
    QTest::newRow("lsvMsg:1") << QStringLiteral("Mode") << QStringLiteral("Mode");
    QTest::newRow("lsvMsg:2") << QStringLiteral("Parameter") << QStringLiteral("Parameter");
    QTest::newRow("SSTab1:2") << QStringLiteral("Befehlsabläufe editieren (Skripte)") << QStringLiteral("Edit command script");
    QTest::newRow("fraEditScript") << QStringLiteral("Editieren") << QStringLiteral("Edit");
    QTest::newRow("cmdCreateCommand2") << QStringLiteral("Erstellen mit Befehlsassistent...") << QStringLiteral("Create with command assistant...");
    QTest::newRow("cmdCreateManualCommand") << QStringLiteral("Befehl manuell eingeben...") << QStringLiteral("Edit command manually...");
    QTest::newRow("labCommands") << QStringLiteral("Befehle") << QStringLiteral("Commands");
    QTest::newRow("chkAbove") << QStringLiteral("oberhalb einfügen") << QStringLiteral("insert above");
    QTest::newRow("cmdDeleteCommand") << QStringLiteral("Befehl löschen") << QStringLiteral("Delete command");
    QTest::newRow("cmdEditCommand") << QStringLiteral("Befehl editieren") << QStringLiteral("Edit command");
    QTest::newRow("labCaption") << QStringLiteral("Bezeichnung") << QStringLiteral("Caption");
    QTest::newRow("labNote") << QStringLiteral("Beschreibung") << QStringLiteral("Description");
    QTest::newRow("cmdCommandTest") << QStringLiteral("Befehlsablauf testen") << QStringLiteral("Test command script");
    QTest::newRow("cmdSave") << QStringLiteral("Speichern -->") << QStringLiteral("Save   -->");
    QTest::newRow("cmdGetCommand") << QStringLiteral("<-- Bearbeiten") << QStringLiteral("<--    Edit");
    QTest::newRow("cmdDeleteScript") << QStringLiteral("Löschen") << QStringLiteral("Delete");
    QTest::newRow("fraStorage") << QStringLiteral("Kurzwahltasten") << QStringLiteral("Quick dial buttons");
    QTest::newRow("labInfo3") << QStringLiteral("Erstellen Sie hier benutzerdefinierte Befehlsabläufe, welche Sie unter dem Kurzwahlspeicher ablegen und jederzeit aufrufen können.") << QStringLiteral("Create user defined command scripts and save it under quick dial memory buttons and call them at each time.");
    QTest::newRow("lstCommands:0") << QStringLiteral("Befehl") << QStringLiteral("Command");
    QTest::newRow("lstCommands:1") << QStringLiteral("Beschreibung") << QStringLiteral("Description");
    QTest::newRow("SSTab1:3") << QStringLiteral("Kurzwahlspeicher anwenden") << QStringLiteral("Apply quick dial");
    QTest::newRow("frmStorage") << QStringLiteral("Kurzspeicher") << QStringLiteral("Quick dials");
    QTest::newRow("cmdLoadConfig") << QStringLiteral("Konfiguration von Datei laden...") << QStringLiteral("Load configuration from file...");
    QTest::newRow("cmdSaveConfig") << QStringLiteral("Konfiguration in Datei speichern...") << QStringLiteral("Save configuration into file...");
    QTest::newRow("labInfo4") << QStringLiteral("Rufen Sie hier mit den Funktionstasten [Fx] vordefinierte Befehlsabläufe auf, nachdem diese einmal erzeugt und abgespeichert wurden.") << QStringLiteral("Call user defined command scripts with the function keys [Fx] after you have created and saved at first.");
    QTest::newRow("chkCommandRepeat1") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat2") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat3") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat4") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat5") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat6") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat7") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("chkCommandRepeat8") << QStringLiteral("Wiederholen") << QStringLiteral("Repeat");
    QTest::newRow("cmdCancelCommandScript") << QStringLiteral("Befehlsabarbeitung abbrechen") << QStringLiteral("Cancel command processing");
    QTest::newRow("cmdQuit") << QStringLiteral("Beenden") << QStringLiteral("Quit");
    QTest::newRow("labCommandScriptCompleted") << QStringLiteral("Befehlsablauf wurde ausgeführt.") << QStringLiteral("Command script processed.");
    QTest::newRow("fraVersion") << QStringLiteral("Information") << QStringLiteral("Information");
}

void tst_FrmMain::languageSwitch()
{
    QFETCH(QString, german);
    QFETCH(QString, english);
    const QString place = QString::fromLatin1(QTest::currentDataTag());
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}});
    frmMain w;
    auto* language = control<QComboBox>(&w, "cboLanguage");
    QCOMPARE(shownText(&w, place), german);
    language->setCurrentIndex(1);
    QCOMPARE(shownText(&w, place), english);
    QCOMPARE(control<QLabel>(&w, "labProgramVersion")->text(), QStringLiteral("Program version: V2012.1.0"));
    QCOMPARE(control<QLabel>(&w, "labProgramDate")->text(), QStringLiteral("Date: 05.07.2012"));
    language->setCurrentIndex(0);
    QCOMPARE(shownText(&w, place), german);
    QCOMPARE(modGlobal::LanguageOffset, 0);
}

void tst_FrmMain::languageSwitchKeepsDeviceRow()
{
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}, {"Device", "1"}});
    frmMain w;
    auto* device = control<QComboBox>(&w, "cboDevice");
    QCOMPARE(device->currentIndex(), 1);
    device->setCurrentIndex(2);
    control<QComboBox>(&w, "cboLanguage")->setCurrentIndex(1);
    QCOMPARE(device->currentIndex(), 2);
    QVERIFY(control<QCheckBox>(&w, "chkAppendCrLfDummy")->isVisibleTo(&w));
}

void tst_FrmMain::fixedCrLfBoxForDeviceType2()
{
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}});
    {
        frmMain w;
        auto* device = control<QComboBox>(&w, "cboDevice");
        auto* user = control<QCheckBox>(&w, "chkAppendCrLf");
        auto* fixed = control<QCheckBox>(&w, "chkAppendCrLfDummy");
        QVERIFY(user->isVisibleTo(&w));
        QVERIFY(!fixed->isVisibleTo(&w));
        device->setCurrentIndex(2);
        QVERIFY(fixed->isVisibleTo(&w));
        QVERIFY(fixed->isChecked());
        QVERIFY(!fixed->isEnabled());
        QVERIFY(!user->isVisibleTo(&w));
        QVERIFY(!user->isChecked());
        device->setCurrentIndex(0);
        QVERIFY(user->isVisibleTo(&w));
        QVERIFY(!fixed->isVisibleTo(&w));
        QVERIFY(!user->isChecked());
        device->setCurrentIndex(2);
        closeWindow(w);
    }
    QCOMPARE(data.readSetup("AppendCrLf"), QStringLiteral("0"));
    QCOMPARE(data.readSetup("Device"), QStringLiteral("2"));
}

void tst_FrmMain::startWithDeviceType2()
{
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}, {"Device", "2"}, {"AppendCrLf", "0"}});
    frmMain w;
    w.show();
    QVERIFY(control<QCheckBox>(&w, "chkAppendCrLfDummy")->isVisible());
    QVERIFY(!control<QCheckBox>(&w, "chkAppendCrLf")->isVisible());
}

void tst_FrmMain::tabRule_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("modesKept");
    QTest::newRow("2 to 0 ends modes") << 2 << 0 << false;
    QTest::newRow("2 to 1 ends modes") << 2 << 1 << false;
    QTest::newRow("2 to 3 keeps modes") << 2 << 3 << true;
    QTest::newRow("3 to 2 ends modes") << 3 << 2 << false;
}

void tst_FrmMain::tabRule()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, modesKept);
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}, {"SelTab", QString::number(from)}});
    frmMain w;
    w.show();
    auto* done = control<QLabel>(&w, "labCommandScriptCompleted");
    done->setVisible(true);
    w.SaveMode = w.DeleteMode = true;
    control<QTabWidget>(&w, "SSTab1")->setCurrentIndex(to);
    QVERIFY(!done->isVisible());
    QCOMPARE(w.SaveMode, modesKept);
    QCOMPARE(w.DeleteMode, modesKept);
}

void tst_FrmMain::help_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    QTest::newRow("general settings") << 0 << "1100.html";
    QTest::newRow("command line") << 1 << "1200.html";
    QTest::newRow("edit script") << 2 << "1300.html";
    QTest::newRow("apply quick dial") << 3 << "1400.html";
}

void tst_FrmMain::help()
{
    QFETCH(int, tab);
    QFETCH(QString, page);
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}});
    frmMain w;
    modGlobal::HelpFile = QStringLiteral(HELP_DIR "/help00.html");
    control<QTabWidget>(&w, "SSTab1")->setCurrentIndex(tab);
    QTest::mouseClick(control<QPushButton>(&w, "cmdHelp"), Qt::LeftButton);
    auto* viewer = w.findChild<HelpViewer*>();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QVERIFY2(viewer->currentPage().endsWith(u'/' + page), qPrintable(viewer->currentPage()));
}

void tst_FrmMain::thisSystem()
{
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}, {"Name", "elsewhere"}});
    frmMain w;
    QTest::mouseClick(control<QPushButton>(&w, "cmdThisSystem"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(&w, "txtPcName")->text(), modTools::LocalHostName());
}

void tst_FrmMain::quitRaisesCancel()
{
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}});
    frmMain w;
    w.show();
    QTest::mouseClick(control<QPushButton>(&w, "cmdQuit"), Qt::LeftButton);
    QVERIFY(w.cancelRequested);
    QVERIFY(!w.isVisible());
    QCOMPARE(data.readSetup("SelTab"), QStringLiteral("0"));
}

void tst_FrmMain::terminationSignalSaves_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_FrmMain::terminationSignalSaves()
{
    QFETCH(int, signal);
    TempDataFolder data;
    data.writeSetup({{"Connect", "0"}, {"Port", "4321"}});
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(RELAYTAB_PATH), {});
    QVERIFY(program.waitForStarted());
    // The shipped command set appears in the data folder once start-up has provisioned it.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(data.path() + "DefaultCommandSet.cfg"), 20000);
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(data.readSetup("Port"), QStringLiteral("4321"));
    QCOMPARE(data.readSetup("Name"), modTools::LocalHostName());
    QCOMPARE(data.readSetup("AppendCrLf"), QStringLiteral("0"));
}

QTEST_MAIN(tst_FrmMain)
#include "tst_frmmain.moc"
