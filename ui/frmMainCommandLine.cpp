// The connection, the command line tab and the traffic log: frmMain's routines delegate to the comm
// units and keep the widgets in step.
#include "CommandSession.h"
#include "ConnectionState.h"
#include "FileDialog.h"
#include "LogExport.h"
#include "NumberedControls.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>

namespace {

// Hands every key pressed in a control to a handler before the control sees it.
class KeyDownFilter : public QObject
{
public:
    KeyDownFilter(QObject* parent, std::function<void(int)> handler)
        : QObject(parent), m_handler(std::move(handler))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            m_handler(static_cast<QKeyEvent*>(event)->key());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> m_handler;
};

int textWidth(const QFontMetrics& metrics, std::initializer_list<const char*> texts)
{
    int widest = 0;
    for (const char* text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1String(text)));
    return widest + 3 * metrics.averageCharWidth();
}

} // namespace

void frmMain::setupTrafficLog()
{
    m_shownLog = new TrafficLogProxy(m_session->Log(), this);
    m_followLog = new QTimer(this);
    m_followLog->setSingleShot(true);
    m_followLog->setInterval(ScreenFrameMs);
    connect(m_followLog, &QTimer::timeout, this, &frmMain::followTrafficLog);

    QTableView* view = ui->lsvMsg;
    view->setModel(m_shownLog);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);

    // Every row has the same height, so the header never measures rows, however many there are.
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);
    rows->setVisible(false);

    QHeaderView* columns = view->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(true);
    const QFontMetrics metrics = view->fontMetrics();
    columns->resizeSection(TrafficLog::TimeColumn, textWidth(metrics, {"00:00:00:000", "Zeit", "Time"}));
    columns->resizeSection(TrafficLog::ModeColumn, textWidth(metrics, {"Mode", "Wait"}));
}

void frmMain::connectCommandLine()
{
    connect(timConnect, &QTimer::timeout, this, &frmMain::timConnect_Timer);
    connect(timTimer, &QTimer::timeout, this, &frmMain::timTimer_Timer);
    connect(m_session, &CommandSession::rowLogged, this, &frmMain::ShowLastLogRow);
    connect(ui->txtSend, &QLineEdit::textChanged, this, &frmMain::txtSend_Change);
    ui->txtSend->installEventFilter(
        new KeyDownFilter(ui->txtSend, [this](int key) { txtSend_KeyDown(key); }));
    connect(ui->cmdSend, &QPushButton::clicked, this, &frmMain::cmdSend_Click);
    connect(ui->cmdDeleteList, &QPushButton::clicked, this, &frmMain::cmdDeleteList_Click);
    connect(ui->cmdSaveList, &QPushButton::clicked, this, &frmMain::cmdSaveList_Click);
    connectLogTools();
    connect(ui->chkConnect, &QCheckBox::toggled, m_session, &CommandSession::SetConnectWanted);
    for (QLineEdit* target : {ui->txtPcName, ui->txtPort})
        connect(target, &QLineEdit::textChanged, this,
                [this] { m_session->SetTarget(ui->txtPcName->text(), ui->txtPort->text()); });
    connect(ui->chkAppendCrLf, &QCheckBox::toggled, this, &frmMain::updateCrLfRule);
}

void frmMain::updateCrLfRule()
{
    // The fixed box stands for the device type that always needs CR LF; what counts is that it is
    // put in place, not whether its tab is on screen.
    m_session->SetAppendCrLf(ui->chkAppendCrLf->isChecked() || !ui->chkAppendCrLfDummy->isHidden());
}

void frmMain::timConnect_Timer()
{
    // Stopped while it works so that a slow tick never overlaps the next one.
    timConnect->stop();
    ConnectIfWanted();
    timConnect->start();
}

bool frmMain::ConnectIfWanted()
{
    return m_session->ConnectIfWanted();
}

void frmMain::timTimer_Timer()
{
    RefreshConnectionState();
    BlinkMemoryButtons();
}

