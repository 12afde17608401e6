// The quick-dial tab and the memory buttons of the editor tab: the eight memories and their display.
#include "QuickDialMemories.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

namespace {

template <typename T> T* numbered(QWidget* form, const char* prefix, int n)
{
    return form->findChild<T*>(QLatin1String(prefix) + QString::number(n));
}

} // namespace

void frmMain::SetupQuickDial()
{
    Memories = new QuickDialMemories(this);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        numbered<QTreeView>(this, "lvwCommand", n)->setModel(Memories->entries(n));
        connect(numbered<QCheckBox>(this, "chkCommandRepeat", n), &QCheckBox::toggled, this,
                [this, n](bool ticked) { Memories->setRepeat(n, ticked ? 1 : 0); });
        // The same hint in every language, on the first four memories only.
        if (n <= 4)
            numbered<QPlainTextEdit>(this, "txtCommandDescript", n)
                ->setToolTip(QStringLiteral("Mit einem Doppelklick werden die zugehörigen Befehle angezeigt..."));
    }
    connect(Memories, &QuickDialMemories::changed, this, &frmMain::ShowMemory);
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
