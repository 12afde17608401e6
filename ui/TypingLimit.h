// Typing limits for text boxes. Unlike QLineEdit::maxLength they restrict only what the user types
// or pastes: a longer text placed by the program stays whole and can be handed back whole.
#pragma once

class QLineEdit;
class QPlainTextEdit;

namespace TypingLimit {

void Apply(QLineEdit* box, int maximum);
void Apply(QPlainTextEdit* box, int maximum);

} // namespace TypingLimit
