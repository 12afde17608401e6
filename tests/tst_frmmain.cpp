#include "CommandSession.h"
#include "TestFiles.h"
#include "TrafficLog.h"
#include "WidgetSupport.h"
#include "frmMain.h"
#include "modTools.h"

#include <QtTest>

#include <csignal>

namespace {

// Window texts of each kind of control, from both lists the window places them from, and a label
// filled in: its place ("name", or "name:n" for tab, row or column n), German, English.
const char* const windowTexts[][3] = {
    {"fraTarget", "Verbindungseinstellung Zielsystem", "Connection settings for target system"},
    {"labIp", "PC-Name oder IP-Adresse", "PC Name or IP address"},
    {"chkConnect", "Verbinden", "Connect"},
    {"cboDevice:0", "Corvane M1 für MOLDRIX M1 oder SWELTOR S1", "Corvane M1 for MOLDRIX M1 or SWELTOR S1"},
    {"SSTab1:1", "Kommandozeile", "Command line"},
    {"lsvMsg:0", "Zeit", "Time"},
    {"lstCommands:1", "Beschreibung", "Description"},
    {"cmdSave", "Speichern -->", "Save   -->"},
    {"chkCommandRepeat8", "Wiederholen", "Repeat"},
    {"labCommandScriptCompleted", "Befehlsablauf wurde ausgeführt.", "Command script processed."},
    {"labProgramVersion", "Programmversion: V2012.1.0", "Program version: V2012.1.0"},
};

QString shownText(QWidget* window, const QString& place)
{
    const QString name = place.section(u':', 0, 0);
    const int part = place.section(u':', 1).toInt();
    QObject* c = window->findChild<QObject*>(name);
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
    return QStringLiteral("<no text control %1>").arg(name);
}

// Mismatches of every window text with the German or the English column.
QString wrongTexts(QWidget* window, bool english)
{
    QStringList wrong;
    for (const auto& t : windowTexts) {
        const QString shown = shownText(window, QLatin1String(t[0]));
        if (shown != QString::fromUtf8(t[english ? 2 : 1]))
            wrong << QStringLiteral("%1: '%2'").arg(t[0], shown);
    }
    return wrong.join(QLatin1String("; "));
}

// The settings as the window shows them: Port|Name|Device|AppendCrLf|Connect|Language|SelTab.
QString shownSettings(QWidget* w)
{
    return QStringList{control<QLineEdit>(w, "txtPort")->text(),
                       control<QLineEdit>(w, "txtPcName")->text(),
                       QString::number(control<QComboBox>(w, "cboDevice")->currentIndex()),
                       QString::number(control<QCheckBox>(w, "chkAppendCrLf")->isChecked()),
                       QString::number(control<QCheckBox>(w, "chkConnect")->isChecked()),
                       QString::number(control<QComboBox>(w, "cboLanguage")->currentIndex()),
                       QString::number(control<QTabWidget>(w, "SSTab1")->currentIndex())}
        .join(u'|');
}

QString savedSettings(const TempDataFolder& data)
{
    QStringList values;
    for (const char* key : {"Port", "Name", "Device", "AppendCrLf", "Connect", "Language", "SelTab"})
        values << data.readSetup(key);
    return values.join(u'|');
}

} // namespace

class tst_FrmMain : public QObject
{
    Q_OBJECT

private slots:
    // First start without files, then every setting changed, saved by cmdQuit and restored.
    void firstStartAndRoundTrip()
    {
        TempDataFolder data;
        {
            frmMain w;
            w.show();
            QCOMPARE(shownSettings(&w), "5025|" + modTools::LocalHostName() + "|0|0|1|0|0");
            QVERIFY(w.Session()->ConnectWanted());
            QVERIFY(!QFileInfo::exists(data.setupFile()));
            auto* name = control<QLineEdit>(&w, "txtPcName");
            name->setText(QStringLiteral("elsewhere"));
            QTest::mouseClick(control<QPushButton>(&w, "cmdThisSystem"), Qt::LeftButton);
            QCOMPARE(name->text(), modTools::LocalHostName());
            name->clear(); // an empty name stays empty
            control<QLineEdit>(&w, "txtPort")->setText(QStringLiteral("abc"));
            control<QComboBox>(&w, "cboDevice")->setCurrentIndex(3);
            control<QCheckBox>(&w, "chkAppendCrLf")->setChecked(true);
            control<QCheckBox>(&w, "chkConnect")->setChecked(false);
            control<QComboBox>(&w, "cboLanguage")->setCurrentIndex(1);
            control<QTabWidget>(&w, "SSTab1")->setCurrentIndex(3);
            QTest::mouseClick(control<QPushButton>(&w, "cmdQuit"), Qt::LeftButton);
            QVERIFY(w.Session()->CancelRequested() && !w.isVisible());
        }
        QCOMPARE(savedSettings(data), QStringLiteral("abc||3|1|0|1|3"));
        frmMain again;
        QCOMPARE(shownSettings(&again), QStringLiteral("abc||3|1|0|1|3"));
        QVERIFY(!again.Session()->ConnectWanted());
    }

