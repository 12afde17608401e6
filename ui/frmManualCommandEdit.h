// The dialog in which the user types or edits one command and its description by hand.
// The caller fills the two boxes, shows the dialog modally and reads them back afterwards: OK
// leaves them as typed, Cancel, Esc and the close box leave them empty.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmManualCommandEdit;
}

class frmManualCommandEdit : public QDialog
{
    Q_OBJECT
public:
    explicit frmManualCommandEdit(QWidget* owner);
    ~frmManualCommandEdit() override;

    static constexpr int CommandTypingLimit = 64;
    static constexpr int DescriptionTypingLimit = 128;

    QString command() const;
    void setCommand(const QString& text);
    QString description() const;
    void SetDescription(const QString& strText);
    void setFrameCaption(const QString& text);

    void SetTexts();

    // Cancel, Esc and the close box end here.
    void reject() override;
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::frmManualCommandEdit> ui;
};
