// The command assistant as the command line and the script editor use it.
#include "frmAssistant.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "ui_frmMain.h"

void frmMain::connectAssistant()
{
    connect(ui->cmdCreateCommand1, &QPushButton::clicked, this, &frmMain::cmdCreateCommand1_Click);
}

QString frmMain::RunAssistant()
{
    ui->labCommandScriptCompleted->setVisible(false);
    // One dialog for the whole run: it keeps the last address from one opening to the next.
    auto* assistant = findChild<frmAssistant*>(QString(), Qt::FindDirectChildrenOnly);
    if (!assistant)
        assistant = new frmAssistant(this);
    assistant->ShowModal(ui->cboDevice->currentIndex());
    return modGlobal::AssistantCommand;
}

void frmMain::cmdCreateCommand1_Click()
{
    modGlobal::AssistantFromCommandLine = true;
    const QString command = RunAssistant();
    if (!command.isEmpty())
        ui->txtSend->setText(command);
}
