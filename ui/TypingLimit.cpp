#include "TypingLimit.h"

#include "ScriptEditing.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace TypingLimit {

namespace {

// Lives as a child of its box and remembers the text as it was before the user's latest edit.
class LastText : public QObject
{
public:
    LastText(QObject* box, const QString& text) : QObject(box), text(text) {}
    QString text;
};

} // namespace

void Apply(QLineEdit* box, int maximum)
{
    auto* last = new LastText(box, box->text());
    // Qt reports textEdited (the user's edits only) before textChanged, so the text before the
    // edit is still at hand when the edit is checked.
    QObject::connect(box, &QLineEdit::textChanged, last, [box, last] { last->text = box->text(); });
    QObject::connect(box, &QLineEdit::textEdited, last, [box, last, maximum](const QString& text) {
        const ScriptEditing::TypedText kept =
            ScriptEditing::LimitTyping(last->text, text, box->cursorPosition(), maximum);
        if (kept.text == text)
            return;
        box->setText(kept.text);
        box->setCursorPosition(kept.cursor);
    });
}

void Apply(QPlainTextEdit* box, int maximum)
{
    auto* last = new LastText(box, box->toPlainText());
    QObject::connect(box, &QPlainTextEdit::textChanged, last, [box, last, maximum] {
        const QString text = box->toPlainText();
        // setPlainText and clear switch undo off while they replace the text: the program's own
        // texts pass unchecked, and whatever can be undone came from the user.
        if (box->document()->isUndoRedoEnabled()) {
            const ScriptEditing::TypedText kept =
                ScriptEditing::LimitTyping(last->text, text, box->textCursor().position(), maximum);
            if (kept.text != text) {
                QTextCursor cursor = box->textCursor();
                cursor.setPosition(kept.cursor);
                cursor.setPosition(kept.cursor + int(text.size() - kept.text.size()),
                                   QTextCursor::KeepAnchor);
                // Comes back here with the kept text, which is then recorded.
                cursor.removeSelectedText();
                box->setTextCursor(cursor);
                return;
            }
        }
        last->text = text;
    });
}

} // namespace TypingLimit
