#include "frmCommandList.h"

#include "ScriptModel.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmCommandList.h"

frmCommandList::frmCommandList(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::frmCommandList>())
{
    ui->setupUi(this);
    ui->lstCommands->setModel(new ScriptModel(this));
    connect(ui->cmdQuit, &QPushButton::clicked, this, &QDialog::accept);
    ApplyViewerTexts();
}

frmCommandList::~frmCommandList() = default;

void frmCommandList::ApplyViewerTexts()
{
    setWindowTitle(modTools::GetText(3400));
    ui->cmdQuit->setText(modTools::GetText(3401));
    QAbstractItemModel* model = ui->lstCommands->model();
    model->setHeaderData(ScriptModel::CommandColumn, Qt::Horizontal, modTools::GetText(3044));
    model->setHeaderData(ScriptModel::DescriptionColumn, Qt::Horizontal, modTools::GetText(3045));
}

void frmCommandList::InsertCommand(int position, const ScriptEntry& entry)
{
    static_cast<ScriptModel*>(ui->lstCommands->model())->insertEntry(position - 1, entry);
}

void frmCommandList::FitColumns()
{
    modTools::AutoSizeColumns(ui->lstCommands, modTools::FitHeaderAndContent);
}
