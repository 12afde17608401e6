// The few shared routines that work on widgets: help, the character filter of text boxes and the
// column sizing of detail lists.
#pragma once

#include <QString>

class QAbstractItemView;
class QLineEdit;
class QWidget;

namespace modTools {

// Opens the help page of the context id in a help window of owner's window. Nothing when
// HelpFile is empty. Returns the help window.
QWidget* ShowHelp(QWidget* owner, qint32 contextId);

// Puts last back into box when its text has a character outside the allowed set (with restricted:
// blank, "-", "_", digits and letters a-z, A-Z; else codes 32 to 126) or is longer than maximum;
// otherwise last becomes the text.
void CheckTextInput(QLineEdit* box, int maximum, QString& last, bool restricted);

// Width codes of the column sizing: -2 fits header and content, -1 fits the content.
inline constexpr int FitHeaderAndContent = -2;
inline constexpr int FitContent = -1;

void AutoSizeColumns(QAbstractItemView* list, int widthCode);
// Column k counts from 1; nothing happens outside 1..column count.
void SetColumnWidth(QAbstractItemView* list, int column, int widthCode);

} // namespace modTools
