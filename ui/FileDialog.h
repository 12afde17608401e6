// The file dialog of every file button: Qt's own, so that it looks alike everywhere, opening in the
// data folder.
#pragma once

#include "modGlobal.h"
#include "modTools.h"

#include <QFileDialog>

inline void PrepareFileDialog(QFileDialog& dialog, qint16 titleId, const QString& nameFilters)
{
    dialog.setObjectName(QStringLiteral("CommonDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(modTools::GetText(titleId));
    dialog.setDirectory(modGlobal::DataFolder);
    dialog.setNameFilter(nameFilters);
}

// The one file chosen, or nothing when the dialog was cancelled.
inline QString ChosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