    // Started on device type 2 and the script tab: the fixed CR LF box of device type 2, the window
    // texts in both languages, and the tab rule.
    void textsDeviceTypeAndTabs()
    {
        TempDataFolder data;
        data.writeSetup({{"Connect", "0"}, {"Device", "2"}, {"SelTab", "2"}});
        {
            frmMain w;
            w.show();
            auto* device = control<QComboBox>(&w, "cboDevice");
            auto* user = control<QCheckBox>(&w, "chkAppendCrLf");
            auto* fixed = control<QCheckBox>(&w, "chkAppendCrLfDummy");
            QVERIFY(!fixed->isHidden() && fixed->isChecked() && !fixed->isEnabled() && user->isHidden());
            device->setCurrentIndex(0);
            QVERIFY(!user->isHidden() && !user->isChecked() && fixed->isHidden());
            auto* language = control<QComboBox>(&w, "cboLanguage");
            QCOMPARE(wrongTexts(&w, false), QString());
            language->setCurrentIndex(1);
            QCOMPARE(wrongTexts(&w, true), QString());
            QCOMPARE(device->currentIndex(), 0); // the row picked, not the one stored
            language->setCurrentIndex(0);
            QCOMPARE(wrongTexts(&w, false), QString());
            device->setCurrentIndex(2);

            // A change of tab hides "script processed"; a tab other than quick dial ends its modes.
            auto* done = control<QLabel>(&w, "labCommandScriptCompleted");
            const auto change = [&](int to) {
                done->setVisible(true);
                w.SaveMode = w.DeleteMode = true;
                control<QTabWidget>(&w, "SSTab1")->setCurrentIndex(to);
                return QStringLiteral("%1 %2 %3").arg(done->isVisible()).arg(w.SaveMode).arg(w.DeleteMode);
            };
            QCOMPARE(change(3), QStringLiteral("0 1 1"));
            QCOMPARE(change(0), QStringLiteral("0 0 0"));
            w.close();
        }
        QCOMPARE(data.readSetup("AppendCrLf"), QStringLiteral("0"));
        QCOMPARE(data.readSetup("Device"), QStringLiteral("2"));
    }

    // Files of the data folder are found without regard to case and written back under their own
    // names; no second file appears beside them. A journal that cannot be written (a file where its
    // folder should be) says so beside the connection state; the list goes on.
    void oddDataFolder()
    {
        const QString setup = QStringLiteral("SETUP.INI");
        const QString commandSet = QStringLiteral("DEFAULTCOMMANDSET.CFG");
        TempDataFolder data;
        writeBytes(data.path() + setup, "[SETTINGS]\r\nPort=4321\r\nConnect=0\r\n");
        writeBytes(data.path() + commandSet, "[SETTINGS]\r\nCommand1=GM\r\nLabel1=Mine\r\n");
        writeBytes(data.path() + "Logs", "");
        {
            frmMain w;
            w.show();
            QCOMPARE(control<QLineEdit>(&w, "txtPort")->text(), QStringLiteral("4321"));
            QCOMPARE(control<QPushButton>(&w, "cmdCommand1")->text(), QStringLiteral("Mine"));
            control<QLineEdit>(&w, "txtPort")->setText(QStringLiteral("4322"));
            w.Session()->Send(QStringLiteral("GM"));
            w.Session()->Send(QStringLiteral("SM 1"));
            QTRY_VERIFY(!control<QLabel>(&w, "labNotice")->isHidden());
            QCOMPARE(w.Session()->Log()->rowCount(), 2);
            w.close();
        }
        QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList({commandSet, "Logs", setup}));
        QVERIFY(fileBytes(data.path() + setup).contains("Port=4322\r\n"));
        QVERIFY(fileBytes(data.path() + commandSet).contains("Label1=Mine\r\n"));
    }

    // A desktop session that ends, or a Ctrl+C, closes the window as its close box does; so does a
    // kill while the program is still starting (provisioning from a program folder of many command
    // sets). A kill once it runs is tst_install's.
    void terminationSignalSaves_data()
    {
        columns<int, bool>("signal", "starting");
        row("SIGINT", int(SIGINT), false);
        row("SIGHUP", int(SIGHUP), false);
        row("SIGTERM while starting", int(SIGTERM), true);
    }
    void terminationSignalSaves()
    {
        QFETCH(bool, starting);
        TempDataFolder data;
        data.writeSetup({{"Connect", "0"}, {"Port", "4321"}});
        QTemporaryDir programFolder;
        QString program = QStringLiteral(RELAYTAB_PATH);
        if (starting) {
            program = programFolder.filePath(QStringLiteral("relaytab"));
            QVERIFY(QFile::copy(QStringLiteral(RELAYTAB_PATH), program));
            writeBytes(programFolder.filePath(QStringLiteral("DefaultCommandSet.cfg")), "[SETTINGS]\r\n");
            for (int n = 0; n < 3000; ++n)
                writeBytes(programFolder.filePath(QStringLiteral("set%1.cfg").arg(n)), "[SETTINGS]\r\n");
        }
        QProcess process; // on the test's own platform (offscreen under ctest) and data folder
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        // Start-up is provisioning the data folder once a command set is there.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(data.path()).entryList({"*.cfg"}).size() > 0, 20000);
        ::kill(pid_t(process.processId()), fetch<int>("signal"));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(savedSettings(data), "4321|" + modTools::LocalHostName() + "|0|0|0|0|0");
        // Every command set was copied before the window closed.
        QVERIFY(!starting || QDir(data.path()).entryList({"set*.cfg"}).size() == 3000);
    }
};

QTEST_MAIN(tst_FrmMain)
#include "tst_frmmain.moc"
