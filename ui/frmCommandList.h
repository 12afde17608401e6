// The viewer of a memory's commands: a modal window with a copy of the entries, read-only, made
// fresh for every showing.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmCommandList;
}
struct ScriptEntry;

class frmCommandList : public QDialog
{
    Q_OBJECT
public:
    // Without an owner, as the viewer is shown on its own; the texts are applied here, before any
    // entry is added.
    explicit frmCommandList(QWidget* owner = nullptr);
    ~frmCommandList() override;

    void ApplyViewerTexts();
    // position counts from 1 and may be one past the last entry.
    void InsertCommand(int position, const ScriptEntry& entry);
    // Every column as wide as the wider of its header and its widest cell.
    void FitColumns();

private:
    std::unique_ptr<Ui::frmCommandList> ui;
};
