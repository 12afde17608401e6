// Script runs: a quick-dial memory from its run button or function key, repeated while its box is
// ticked, and the test run of the edited script; the progress bar, cancel, and the controls a run
// disables.
#include "NumberedControls.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "ScriptRunner.h"
#include "TickWait.h"
#include "Winsock.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <functional>

namespace {

// How long a repeated pass that had nothing to do (an empty memory, or another run in progress)
// waits before the next one, unless something it depends on changes first.
constexpr int IdlePassMs = 1000;

// Hands the window every key pressed in it before the control with the focus sees it, and tells
// it when it is about to close.
class WindowWatcher : public QObject
{
public:
    WindowWatcher(QWidget* window, std::function<bool(int)> keyDown, std::function<void()> closing)
        : QObject(window), m_window(window), m_keyDown(std::move(keyDown)), m_closing(std::move(closing))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            if (m_keyDown(static_cast<QKeyEvent*>(event)->key())) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::Close && watched == m_window) {
            m_closing();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    std::function<bool(int)> m_keyDown;
    std::function<void()> m_closing;
};

} // namespace

void frmMain::connectScriptRuns()
{
    ScriptRunner::Hooks hooks;
    hooks.awaitingReply = [this] { return awaitingReply; };
    hooks.cancelRequested = [this] { return cancelRequested; };
    hooks.ending = [this] { return m_windowClosing; };
    hooks.send = [this](const QString& command) {
        // The command line shows each command while it is sent.
        ui->txtSend->setText(command);
        SendCommandLine();
    };
    hooks.sent = [this] { ui->prgProgress->setValue(ui->prgProgress->value() + 1); };
    m_runner = new ScriptRunner(std::move(hooks), this);
    // A bar without a percentage: with the text, nearly every step of a fast run would repaint the
    // bar at once and slow the run down.
    ui->prgProgress->setTextVisible(false);

    // After ReceiveData, which may have cleared awaitingReply.
    connect(Winsock1, &Winsock::DataArrival, m_runner, &ScriptRunner::Wake);
    connect(Memories, &QuickDialMemories::changed, m_runner, &ScriptRunner::Wake);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        connect(numbered<QPushButton>(this, "cmdCommand", n), &QPushButton::clicked, this,
                [this, n] { cmdCommand_Click(quint8(n)); });
        connect(numbered<QCheckBox>(this, "chkCommandRepeat", n), &QCheckBox::toggled, m_runner,
                &ScriptRunner::Wake);
    }
    connect(ui->cmdCancelCommandScript, &QPushButton::clicked, this, &frmMain::cmdCancelCommandScript_Click);
    connect(ui->cmdCommandTest, &QPushButton::clicked, this, &frmMain::TestEditedScript);

    qApp->installEventFilter(new WindowWatcher(
        this, [this](int key) { return Form_KeyDown(key); }, [this] { windowClosing(); }));
}

void frmMain::cmdCommand_Click(quint8 n)
{
    auto* repeat = numbered<QCheckBox>(this, "chkCommandRepeat", n);
    do {
        ApplyMemory(n);
        QCoreApplication::processEvents();
        const bool idlePass = scriptBusy || Memories->entries(n)->count() == 0;
        if (idlePass && repeat->isChecked() && !cancelRequested && !m_windowClosing &&
            !m_runner->Pause(IdlePassMs))
            break;
    } while (repeat->isChecked() && !cancelRequested && !m_windowClosing);
}

bool frmMain::Form_KeyDown(int keyCode)
{
    if (keyCode < Qt::Key_F1 || keyCode > Qt::Key_F8)
        return false;
    if (ui->SSTab1->currentIndex() != 3 || !ui->cmdCommand1->isEnabled())
        return false;
    QCoreApplication::processEvents();
    // Once, whatever the repeat box says.
    ApplyMemory(quint8(keyCode - Qt::Key_F1 + 1));
    return true;
}

void frmMain::cmdCancelCommandScript_Click()
{
    cancelRequested = true;
    m_runner->Wake();
}

void frmMain::RunMemory(quint8 n)
{
    const QStringList commands = Memories->entries(n)->commands();
    if (commands.isEmpty())
        return;
    awaitingReply = false;
    cancelRequested = false;
    if (RunScript(commands))
        ui->labCommandScriptCompleted->setVisible(true);
}

void frmMain::TestEditedScript()
{
    if (scriptBusy)
        return;
    scriptBusy = true;
    // awaitingReply stays: a reply still outstanding from an earlier send holds the first command.
    cancelRequested = false;
    if (RunScript(EditedScript()->commands()))
        ui->labCommandScriptCompleted->setVisible(true);
    scriptBusy = false;
    m_runner->Wake();
}

bool frmMain::RunScript(const QStringList& commands)
{
    ui->cmdCancelCommandScript->setVisible(true);
    ui->prgProgress->setRange(0, int(commands.size()));
    ui->prgProgress->setValue(0);
    ui->prgProgress->setVisible(true);
    // The commands as they are now: what the editor or a command-set file does during the run
    // changes neither their number nor their order.
    const bool completed = m_runner->Run(commands);
    ui->prgProgress->setVisible(false);
    ui->cmdCancelCommandScript->setVisible(false);
    return completed;
}

void frmMain::SetRunControlsEnabled(bool enable)
{
    QTabWidget* tabs = ui->SSTab1;
    for (int page = 0; page <= 2; ++page) {
        // Qt would switch away from the tab on show if its header were disabled; only its page is.
        if (!enable && page == tabs->currentIndex())
            tabs->widget(page)->setEnabled(false);
        else
            tabs->setTabEnabled(page, enable);
    }
    ui->cmdLoadConfig->setEnabled(enable);
    ui->cmdSaveConfig->setEnabled(enable);
    for (int n = 1; n <= QuickDialMemories::Count; ++n)
        numbered<QPushButton>(this, "cmdCommand", n)->setEnabled(enable);
    QCoreApplication::processEvents();
}

void frmMain::windowClosing()
{
    m_windowClosing = true;
    cancelRequested = true;
    m_waitTicks->Wake();
    m_runner->Wake();
}
