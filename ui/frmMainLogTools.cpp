// Around the traffic log list: find and filter, copy, the context menu.
#include "CommandSession.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "frmMain.h"
#include "modTools.h"
#include "ui_frmMain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QShortcut>
#include <QTimer>

namespace {

// The modes the filter box offers after "All", in its order.
constexpr LogMode filterModes[] = {LogMode::Set, LogMode::Get, LogMode::Wait, LogMode::Timeout};

} // namespace

void frmMain::connectLogTools()
{
    ui->cboLogFilterMode->addItem(QString());
    for (const LogMode mode : filterModes)
        ui->cboLogFilterMode->addItem(ModeColumnWord(mode));
    // Typing is answered once it pauses, so that a long log is searched once, not per key.
    m_applyFilter = new QTimer(this);
    m_applyFilter->setSingleShot(true);
    m_applyFilter->setInterval(FilterPauseMs);
    connect(m_applyFilter, &QTimer::timeout, this, &frmMain::ApplyLogFilter);
    connect(ui->txtLogFilter, &QLineEdit::textChanged, m_applyFilter, qOverload<>(&QTimer::start));
    connect(ui->cboLogFilterMode, &QComboBox::currentIndexChanged, this, &frmMain::ApplyLogFilter);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        if (ui->SSTab1->currentWidget() != ui->tabCommandLine)
            return;
        ui->txtLogFilter->setFocus();
        ui->txtLogFilter->selectAll();
    });
    connect(new QShortcut(QKeySequence::Copy, ui->lsvMsg, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &frmMain::CopyLogRows);
    ui->lsvMsg->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->lsvMsg, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(modTools::GetText(7037), this, &frmMain::CopyLogRows);
        menu.addAction(modTools::GetText(7038), ui->lsvMsg, &QAbstractItemView::selectAll);
        menu.addSeparator();
        menu.addAction(ui->cmdSaveList->text(), this, &frmMain::cmdSaveList_Click)
            ->setEnabled(ui->cmdSaveList->isEnabled());
        menu.addAction(ui->cmdDeleteList->text(), this, &frmMain::cmdDeleteList_Click)
            ->setEnabled(ui->cmdDeleteList->isEnabled());
        menu.exec(ui->lsvMsg->viewport()->mapToGlobal(at));
    });
}

void frmMain::ApplyLogTexts()
{
    ui->txtLogFilter->setPlaceholderText(modTools::GetText(7035));
    ui->cboLogFilterMode->setItemText(0, modTools::GetText(7036));
}

void frmMain::ApplyLogFilter()
{
    m_applyFilter->stop();
    const int picked = ui->cboLogFilterMode->currentIndex();
    const LogMode mode = picked > 0 ? filterModes[picked - 1] : LogMode::None;
    // The row the user had selected stays selected when it is still shown.
    const QModelIndex current = ui->lsvMsg->currentIndex();
    const int selected = current.isValid() ? m_shownLog->SourceRow(current.row()) : -1;
    m_shownLog->SetFilter(ui->txtLogFilter->text(), mode);
    const int shownRow = m_shownLog->ShownRow(selected);
    if (shownRow < 0)
        return;
    const QModelIndex index = m_shownLog->index(shownRow, TrafficLog::TimeColumn);
    ui->lsvMsg->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    ui->lsvMsg->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString frmMain::SelectedLogText() const
{
    QModelIndexList picked = ui->lsvMsg->selectionModel()->selectedRows();
    std::sort(picked.begin(), picked.end());
    const TrafficLog* log = m_session->Log();
    QString text;
    for (const QModelIndex& index : picked) {
        const LogRow row = log->Row(m_shownLog->SourceRow(index.row()));
        text += LogTimestamp(row.time.time()) + u'\t' + ModeWord(row) + u'\t' + row.text + u'\n';
    }
    return text;
}

void frmMain::CopyLogRows()
{
    const QString text = SelectedLogText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}
