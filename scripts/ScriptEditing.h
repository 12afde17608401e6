// The rules behind the script editor's buttons, free of widgets so that they can be checked alone.
// Rows count from 0; -1 stands for "no current entry".
#pragma once

#include <QString>

namespace ScriptEditing {

// Where a new entry goes: appended when there is no current entry, otherwise at the current row
// ("insert above") or right after it.
int InsertRow(int count, int current, bool above);

// The assistant hands back a one-character text when it built nothing usable; only longer texts
// become entries.
bool IsUsableAssistantCommand(const QString& command);

// The entry that becomes current after row removed was deleted, with remaining entries left: the
// one that moved up into its place, or the new last one; -1 when the list is empty.
int CurrentAfterRemove(int remaining, int removed);

// The row the current entry changes places with when moved by step (-1 up, +1 down); -1 when it
// cannot move that way.
int MoveTarget(int count, int current, int step);

struct EditButtons
{
    bool test = false;
    bool edit = false;
    bool remove = false;
    bool up = false;
    bool down = false;
};

// Enabling of the editing buttons from the number of entries, the current row and whether the
// current entry is highlighted. Edit, delete and the moves need a highlighted current entry; the
// test run needs only entries.
EditButtons EditButtonsFor(int count, int current, bool highlighted);

// A typing limit that only restricts what the user adds: an edit turning before into after, with
// the cursor behind the inserted text, keeps as much of the insertion as fits into maximum
// characters and everything it removed. A longer text placed by the program is never cut.
struct TypedText
{
    QString text;
    int cursor = 0;
};
TypedText LimitTyping(const QString& before, const QString& after, int cursor, int maximum);

} // namespace ScriptEditing
