// The main window: it starts and ends the program and wires the controls of its four tabs to the
// units that do the work.
//
// The session engine (CommandSession) does the sending, receiving, pacing and cancelling; the window
// feeds it its inputs (target, connect box, CR LF rule) and shows what it reports: rows in lsvMsg,
// each command of a run in txtSend, the progress bar, the state label.
//
// Road of a typed command: txtSend (Enter or cmdSend) -> SendCommandLine -> CommandSession::Send.
// Road of a script run: cmdCommand n / F n -> ApplyMemory(n) -> CommandSession::Run over the
// commands of memory n.
//
// Start-up (constructor): data folder, provisioning, Setup.ini into the controls, ApplyLanguage,
// the default command set. Shutdown (closeEvent): data folder, Setup.ini, the default command set.
#pragma once

#include <QLockFile>
#include <QWidget>

#include <memory>

namespace Ui {
class frmMain;
}
class QTimer;
class CommandSession;
class Journal;
class QuickDialMemories;
class ScriptModel;

class frmMain : public QWidget
{
    Q_OBJECT
public:
    // No screen shows more than about 60 pictures a second; what changes faster is shown at that pace.
    static constexpr int ScreenFrameMs = 16;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Closes the window as its close box does; open dialogs are closed first. Used for SIGTERM.
    void closeFromOutside();

    // Start-up and shutdown --------------------------------------------------------------------
    void Form_Load();
    void Form_Unload();

    // General settings, language, help ---------------------------------------------------------
    void ApplyLanguage();
    void ApplyDeviceType();
    void cboLanguage_Click(int row);
    void cmdThisSystem_Click();
    void cmdHelp_Click();
    void cmdQuit_Click();
    void SSTab1_Click(int previousTab);

    // Connection, command line and traffic log -------------------------------------------------
    void timConnect_Timer();
    bool ConnectIfWanted();
    void timTimer_Timer();
    bool RefreshConnectionState();
    // Sends txtSend as it stands, or performs the wait it holds.
    void SendCommandLine();
    void txtSend_Change();
    void txtSend_KeyDown(int keyCode);
    void cmdSend_Click();
    void cmdDeleteList_Click();
    void cmdSaveList_Click();
    // Writes the rows the list shows into the file; an error text, or nothing when it was written.
    QString SaveList(const QString& filePath);
    // Filter of the list: what txtLogFilter and cboLogFilterMode ask for.
    void ApplyLogFilter();
    // The selected rows as "time TAB mode TAB text" lines, as Ctrl+C copies them.
    QString SelectedLogText() const;
    void CopyLogRows();
    static constexpr int FilterPauseMs = 150;
    // An export of more rows shows its progress and can be cancelled.
    static constexpr int LargeExportRows = 100000;
    // A row was logged: lsvMsg scrolls to the last row and selects it (within one screen frame).
    void ShowLastLogRow();
    CommandSession* Session() const { return m_session; }

    // Traffic journal --------------------------------------------------------------------------
    // DataFolder + "Logs/".
    static QString JournalFolder();
    void chkJournal_Click(bool on);
    void cmdOpenJournalFolder_Click();
    Journal* CurrentJournal() const { return m_journal.get(); }
    // A line beside the connection state for what the user should know but need not answer.
    void ShowNotice(const QString& text);
    // Locks the data folder, or notes that another window holds it and this one will save nothing.
    void holdDataFolder();

private:
    void connectJournal();
    void connectLogTools();
    void ApplyLogTexts();
    QTimer* m_applyFilter = nullptr;
    void startJournal();
    void stopJournal();
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<QLockFile> m_folderLock;
    QString m_notice;

    void setupTrafficLog();
    void connectCommandLine();
    void followTrafficLog();
    // The CR LF rule as the session is to apply it: the user's box, or the fixed one of the device
    // type that always needs it.
    void updateCrLfRule();

