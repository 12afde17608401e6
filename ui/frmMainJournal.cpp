// The traffic journal: started with the window when chkJournal is ticked, stopped when it is not,
// and a notice beside the connection state when it fails.
#include "CommandSession.h"
#include "Journal.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "modTools.h"
#include "ui_frmMain.h"

#include <QDesktopServices>
#include <QUrl>

QString frmMain::JournalFolder()
{
    return modGlobal::DataFolder + QLatin1String("Logs/");
}

void frmMain::connectJournal()
{
    ui->labNotice->setStyleSheet(QStringLiteral("color: #c00000;"));
    connect(ui->chkJournal, &QCheckBox::toggled, this, &frmMain::chkJournal_Click);
    connect(ui->cmdOpenJournalFolder, &QPushButton::clicked, this, &frmMain::cmdOpenJournalFolder_Click);
}

void frmMain::chkJournal_Click(bool on)
{
    // Loading the settings ticks the box before the window has started; Form_Load starts it then.
    if (!m_started)
        return;
    if (on)
        startJournal();
    else
        stopJournal();
}

void frmMain::startJournal()
{
    if (m_journal)
        return;
    m_journal = std::make_unique<Journal>(JournalFolder());
    connect(m_journal.get(), &Journal::failed, this, [this](const QString& reason) {
        ShowNotice(modTools::FormatText(modTools::GetText(7013), {reason}));
    });
    m_session->SetJournal(m_journal.get());
}

void frmMain::stopJournal()
{
    m_session->SetJournal(nullptr);
    m_journal.reset();
}

void frmMain::cmdOpenJournalFolder_Click()
{
    modTools::MakePath(JournalFolder());
    QDesktopServices::openUrl(QUrl::fromLocalFile(JournalFolder()));
}

void frmMain::ShowNotice(const QString& text)
{
    m_notice = text;
    QStringList parts;
    if (modGlobal::DataFolderShared)
        parts << modTools::GetText(7090);
    if (!text.isEmpty())
        parts << text;
    const QString shown = parts.join(QLatin1String("  "));
    ui->labNotice->setText(shown);
    ui->labNotice->setToolTip(shown);
    ui->labNotice->setVisible(!shown.isEmpty());
}

void frmMain::holdDataFolder()
{
    m_folderLock = std::make_unique<QLockFile>(modGlobal::DataFolder + QLatin1String("relaytab.lock"));
    // Only the lock of a holder that is gone is stale, however long a window has been running.
    m_folderLock->setStaleLockTime(0);
    modGlobal::DataFolderShared = !m_folderLock->tryLock(0);
    if (modGlobal::DataFolderShared)
        ShowNotice({});
}
