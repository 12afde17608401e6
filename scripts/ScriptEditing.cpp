#include "ScriptEditing.h"

#include <algorithm>

namespace ScriptEditing {

int InsertRow(int count, int current, bool above)
{
    if (current < 0 || current >= count)
        return count;
    return above ? current : current + 1;
}

bool IsUsableAssistantCommand(const QString& command)
{
    return command.size() > 1;
}

int CurrentAfterRemove(int remaining, int removed)
{
    if (remaining <= 0)
        return -1;
    return std::min(removed, remaining - 1);
}

int MoveTarget(int count, int current, int step)
{
    if (current < 0 || current >= count)
        return -1;
    const int target = current + step;
    return target >= 0 && target < count ? target : -1;
}

EditButtons EditButtonsFor(int count, int current, bool highlighted)
{
    EditButtons buttons;
    if (count <= 0)
        return buttons;
    const bool usable = highlighted && current >= 0 && current < count;
    buttons.test = true;
    buttons.remove = usable;
    buttons.edit = usable;
    buttons.up = usable && count >= 2 && current >= 1;
    buttons.down = usable && count >= 2 && current < count - 1;
    return buttons;
}

TypedText LimitTyping(const QString& before, const QString& after, int cursor, int maximum)
{
    if (after.size() <= maximum)
        return {after, cursor};

    // Split the edit into kept prefix, inserted text and kept suffix. The cursor stands right behind
    // the insertion, which settles where a run of equal characters was typed; edits that leave it
    // elsewhere (undo) fall back to the longest common ends.
    const auto commonPrefix = [&](qsizetype bound) {
        qsizetype length = 0;
        while (length < bound && before.at(length) == after.at(length))
            ++length;
        return length;
    };
    qsizetype suffix = after.size() - cursor;
    qsizetype prefix = 0;
    if (cursor >= 0 && cursor <= after.size() && suffix <= before.size() &&
        before.endsWith(QStringView(after).right(suffix))) {
        prefix = commonPrefix(std::min<qsizetype>(cursor, before.size() - suffix));
    } else {
        const qsizetype shorter = std::min(before.size(), after.size());
        prefix = commonPrefix(shorter);
        suffix = 0;
        while (suffix < shorter - prefix &&
               before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
            ++suffix;
    }

    const qsizetype inserted = after.size() - prefix - suffix;
    const qsizetype room = std::max<qsizetype>(0, maximum - prefix - suffix);
    const qsizetype kept = std::min(inserted, room);
    if (kept == inserted)
        return {after, cursor};
    return {after.left(prefix + kept) + after.right(suffix), int(prefix + kept)};
}

} // namespace ScriptEditing