bool frmMain::RefreshConnectionState()
{
    const int state = int(m_session->State());
    ui->labState->setText(StateLabelText(state));
    bool usable = false;
    if (const auto info = StateInfo(state)) {
        QPalette palette = ui->labState->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(info->colour));
        ui->labState->setPalette(palette);
        usable = info->usable;
    }

    if (!usable || scriptBusy) {
        ui->cmdSend->setEnabled(false);
        ui->cmdCommandTest->setEnabled(false);
        return usable;
    }
    // The run buttons are only ever enabled here; a run disables them while it lasts.
    for (int n = 1; n <= 8; ++n) {
        if (auto* button = numbered<QPushButton>(this, "cmdCommand", n))
            button->setEnabled(true);
    }
    ui->cmdSend->setEnabled(!ui->txtSend->text().isEmpty());
    const QAbstractItemModel* script = ui->lstCommands->model();
    ui->cmdCommandTest->setEnabled(script && script->rowCount() > 0);
    return usable;
}

void frmMain::SendCommandLine()
{
    ui->labCommandScriptCompleted->setVisible(false);
    m_session->Send(ui->txtSend->text());
}

void frmMain::txtSend_Change()
{
    ui->cmdSend->setEnabled(!ui->txtSend->text().isEmpty());
}

void frmMain::txtSend_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        cmdSend_Click();
    ui->cmdSend->setEnabled(!ui->txtSend->text().isEmpty());
}

void frmMain::cmdSend_Click()
{
    // A cancel left over from an earlier run would cut the operator's own wait short.
    if (!scriptBusy)
        m_session->ClearCancel();
    SendCommandLine();
}

void frmMain::cmdDeleteList_Click()
{
    m_session->Log()->Clear();
    ui->cmdDeleteList->setEnabled(false);
    ui->cmdSaveList->setEnabled(false);
}

void frmMain::cmdSaveList_Click()
{
    QFileDialog dialog(this);
    PrepareFileDialog(dialog, 7031, modTools::GetText(7033) + QLatin1String(" (*.log);;CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QLatin1String("*.csv")) ? QStringLiteral("csv")
                                                                        : QStringLiteral("log"));
    });
    dialog.selectFile(QStringLiteral("relaytab-") +
                      CurrentUtcDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                      QStringLiteral(".log"));
    const QString chosen = ChosenFile(dialog);
    if (!chosen.isEmpty())
        SaveList(chosen);
}

QString frmMain::SaveList(const QString& filePath)
{
    // The rows the list shows; those coming in meanwhile are left for the next export.
    const TrafficLog* log = m_session->Log();
    const int count = m_shownLog->rowCount();
    std::unique_ptr<QProgressDialog> progress;
    if (count > LargeExportRows) {
        progress = std::make_unique<QProgressDialog>(modTools::GetText(7034), modTools::GetText(3039), 0,
                                                     count, this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    const QString error = LogExport::Write(
        filePath, count, [this, log](qsizetype n) { return log->Row(m_shownLog->SourceRow(int(n))); },
        [&progress](qsizetype done) {
            if (!progress)
                return true;
            progress->setValue(int(done));
            return !progress->wasCanceled();
        });
    ShowNotice(error.isEmpty() ? QString() : modTools::FormatText(modTools::GetText(7032), {error}));
    return error;
}

void frmMain::ShowLastLogRow()
{
    ui->cmdDeleteList->setEnabled(true);
    ui->cmdSaveList->setEnabled(true);
    // After each new row the view's row header sums the heights of all rows before a row it is
    // asked about, so a view that took in every row at once would cost more per row the longer
    // the log gets. It takes them in at most once per screen frame instead, all that came since.
    if (!m_followLog->isActive())
        m_followLog->start();
}

void frmMain::followTrafficLog()
{
    // The list follows new rows only while the user has not scrolled away from its end.
    const QScrollBar* scroll = ui->lsvMsg->verticalScrollBar();
    const bool atEnd = scroll->value() >= scroll->maximum();
    m_shownLog->ShowNewRows();
    if (!atEnd)
        return;
    const int last = m_shownLog->rowCount() - 1;
    if (last < 0)
        return;
    const QModelIndex index = m_shownLog->index(last, TrafficLog::TimeColumn);
    ui->lsvMsg->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    ui->lsvMsg->scrollTo(index);
}