    CommandSession* m_session = nullptr;
    class TrafficLogProxy* m_shownLog = nullptr;
    QTimer* m_followLog = nullptr;

public:
    // Command assistant ------------------------------------------------------------------------
    // Shows the assistant modally and gives back the command it built (empty when cancelled).
    QString RunAssistant();
    // Builds a command for the command line; it replaces the content of txtSend.
    void cmdCreateCommand1_Click();
    void connectAssistant();

    // Script editor ----------------------------------------------------------------------------
    void SetupEditor();
    // The edited script: the content of lstCommands.
    ScriptModel* EditedScript() const;
    // Adds an entry by the position rule (after the current entry, or above it with chkAbove),
    // makes it current, highlights it and scrolls it into view.
    void AddScriptEntry(const QString& command, const QString& description);
    void cmdCreateCommand2_Click();
    void cmdCreateManualCommand_Click();
    // Also the double-click in lstCommands; does nothing while cmdEditCommand is disabled.
    void cmdEditCommand_Click();
    void cmdDeleteCommand_Click();
    void cmdCommandUp_Click();
    void cmdCommandDown_Click();
    void UpdateEditButtons();

    // Quick-dial memories and script runs ------------------------------------------------------
    void SetupQuickDial();
    // Shows memory n (1..8) in its controls on both tabs.
    void ShowMemory(int n);
    QuickDialMemories* Memories = nullptr;
    // Each of the three switches a memory mode on or off: the next memory button then stores the
    // editor into that memory, loads it into the editor or deletes it.
    void cmdSave_Click();
    void cmdGetCommand_Click();
    void cmdDeleteScript_Click();
    // Carries out the memory mode that is on, or else runs memory n (1..8). Turned away while a run
    // or another memory operation is in progress.
    void ApplyMemory(quint8 n);
    // Runs memory n, and again after every pass while its repeat box is ticked and no cancel came.
    void cmdCommand_Click(quint8 n);
    // Sees every key pressed in the window before its controls do; F1..F8 on the quick-dial tab run
    // memory 1..8 once. True when the key was used.
    bool Form_KeyDown(int keyCode);
    void cmdCancelCommandScript_Click();
    // Runs the script of the editor once (cmdCommandTest).
    void TestEditedScript();
    // Tab pages 0-2, the command-set file buttons and the run buttons; then pending events are
    // handled once.
    void SetRunControlsEnabled(bool enable);
    // cmdF1..cmdF8 blink and can be used while a memory mode is on; timTimer calls this after the
    // state refresh.
    void BlinkMemoryButtons();

private:
    void connectScriptRuns();
    void GetMemory(quint8 n);
    void SaveMemory(quint8 n);
    void DeleteMemory(quint8 n);
    void RunMemory(quint8 n);
    // Sends the commands with progress bar and cancel button shown; true when all were sent.
    bool RunScript(const QStringList& commands, bool clearAwaitingReply);
    // The window is closing: a run in progress ends at once.
    void windowClosing();
    // The command being sent and the progress bar, at most once per screen frame.
    void showRunProgress();

    QTimer* m_runDisplay = nullptr;
    QString m_runCommand;
    int m_runDone = 0;

public:
    // Command-set files and the command list viewer ---------------------------------------------
    void SetupCommandSet();
    // The eight memories from and into a command-set file.
    void LoadCommandSet(const QString& filePath);
    void SaveCommandSet(const QString& filePath);
    void cmdLoadConfig_Click();
    void cmdSaveConfig_Click();
    // Shows the entries of memory n (1..8) in a viewer of their own; nothing for an empty memory.
    void ShowMemoryCommands(quint8 n);

    // Form-level state -------------------------------------------------------------------------
    bool scriptBusy = false;
    bool SaveMode = false;
    bool GetMode = false;
    bool DeleteMode = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();

    std::unique_ptr<Ui::frmMain> ui;
    QTimer* timConnect;
    QTimer* timTimer;
    int m_currentTab = 0;
    bool m_started = false;
    bool m_shutDown = false;
    int m_journalKeepMB = 1024;
};
