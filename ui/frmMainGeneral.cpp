// General settings tab, language switching, help and quit.
#include "CommandSession.h"
#include "frmMain.h"
#include "modGlobal.h"
#include "modTools.h"
#include "modToolsWidgets.h"
#include "ui_frmMain.h"

#include <QAbstractItemModel>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

#include <array>

namespace {

// Where each window text goes. "name:n" addresses row, tab or column n of the control.
struct TextPlace
{
    const char* control;
    qint16 id;
};

constexpr std::array<TextPlace, 18> textsBeforeSelection{{
    {"frmMain", 3000},
    {"SSTab1:0", 3001},
    {"fraSoftwareSel", 3005},
    {"fraTarget", 3008},
    {"labPort", 3009},
    {"labIp", 3010},
    {"cmdThisSystem", 3011},
    {"chkConnect", 3012},
    {"fraLanguage", 3013},
    {"labInfo1", 3019},
    {"cboLanguage:0", 3041},
    {"cboLanguage:1", 3042},
    {"cboDevice:0", 3006},
    {"cboDevice:1", 3007},
    {"cboDevice:2", 3056},
    {"cboDevice:3", 3052},
    {"chkAppendCrLf", 3053},
    {"chkAppendCrLfDummy", 3053},
}};

constexpr std::array<TextPlace, 52> textsAfterSelection{{
    {"SSTab1:1", 3002},          {"fraSend", 3014},
    {"cmdCreateCommand1", 3015}, {"cmdSend", 3016},
    {"fraReceive", 3017},        {"cmdDeleteList", 3018},
    {"labInfo2", 3020},          {"lsvMsg:0", 3046},
    {"lsvMsg:1", 3047},          {"lsvMsg:2", 3048},
    {"SSTab1:2", 3003},          {"fraEditScript", 3021},
    {"cmdCreateCommand2", 3022}, {"cmdCreateManualCommand", 3023},
    {"labCommands", 3024},       {"chkAbove", 3025},
    {"cmdDeleteCommand", 3026},  {"cmdEditCommand", 3055},
    {"labCaption", 3027},        {"labNote", 3028},
    {"cmdCommandTest", 3029},    {"cmdSave", 3030},
    {"cmdGetCommand", 3031},     {"cmdDeleteScript", 3032},
    {"fraStorage", 3033},        {"labInfo3", 3034},
    {"lstCommands:0", 3044},     {"lstCommands:1", 3045},
    {"SSTab1:3", 3004},          {"frmStorage", 3035},
    {"cmdLoadConfig", 3036},     {"cmdSaveConfig", 3037},
    {"labInfo4", 3038},          {"chkCommandRepeat1", 3054},
    {"chkCommandRepeat2", 3054}, {"chkCommandRepeat3", 3054},
    {"chkCommandRepeat4", 3054}, {"chkCommandRepeat5", 3054},
    {"chkCommandRepeat6", 3054}, {"chkCommandRepeat7", 3054},
    {"chkCommandRepeat8", 3054}, {"cmdCancelCommandScript", 3039},
    {"cmdQuit", 3040},           {"labCommandScriptCompleted", 3043},
    {"fraVersion", 3051},        {"fraJournal", 7010},
    {"chkJournal", 7011},        {"cmdOpenJournalFolder", 7012},
    {"cmdSaveList", 7030},       {"fraReplyTimeout", 7014},
    {"labReplyTimeout", 7015},   {"spnReplyTimeout", 7016},
}};

void placeText(QWidget* form, const TextPlace& place)
{
    const QString text = modTools::GetText(place.id);
    const QString spec = QLatin1String(place.control);
    const qsizetype colon = spec.indexOf(u':');
    const QString name = colon < 0 ? spec : spec.left(colon);
    const int part = colon < 0 ? -1 : spec.mid(colon + 1).toInt();

    if (name == form->objectName()) {
        form->setWindowTitle(text);
        return;
    }
    QObject* control = form->findChild<QObject*>(name);
    if (auto* tabs = qobject_cast<QTabWidget*>(control))
        tabs->setTabText(part, text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setItemText(part, text);
    else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        if (view->model())
            view->model()->setHeaderData(part, Qt::Horizontal, text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* spin = qobject_cast<QSpinBox*>(control))
        spin->setSpecialValueText(text);
}

} // namespace

void frmMain::ApplyLanguage()
{
    modGlobal::LanguageOffset = modGlobal::LanguageIndex != 0 ? 10000 : 0;
    modGlobal::HelpFile = modTools::ProgramFolder() + QLatin1String("/help/help00.html");

    for (const TextPlace& place : textsBeforeSelection)
        placeText(this, place);

    ui->cboLanguage->setCurrentIndex(modGlobal::LanguageIndex);
    // At start-up the stored device type is selected; a later switch keeps the row the user picked.
    if (!m_started)
        ui->cboDevice->setCurrentIndex(modGlobal::DeviceType);
    ApplyDeviceType();

    for (const TextPlace& place : textsAfterSelection)
        placeText(this, place);

    ApplyLogTexts();
    if (!modGlobal::Profile.isEmpty())
        setWindowTitle(windowTitle() + QStringLiteral(u" \u2013 ") + modGlobal::Profile);
    ShowNotice(m_notice);
    ui->labProgramVersion->setText(
        modTools::FormatText(modTools::GetText(3049), {QStringLiteral(RELAYTAB_VERSION)}));
    ui->labProgramDate->setText(
        modTools::FormatText(modTools::GetText(3050), {QStringLiteral("05.07.2012")}));
}

void frmMain::cboLanguage_Click(int row)
{
    // Selecting the row inside ApplyLanguage comes back here with the same row: nothing more to do.
    if (row < 0 || row == modGlobal::LanguageIndex)
        return;
    modGlobal::LanguageIndex = quint8(row);
    ApplyLanguage();
}

void frmMain::ApplyDeviceType()
{
    const bool alwaysCrLf = ui->cboDevice->currentIndex() == 2;
    ui->chkAppendCrLfDummy->setVisible(alwaysCrLf);
    if (alwaysCrLf) {
        ui->chkAppendCrLfDummy->setEnabled(false);
        ui->chkAppendCrLfDummy->setChecked(true);
    }
    ui->chkAppendCrLf->setVisible(!alwaysCrLf);
    updateCrLfRule();
}

void frmMain::cmdThisSystem_Click()
{
    ui->txtPcName->setText(modTools::LocalHostName());
}

void frmMain::cmdHelp_Click()
{
    static constexpr std::array<qint32, 4> contexts{1100, 1200, 1300, 1400};
    const int tab = ui->SSTab1->currentIndex();
    if (tab < 0 || tab >= int(contexts.size()))
        return;
    modTools::ShowHelp(this, contexts[size_t(tab)]);
}

void frmMain::cmdQuit_Click()
{
    m_session->RequestCancel();
    close();
}

void frmMain::SSTab1_Click(int previousTab)
{
    if (previousTab != ui->SSTab1->currentIndex())
        ui->labCommandScriptCompleted->setVisible(false);
    if (ui->SSTab1->currentIndex() != 3) {
        SaveMode = false;
        GetMode = false;
        DeleteMode = false;
    }
}
