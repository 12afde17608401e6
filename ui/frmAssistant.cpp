#include "frmAssistant.h"

#include "Catalogue.h"
#include "Settings.h"
#include "modGlobal.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmAssistant.h"

#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

using modTools::GetText;

namespace {

// The file dialog filter of the text table is "description|pattern|description|pattern...". On
// this platform "*.*" would only match names with a dot, so it becomes "*".
QStringList nameFilters(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const QString pattern = parts.at(i + 1).trimmed();
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.endsWith(shown))
            description.chop(shown.size());
        const QString qtPattern = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
        filters.append(description.trimmed() + QLatin1String(" (") + qtPattern + QLatin1Char(')'));
    }
    return filters;
}

} // namespace

frmAssistant::frmAssistant(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmAssistant>())
{
    ui->setupUi(this);
    ui->cmdHelp->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    ui->cmdSelectPath->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    connect(ui->cboCommand, &QComboBox::activated, this, &frmAssistant::cboCommand_Click);
    connect(ui->cboCommand, &QComboBox::currentIndexChanged, this, &frmAssistant::cboCommand_Click);
    connect(ui->cmdNext, &QPushButton::clicked, this, &frmAssistant::cmdNext_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAssistant::reject);
    connect(ui->cmdHelp, &QPushButton::clicked, this, &frmAssistant::cmdHelp_Click);
    connect(ui->cmdSelectPath, &QToolButton::clicked, this, &frmAssistant::cmdSelectPath_Click);
    connect(ui->txtText, &QLineEdit::textChanged, this, &frmAssistant::txtText_Change);
}

frmAssistant::~frmAssistant() = default;

int frmAssistant::ShowModal(int deviceType)
{
    Form_Load(deviceType);
    return exec();
}

void frmAssistant::Form_Load(int deviceType)
{
    m_builder = CommandBuilder();
    modGlobal::AssistantDescription.clear();
    modGlobal::AssistantCommand.clear();

    const QSignalBlocker blocker(ui->cboCommand);
    ui->cboCommand->clear();
    ui->cboCommandList->clear();
    SetTexts();

    for (const QString& entry : Catalogue::ListCatalogue(deviceType, modGlobal::AssistantFromCommandLine)) {
        ui->cboCommand->addItem(Catalogue::ReadEntry(entry).caption);
        ui->cboCommandList->addItem(entry);
    }
    // The captions are long; let the open list show them whole even though the box is narrower.
    QAbstractItemView* popup = ui->cboCommand->view();
    popup->setMinimumWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width());

    ui->cboCommand->setCurrentIndex(Settings::ReadCommandRow(ui->cboCommand->count(), Settings::SetupFile()));
    cboCommand_Click();
    ui->cboCommand->setFocus();
}

void frmAssistant::SetTexts()
{
    setWindowTitle(GetText(3200));
    ui->labCommand->setText(GetText(3201));
    ui->labParameter->setText(GetText(3202));
    ui->cmdNext->setText(GetText(3203));
    ui->cmdCancel->setText(GetText(3204));
}

QString frmAssistant::selectedEntry() const
{
    const QListWidgetItem* item = ui->cboCommandList->item(ui->cboCommand->currentIndex());
    return item ? item->text() : QString();
}

void frmAssistant::cboCommand_Click()
{
    m_builder.Choose(selectedEntry());
    ShowStep();
}

void frmAssistant::ShowStep()
{
    if (m_builder.Step() == 1) {
        HideInputs();
        ui->labSelCommand->setText(m_builder.Command());
        ui->labDescription->setText(ui->cboCommand->currentText());
        ui->labNote->setText(m_builder.Note());
    } else {
        const Catalogue::Parameter parameter = m_builder.CurrentParameter();
        ShowParameter(parameter.name, parameter.format, parameter.limit);
    }
    UpdateNextButton();
}

void frmAssistant::NextStep()
{
    m_builder.NextStep();
    ShowStep();
}

void frmAssistant::UpdateNextButton()
{
    ui->cmdNext->setEnabled(true);
    ui->cmdNext->setText(GetText(m_builder.IsLastStep() ? 3205 : 3203));
}

void frmAssistant::HideInputs()
{
    ui->cwnValue->setVisible(false);
    // Wide bounds first, so that the value is really 0 whatever the last parameter allowed.
    ui->cwnValue->setRange(NumEdit::Lowest, NumEdit::Highest);
    ui->cwnValue->setValue(0);
    ui->txtText->setVisible(false);
    ui->txtText->clear();
    ui->labMaxTextLen->setVisible(false);
    ui->labMaxTextLen->clear();
    ui->labParameter->setVisible(false);
    ui->cmdSelectPath->setVisible(false);
}

