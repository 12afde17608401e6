// The quick-dial tab and the memory buttons of the editor tab: the eight memories, their display
// and the three memory modes.
#include "CommandSession.h"
#include "NumberedControls.h"
#include "QuickDialMemories.h"
#include "frmMain.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

namespace {

QColor buttonColour(const QPushButton* button)
{
    return button->palette().color(QPalette::Active, QPalette::Button);
}

void setButtonColour(QPushButton* button, const QColor& colour)
{
    // Only a real change, so that an idle window repaints nothing every tick.
    if (buttonColour(button) == colour)
        return;
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
}

} // namespace

void frmMain::SetupQuickDial()
{
    Memories = new QuickDialMemories(this);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        numbered<QTreeView>(this, "lvwCommand", n)->setModel(Memories->entries(n));
        connect(numbered<QCheckBox>(this, "chkCommandRepeat", n), &QCheckBox::toggled, this,
                [this, n](bool ticked) {
                    if (ticked != (Memories->repeat(n) != 0))
                        Memories->setRepeat(n, ticked ? 1 : 0);
                });
        // The same hint in every language, on the first four memories only.
        if (n <= 4)
            numbered<QPlainTextEdit>(this, "txtCommandDescript", n)
                ->setToolTip(
                    QStringLiteral("Mit einem Doppelklick werden die zugehörigen Befehle angezeigt..."));
        connect(numbered<QPushButton>(this, "cmdF", n), &QPushButton::clicked, this,
                [this, n] { ApplyMemory(quint8(n)); });
    }
    connect(Memories, &QuickDialMemories::changed, this, &frmMain::ShowMemory);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(ui->cmdGetCommand, &QPushButton::clicked, this, &frmMain::cmdGetCommand_Click);
    connect(ui->cmdDeleteScript, &QPushButton::clicked, this, &frmMain::cmdDeleteScript_Click);
}

void frmMain::ShowMemory(int n)
{
    auto* memoryButton = numbered<QPushButton>(this, "cmdF", n);
    memoryButton->setText(Memories->buttonCaption(n));
    memoryButton->setToolTip(Memories->buttonToolTip(n));
    numbered<QPushButton>(this, "cmdCommand", n)->setText(Memories->label(n));
    auto* note = numbered<QPlainTextEdit>(this, "txtCommandDescript", n);
    if (note->toPlainText() != Memories->note(n))
        note->setPlainText(Memories->note(n));
    numbered<QCheckBox>(this, "chkCommandRepeat", n)->setChecked(Memories->repeat(n) != 0);
}

void frmMain::cmdSave_Click()
{
    struct Check
    {
        bool failed;
        qint16 text;
        qint16 title;
        QWidget* focus;
    };
    // Also when the click would switch save mode off.
    const Check checks[] = {
        {EditedScript()->count() == 0, 3118, 3119, ui->lstCommands},
        {ui->txtNote->toPlainText().isEmpty(), 3120, 3121, ui->txtNote},
        {ui->txtLabel->text().isEmpty(), 3122, 3123, ui->txtLabel},
    };
    for (const Check& check : checks) {
        if (check.failed) {
            QMessageBox::warning(this, modTools::GetText(check.title), modTools::GetText(check.text));
            check.focus->setFocus();
            return;
        }
    }
    GetMode = false;
    SaveMode = !SaveMode;
}

void frmMain::cmdGetCommand_Click()
{
    SaveMode = false;
    GetMode = !GetMode;
    // At once rather than at the next tick, which then keeps them enabled exactly while a mode is on.
    for (int n = 1; n <= QuickDialMemories::Count; ++n)
        numbered<QPushButton>(this, "cmdF", n)->setEnabled(true);
}

void frmMain::cmdDeleteScript_Click()
{
    DeleteMode = !DeleteMode;
}

void frmMain::ApplyMemory(quint8 n)
{
    if (scriptBusy || n < 1 || n > QuickDialMemories::Count)
        return;
    scriptBusy = true;
    SetRunControlsEnabled(false);
    if (GetMode)
        GetMemory(n);
    else if (SaveMode)
        SaveMemory(n);
    else if (DeleteMode)
        DeleteMemory(n);
    else
        RunMemory(n);
    SetRunControlsEnabled(true);
    scriptBusy = false;
    // A repeated run that was turned away meanwhile may go on now.
    m_session->Wake();
}

void frmMain::GetMemory(quint8 n)
{
    GetMode = false;
    ui->txtNote->setPlainText(Memories->note(n));
    ui->txtLabel->setText(Memories->label(n));
    EditedScript()->replaceAll(Memories->entries(n)->entries());
    ui->SSTab1->setCurrentIndex(2);
    for (int k = 1; k <= QuickDialMemories::Count; ++k)
        numbered<QPushButton>(this, "cmdF", k)->setEnabled(false);
    // The editor's buttons follow the new script at once, not only at the next click in the list.
    UpdateEditButtons();
    modTools::AutoSizeColumns(ui->lstCommands, modTools::FitHeaderAndContent);
}

void frmMain::SaveMemory(quint8 n)
{
    SaveMode = false;
    Memories->store(n, ui->txtLabel->text(), ui->txtNote->toPlainText(), EditedScript()->entries());
}

void frmMain::DeleteMemory(quint8 n)
{
    DeleteMode = false;
    const QString question = modTools::FormatText(modTools::GetText(3100), {QString::number(n)});
    if (QMessageBox::question(this, modTools::GetText(3101), question, QMessageBox::Yes | QMessageBox::No) ==
        QMessageBox::Yes)
        Memories->erase(n);
}

void frmMain::BlinkMemoryButtons()
{
    const bool modeOn = GetMode || SaveMode || DeleteMode;
    const QColor colour = modeOn && buttonColour(ui->cmdF1) == buttonColour(ui->cmdCommand1)
                              ? QColor::fromRgb(0x00ff00)
                              : buttonColour(ui->cmdQuit);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        auto* button = numbered<QPushButton>(this, "cmdF", n);
        setButtonColour(button, colour);
        button->setEnabled(modeOn);
    }
}
