// The command assistant: a modal dialog that builds one command of the catalogue, asking for its
// parameters one at a time. One dialog object lives for the whole program run so that the last
// address and the last folder carry over from one opening to the next.
#pragma once

#include "CommandBuilder.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmAssistant;
}

class frmAssistant : public QDialog
{
    Q_OBJECT
public:
    explicit frmAssistant(QWidget* parent = nullptr);
    ~frmAssistant() override;

    // Opens the dialog modally with the catalogue of the device type; the command built is left in
    // AssistantCommand and its caption in AssistantDescription, both empty when nothing was built.
    int ShowModal(int deviceType);

    void Form_Load(int deviceType);
    void SetTexts();
    void ShowStep();
    void NextStep();
    bool TakeParameter();
    void HideInputs();
    void ShowParameter(const QString& name, const QString& format, const QString& limit);
    void UpdateNextButton();

    void cboCommand_Click();
    void cmdNext_Click();
    void cmdSelectPath_Click();
    void cmdHelp_Click();
    void txtText_Change();

    // The value last taken for an address parameter; it presets the next one.
    qint16 LastAddress = 0;

    // Closing in any way remembers the chosen command in Setup.ini.
    void done(int result) override;
    // Cancel, Esc and the close box: nothing is handed back.
    void reject() override;

private:
    QString selectedEntry() const;

    std::unique_ptr<Ui::frmAssistant> ui;
    CommandBuilder m_builder;
    bool RestrictedText = false;
    QString LastValidText;
};
