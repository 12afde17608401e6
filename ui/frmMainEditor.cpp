// The script editor tab: the edited script in lstCommands, its editing operations and the enabling
// of their buttons. The rules themselves live in ScriptEditing; this file applies them to widgets.
#include "ScriptEditing.h"
#include "ScriptModel.h"
#include "TypingLimit.h"
#include "frmMain.h"
#include "frmManualCommandEdit.h"
#include "modGlobal.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmMain.h"

#include <QEvent>
#include <QItemSelectionModel>

#include <functional>

namespace {

constexpr int LabelTypingLimit = 40;
constexpr int NoteTypingLimit = 128;

// Refreshes the editing buttons after a click in the list and when the list gains or loses focus.
class ListClickWatcher : public QObject
{
public:
    ListClickWatcher(QObject* parent, std::function<void()> refresh)
        : QObject(parent), m_refresh(std::move(refresh))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            m_refresh();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_refresh;
};

int currentRow(const QAbstractItemView* list)
{
    const QModelIndex current = list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// The row becomes the current entry, the only highlighted one, and is scrolled into view.
void makeCurrent(QAbstractItemView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
}

void moveCurrent(QAbstractItemView* list, ScriptModel* script, int step)
{
    const int row = currentRow(list);
    const int other = ScriptEditing::MoveTarget(script->count(), row, step);
    if (other < 0)
        return;
    script->exchangeEntries(row, other);
    makeCurrent(list, other);
}

// A fresh dialog for every use, so that it shows exactly the texts put in.
ScriptEntry askManualCommand(QWidget* owner, const ScriptEntry& shown)
{
    frmManualCommandEdit dialog(owner);
    dialog.SetDescription(shown.description);
    dialog.setCommand(shown.command);
    dialog.setFrameCaption(modTools::GetText(3114));
    dialog.setWindowTitle(modTools::GetText(3115));
    dialog.exec();
    return {dialog.command(), dialog.description()};
}

} // namespace

void frmMain::SetupEditor()
{
    TypingLimit::Apply(ui->txtLabel, LabelTypingLimit);
    TypingLimit::Apply(ui->txtNote, NoteTypingLimit);

    QTreeView* list = ui->lstCommands;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);

    connect(ui->cmdCreateCommand2, &QPushButton::clicked, this, &frmMain::cmdCreateCommand2_Click);
    connect(ui->cmdCreateManualCommand, &QPushButton::clicked, this, &frmMain::cmdCreateManualCommand_Click);
    connect(ui->cmdEditCommand, &QPushButton::clicked, this, &frmMain::cmdEditCommand_Click);
    connect(ui->cmdDeleteCommand, &QPushButton::clicked, this, &frmMain::cmdDeleteCommand_Click);
    connect(ui->cmdCommandUp, &QPushButton::clicked, this, &frmMain::cmdCommandUp_Click);
    connect(ui->cmdCommandDown, &QPushButton::clicked, this, &frmMain::cmdCommandDown_Click);
    connect(list, &QAbstractItemView::doubleClicked, this, &frmMain::cmdEditCommand_Click);

    auto* watcher = new ListClickWatcher(list, [this] { UpdateEditButtons(); });
    list->installEventFilter(watcher);
    list->viewport()->installEventFilter(watcher);
    // Moving through the list with the keyboard changes the current entry too.
    QItemSelectionModel* selection = list->selectionModel();
    connect(selection, &QItemSelectionModel::currentRowChanged, this, &frmMain::UpdateEditButtons);
    connect(selection, &QItemSelectionModel::selectionChanged, this, &frmMain::UpdateEditButtons);

    // A non-empty list always has a current entry: the first entry put into an empty list (or the
    // first of a whole new content) becomes current and highlighted.
    const auto keepCurrent = [this, list] {
        if (currentRow(list) < 0 && EditedScript()->count() > 0)
            makeCurrent(list, 0);
    };
    connect(EditedScript(), &QAbstractItemModel::rowsInserted, this, keepCurrent);
    connect(EditedScript(), &QAbstractItemModel::modelReset, this, keepCurrent);
}

ScriptModel* frmMain::EditedScript() const
{
    return static_cast<ScriptModel*>(ui->lstCommands->model());
}

void frmMain::AddScriptEntry(const QString& command, const QString& description)
{
    ScriptModel* script = EditedScript();
    const int row =
        ScriptEditing::InsertRow(script->count(), currentRow(ui->lstCommands), ui->chkAbove->isChecked());
    script->insertEntry(row, {command, description});
    makeCurrent(ui->lstCommands, row);
}

void frmMain::cmdCreateCommand2_Click()
{
    modGlobal::AssistantFromCommandLine = false;
    const QString command = RunAssistant();
    if (ScriptEditing::IsUsableAssistantCommand(command))
        AddScriptEntry(command, modGlobal::AssistantDescription);
    UpdateEditButtons();
    modTools::AutoSizeColumns(ui->lstCommands, modTools::FitHeaderAndContent);
}

void frmMain::cmdCreateManualCommand_Click()
{
    ui->labCommandScriptCompleted->setVisible(false);
    const ScriptEntry typed = askManualCommand(this, {});
    if (!typed.command.isEmpty())
        AddScriptEntry(typed.command, typed.description);
    UpdateEditButtons();
    modTools::AutoSizeColumns(ui->lstCommands, modTools::FitHeaderAndContent);
}

void frmMain::cmdEditCommand_Click()
{
    if (!ui->cmdEditCommand->isEnabled())
        return;
    ScriptModel* script = EditedScript();
    const int row = currentRow(ui->lstCommands);
    if (row >= 0) {
        // An empty command (Cancel, or the user cleared it) leaves the entry as it was.
        const ScriptEntry typed = askManualCommand(this, script->entry(row));
        if (!typed.command.isEmpty())
            script->setEntry(row, typed);
    }
    UpdateEditButtons();
}

void frmMain::cmdDeleteCommand_Click()
{
    ScriptModel* script = EditedScript();
    const int row = currentRow(ui->lstCommands);
    if (row >= 0) {
        script->removeEntry(row);
        const int next = ScriptEditing::CurrentAfterRemove(script->count(), row);
        if (next >= 0)
            makeCurrent(ui->lstCommands, next);
    }
    UpdateEditButtons();
}

void frmMain::cmdCommandUp_Click()
{
    moveCurrent(ui->lstCommands, EditedScript(), -1);
    UpdateEditButtons();
}

void frmMain::cmdCommandDown_Click()
{
    moveCurrent(ui->lstCommands, EditedScript(), +1);
    UpdateEditButtons();
}

void frmMain::UpdateEditButtons()
{
    const QTreeView* list = ui->lstCommands;
    const int current = currentRow(list);
    const bool highlighted = current >= 0 && list->selectionModel()->isRowSelected(current, {});
    const ScriptEditing::EditButtons buttons =
        ScriptEditing::EditButtonsFor(EditedScript()->count(), current, highlighted);
    ui->cmdCommandTest->setEnabled(buttons.test);
    ui->cmdEditCommand->setEnabled(buttons.edit);
    ui->cmdDeleteCommand->setEnabled(buttons.remove);
    ui->cmdCommandUp->setEnabled(buttons.up);
    ui->cmdCommandDown->setEnabled(buttons.down);
}