void frmAssistant::ShowParameter(const QString& name, const QString& format, const QString& limit)
{
    HideInputs();
    ui->labParameter->setText(name);
    ui->labParameter->setVisible(true);
    RestrictedText = false;
    LastValidText.clear();
    ui->txtText->setMaxLength(100);

    if (format == QLatin1String("%d")) {
        const Catalogue::NumberRange range = Catalogue::NumericLimit(limit);
        ui->cwnValue->setRange(range.minimum, range.maximum);
        ui->cwnValue->setValue(Catalogue::IsAddressName(name) ? LastAddress : 0);
        ui->cwnValue->setVisible(true);
        ui->cwnValue->setFocus();
        ui->cwnValue->selectAll();
    } else if (format == QLatin1String("%s") || format == QLatin1String("%u") ||
               format == QLatin1String("%r") || format == QLatin1String("%p")) {
        ui->txtText->setMaxLength(Catalogue::TextLimit(format, limit));
        ui->txtText->setVisible(true);
        ui->txtText->setFocus();
        RestrictedText = format == QLatin1String("%r");
        ui->cmdSelectPath->setVisible(format == QLatin1String("%p"));
    } else {
        return;
    }
    ui->labMaxTextLen->setText(Catalogue::LimitText(format, limit));
    ui->labMaxTextLen->setVisible(true);
}

bool frmAssistant::TakeParameter()
{
    if (m_builder.Step() != 2 && m_builder.Step() != 3)
        return true;
    if (!ui->cwnValue->isHidden()) {
        m_builder.TakeNumber(ui->cwnValue->value());
    } else if (ui->txtText->text().isEmpty()) {
        QMessageBox::warning(this, GetText(3210),
                             modTools::FormatText(GetText(3209), {ui->labParameter->text()}));
        ui->txtText->setFocus();
        return false;
    } else {
        m_builder.TakeText(ui->txtText->text());
    }
    ui->labSelCommand->setText(m_builder.Command());
    return true;
}

void frmAssistant::cmdNext_Click()
{
    if (!TakeParameter())
        return;
    // Made on every press: after another entry was chosen the hidden label may still carry an
    // address name, and the emptied field then sets the address to 0.
    if (Catalogue::IsAddressName(ui->labParameter->text()))
        LastAddress = qint16(std::clamp<qint64>(ui->cwnValue->value(), -32768, 32767));
    if (ui->cmdNext->text() == GetText(3205)) {
        modGlobal::AssistantCommand = ui->labSelCommand->text();
        modGlobal::AssistantDescription = ui->labDescription->text();
        accept();
        return;
    }
    NextStep();
}

void frmAssistant::txtText_Change()
{
    if (RestrictedText)
        modTools::CheckTextInput(ui->txtText, ui->txtText->maxLength(), LastValidText, true);
    LastValidText = ui->txtText->text();
}

void frmAssistant::cmdSelectPath_Click()
{
    if (modGlobal::LastPathFolder.isEmpty())
        modGlobal::LastPathFolder = modTools::ProgramFolder() + QLatin1Char('/');

    QFileDialog dialog(this, GetText(3206), modGlobal::LastPathFolder);
    dialog.setObjectName(QStringLiteral("CommonDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(GetText(3207));
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    const QString chosen = dialog.selectedFiles().first();
    QString path = modTools::GetShortPath(chosen);
    // A path longer than the parameter allows would be cut by the box; leave it empty instead,
    // which the next press reports as a missing parameter.
    if (path.size() > ui->txtText->maxLength())
        path.clear();
    ui->txtText->setText(path);
    modGlobal::LastPathFolder = modTools::GetPathFolder(chosen);
}

void frmAssistant::cmdHelp_Click()
{
    modTools::ShowHelp(this, 1800);
}

void frmAssistant::done(int result)
{
    if (!modGlobal::DataFolderShared)
        Settings::WriteCommandRow(ui->cboCommand->currentIndex(), Settings::SetupFile());
    QDialog::done(result);
}

void frmAssistant::reject()
{
    modGlobal::AssistantDescription.clear();
    modGlobal::AssistantCommand.clear();
    QDialog::reject();
}
