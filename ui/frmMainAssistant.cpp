// The command assistant as the command line and the script editor use it.
#include "frmMain.h"
#include "ui_frmMain.h"

#include "modGlobal.h"

QString frmMain::RunAssistant()
{
    ui->labCommandScriptCompleted->setVisible(false);
    modGlobal::AssistantCommand.clear();
    modGlobal::AssistantDescription.clear();
    return modGlobal::AssistantCommand;
}
