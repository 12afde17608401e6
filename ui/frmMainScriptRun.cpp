// Script runs: a quick-dial memory from its run button or function key, repeated while its box is
// ticked, and the test run of the edited script; the progress bar, cancel, and the controls a run
// disables.
#include "CommandSession.h"
#include "NumberedControls.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

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
    // The command line shows each command of a run while it is sent, and the bar how many are done.
    // Painting them for every command of a fast run would cost more than sending it.
    m_runDisplay = new QTimer(this);
    m_runDisplay->setSingleShot(true);
    m_runDisplay->setInterval(ScreenFrameMs);
    connect(m_runDisplay, &QTimer::timeout, this, &frmMain::showRunProgress);
    connect(m_session, &CommandSession::commandStarting, this, [this](int, const QString& command) {
        ui->labCommandScriptCompleted->setVisible(false);
        m_runCommand = command;
        if (!m_runDisplay->isActive())
            m_runDisplay->start();
    });
    connect(m_session, &CommandSession::commandDone, this, [this] { ++m_runDone; });
    // A bar without a percentage: with the text, nearly every step of a fast run would repaint the
    // bar at once and slow the run down.
    ui->prgProgress->setTextVisible(false);

    connect(Memories, &QuickDialMemories::changed, m_session, &CommandSession::Wake);
    for (int n = 1; n <= QuickDialMemories::Count; ++n) {
        connect(numbered<QPushButton>(this, "cmdCommand", n), &QPushButton::clicked, this,
                [this, n] { cmdCommand_Click(quint8(n)); });
        connect(numbered<QCheckBox>(this, "chkCommandRepeat", n), &QCheckBox::toggled, m_session,
                &CommandSession::Wake);
    }
    // Only runs wait for replies; a command typed on the command line never times out.
    connect(ui->spnReplyTimeout, &QSpinBox::valueChanged, m_session, &CommandSession::SetReplyTimeout);
    connect(ui->cmdCancelCommandScript, &QPushButton::clicked, this, &frmMain::cmdCancelCommandScript_Click);
    connect(ui->cmdCommandTest, &QPushButton::clicked, this, &frmMain::TestEditedScript);

    qApp->installEventFilter(new WindowWatcher(
        this, [this](int key) { return Form_KeyDown(key); }, [this] { windowClosing(); }));
}

void frmMain::cmdCommand_Click(quint8 n)
{
    auto* repeat = numbered<QCheckBox>(this, "chkCommandRepeat", n);
    const auto goOn = [&] {
        return repeat->isChecked() && !m_session->CancelRequested() && !m_session->Ending();
    };
    do {
        ApplyMemory(n);
        QCoreApplication::processEvents();
        const bool idlePass = scriptBusy || Memories->entries(n)->count() == 0;
        if (idlePass && goOn() && !m_session->Pause(IdlePassMs))
            break;
    } while (goOn());
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
    m_session->RequestCancel();
}

void frmMain::RunMemory(quint8 n)
{
    const QStringList commands = Memories->entries(n)->commands();
    if (!commands.isEmpty() && RunScript(commands, true))
        ui->labCommandScriptCompleted->setVisible(true);
}

void frmMain::TestEditedScript()
{
    if (scriptBusy)
        return;
    scriptBusy = true;
    // A reply still outstanding from an earlier send holds the first command.
    if (RunScript(EditedScript()->commands(), false))
        ui->labCommandScriptCompleted->setVisible(true);
    scriptBusy = false;
    m_session->Wake();
}

bool frmMain::RunScript(const QStringList& commands, bool clearAwaitingReply)
{
    ui->cmdCancelCommandScript->setVisible(true);
    ui->prgProgress->setRange(0, int(commands.size()));
    ui->prgProgress->setValue(0);
    ui->prgProgress->setVisible(true);
    m_runDone = 0;
    m_runCommand.clear();
    // The commands as they are now: what the editor or a command-set file does during the run
    // changes neither their number nor their order.
    CommandSession::RunOptions options;
    options.clearAwaitingReply = clearAwaitingReply;
    const bool completed = m_session->Run(commands, options) == CommandSession::RunResult::Completed;
    m_runDisplay->stop();
    showRunProgress();
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

void frmMain::showRunProgress()
{
    if (!m_runCommand.isEmpty())
        ui->txtSend->setText(m_runCommand);
    ui->prgProgress->setValue(m_runDone);
}

void frmMain::windowClosing()
{
    m_session->End();
}
