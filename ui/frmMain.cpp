#include "frmMain.h"

#include "CommandSession.h"
#include "Journal.h"
#include "ScriptModel.h"
#include "Settings.h"
#include "Winsock.h"
#include "modGlobal.h"
#include "modTools.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStyle>
#include <QTimer>

frmMain::frmMain(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>()), timConnect(new QTimer(this)),
      timTimer(new QTimer(this))
{
    ui->setupUi(this);
    timConnect->setObjectName(QStringLiteral("timConnect"));
    timConnect->setInterval(1000);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(300);

    ui->cmdHelp->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    ui->cmdCommandUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ui->cmdCommandDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    ui->chkAppendCrLfDummy->setVisible(false);
    ui->labCommandScriptCompleted->setStyleSheet(QStringLiteral("color: #0000ff; font-weight: bold;"));
    for (int row = 0; row < 2; ++row)
        ui->cboLanguage->addItem(QString());
    for (int row = 0; row < 4; ++row)
        ui->cboDevice->addItem(QString());
    m_session = new CommandSession(this);
    m_session->Socket()->setObjectName(QStringLiteral("Winsock1"));
    setupTrafficLog();
    ui->lstCommands->setModel(new ScriptModel(this));

    connectControls();
    Form_Load();
}

frmMain::~frmMain()
{
    // The journal goes before the session that writes into it.
    stopJournal();
}

void frmMain::connectControls()
{
    connect(ui->cboLanguage, &QComboBox::currentIndexChanged, this, &frmMain::cboLanguage_Click);
    connect(ui->cboDevice, &QComboBox::currentIndexChanged, this, &frmMain::ApplyDeviceType);
    connect(ui->cboDevice, &QComboBox::currentTextChanged, this, &frmMain::ApplyDeviceType);
    connect(ui->cmdThisSystem, &QPushButton::clicked, this, &frmMain::cmdThisSystem_Click);
    connect(ui->cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(ui->cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(ui->SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_currentTab;
        m_currentTab = index;
        SSTab1_Click(previous);
    });
    connectAssistant();
    SetupEditor();
    SetupQuickDial();
    connectCommandLine();
    SetupCommandSet();
    connectScriptRuns();
    connectJournal();
}

void frmMain::Form_Load()
{
    modGlobal::DataFolder = modTools::DetermineDataFolder();
    // No installer makes the per-user folder, so the first start does: the shipped files then
    // arrive at once, and the empty set written at close cannot keep them out later.
    modTools::MakePath(modGlobal::DataFolder);
    holdDataFolder();
    modTools::ProvisionDataFolder();

    const QString setupFile = Settings::SetupFile();
    const Settings::Values stored = Settings::Read(setupFile);
    ui->txtPort->setText(stored.port);
    ui->txtPcName->setText(stored.name);
    modGlobal::DeviceType = quint8(stored.device);
    ui->chkAppendCrLf->setChecked(stored.appendCrLf != 0);
    ui->chkConnect->setChecked(stored.connect != 0);
    modGlobal::LanguageIndex = quint8(stored.language);
    ui->SSTab1->setCurrentIndex(stored.selTab);
    ui->chkJournal->setChecked(stored.journal != 0);
    m_journalKeepMB = stored.journalKeepMB;
    ui->spnReplyTimeout->setValue(stored.replyTimeout);

    ApplyLanguage();
    m_started = true;
    LoadCommandSet(modTools::DataFile(QStringLiteral("DefaultCommandSet.cfg")));
    if (ui->chkJournal->isChecked()) {
        Journal::Prune(JournalFolder(), qint64(m_journalKeepMB) << 20);
        startJournal();
    }

    timConnect->start();
    timTimer->start();
}

void frmMain::Form_Unload()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    timConnect->stop();
    timTimer->stop();
    // The window that holds the folder saves; this one would overwrite what that one keeps.
    if (modGlobal::DataFolderShared)
        return;

    modTools::MakePath(modGlobal::DataFolder);

    Settings::Values values;
    values.port = ui->txtPort->text();
    values.name = ui->txtPcName->text();
    values.device = ui->cboDevice->currentIndex();
    values.connect = ui->chkConnect->isChecked() ? 1 : 0;
    values.language = ui->cboLanguage->currentIndex();
    values.selTab = ui->SSTab1->currentIndex();
    // The user's own box, also while device type 2 shows the fixed one in its place.
    values.appendCrLf = ui->chkAppendCrLf->isChecked() ? 1 : 0;
    values.journal = ui->chkJournal->isChecked() ? 1 : 0;
    values.journalKeepMB = m_journalKeepMB;
    values.replyTimeout = ui->spnReplyTimeout->value();
    Settings::Write(values, Settings::SetupFile());

    SaveCommandSet(modTools::DataFile(QStringLiteral("DefaultCommandSet.cfg")));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmMain::closeFromOutside()
{
    // A modal dialog runs its own event loop; close it so that the shutdown is not held up by it.
    for (int tries = 0; tries < 8; ++tries) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == this)
            break;
        modal->close();
        if (modal->isVisible())
            modal->hide();
    }
    close();
}
