#include "frmManualCommandEdit.h"

#include "TypingLimit.h"
#include "modTools.h"
#include "ui_frmManualCommandEdit.h"

frmManualCommandEdit::frmManualCommandEdit(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::frmManualCommandEdit>())
{
    ui->setupUi(this);
    TypingLimit::Apply(ui->txtCommand, CommandTypingLimit);
    TypingLimit::Apply(ui->txtDescription, DescriptionTypingLimit);

    // Enter in txtCommand falls through to the dialog, which presses the default button cmdOk;
    // txtDescription keeps Enter for its new lines.
    connect(ui->cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmManualCommandEdit::reject);
}

frmManualCommandEdit::~frmManualCommandEdit() = default;

QString frmManualCommandEdit::command() const
{
    return ui->txtCommand->text();
}

void frmManualCommandEdit::setCommand(const QString& text)
{
    ui->txtCommand->setText(text);
}

QString frmManualCommandEdit::description() const
{
    return ui->txtDescription->toPlainText();
}

void frmManualCommandEdit::SetDescription(const QString& strText)
{
    ui->txtDescription->setPlainText(strText);
}

void frmManualCommandEdit::setFrameCaption(const QString& text)
{
    ui->frmFrame->setTitle(text);
}

void frmManualCommandEdit::SetTexts()
{
    ui->labCommand->setText(modTools::GetText(3044));
    ui->labDescription->setText(modTools::GetText(3045));
    ui->cmdCancel->setText(modTools::GetText(3204));
    ui->cmdOk->setText(modTools::GetText(3205));
}

void frmManualCommandEdit::reject()
{
    QDialog::reject();
    ui->txtCommand->clear();
    ui->txtDescription->clear();
}

void frmManualCommandEdit::showEvent(QShowEvent* event)
{
    // Modal and used once, so showing is the one time this dialog becomes active.
    SetTexts();
    ui->txtCommand->setFocus();
    QDialog::showEvent(event);
}

void frmManualCommandEdit::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (!visible)
        return;
    // Showing a dialog selects the whole text of the box that gets the focus; typing would then
    // replace a command put in for editing, so the cursor goes behind it instead.
    ui->txtCommand->deselect();
    ui->txtCommand->end(false);
}
