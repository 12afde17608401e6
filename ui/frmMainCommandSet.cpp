// The command-set files on the quick-dial tab, the default set at start and exit, and the viewer
// of a memory's commands opened from its note box.
#include "CommandSetFile.h"
#include "FileDialog.h"
#include "NumberedControls.h"
#include "QuickDialMemories.h"
#include "frmCommandList.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmMain.h"

#include <QEvent>
#include <QFileDialog>
#include <QPlainTextEdit>

#include <functional>

namespace {

// A double-click on a read-only note box shows its memory's commands. The box itself would only
// select a word, so the click ends here.
class NoteDoubleClickWatcher : public QObject
{
public:
    NoteDoubleClickWatcher(QObject* parent, std::function<void()> show)
        : QObject(parent), m_show(std::move(show))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return QObject::eventFilter(watched, event);
        m_show();
        return true;
    }

private:
    std::function<void()> m_show;
};

} // namespace

void frmMain::SetupCommandSet()
{
    connect(ui->cmdLoadConfig, &QPushButton::clicked, this, &frmMain::cmdLoadConfig_Click);
    connect(ui->cmdSaveConfig, &QPushButton::clicked, this, &frmMain::cmdSaveConfig_Click);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        auto* note = numbered<QPlainTextEdit>(this, "txtCommandDescript", n);
        note->viewport()->installEventFilter(
            new NoteDoubleClickWatcher(note, [this, n] { ShowMemoryCommands(quint8(n)); }));
    }
}

void frmMain::LoadCommandSet(const QString& filePath)
{
    CommandSetFile::LoadCommandSet(filePath, *Memories);
    modTools::AutoSizeColumns(ui->lstCommands, modTools::FitHeaderAndContent);
}

void frmMain::SaveCommandSet(const QString& filePath)
{
    CommandSetFile::SaveCommandSet(filePath, *Memories);
}

void frmMain::cmdLoadConfig_Click()
{
    QFileDialog dialog(this);
    PrepareFileDialog(dialog, 3116, modTools::GetText(3117) + QLatin1String(" (*.cfg)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString chosen = ChosenFile(dialog);
    if (chosen.isEmpty())
        return;
    const QString path = modTools::GetShortPath(chosen);
    if (!path.isEmpty())
        LoadCommandSet(path);
}

void frmMain::cmdSaveConfig_Click()
{
    QFileDialog dialog(this);
    PrepareFileDialog(dialog, 3124, modTools::GetText(3117) + QLatin1String(" (*.cfg)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Saving into an existing file changes only the set's keys in it, so there is nothing to confirm.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(modTools::GetText(3125) + QLatin1String(".cfg"));
    const QString chosen = ChosenFile(dialog);
    if (!chosen.isEmpty())
        SaveCommandSet(chosen);
}

void frmMain::ShowMemoryCommands(quint8 n)
{
    if (n < 1 || n > QuickDialMemories::Count)
        return;
    const QList<ScriptEntry>& entries = Memories->entries(n)->entries();
    if (entries.isEmpty())
        return;
    frmCommandList viewer;
    for (int j = 1; j <= entries.size(); ++j)
        viewer.InsertCommand(j, entries.at(j - 1));
    viewer.FitColumns();
    viewer.exec();
}
