#pragma once

#include "edit/TAction.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vtm {

class EditContext;

// The undo/redo history. Actions with the same Group form one command and are undone
// and redone together; trimming drops whole oldest commands only, so one Undo always
// reverses the whole command the user gave.
class TActions
{
public:
    static constexpr int MaxActions = 512;
    static constexpr int TrimActions = 256;
    // The undo data of older commands may hold at least this much memory.
    static constexpr std::int64_t MinUndoBytes = std::int64_t(64) << 20;

    TActions() = default;
    TActions(const TActions &) = delete;
    TActions &operator=(const TActions &) = delete;

    void setContext(EditContext *ctx) { m_ctx = ctx; }

    // Performs the action and keeps it. False: it failed, its message was shown, and the
    // history is empty; or a device refused it (read-only, or its size would change) with
    // a message, and nothing changed.
    bool AddAction(std::unique_ptr<TAction> action, bool show);
    // Lays out anew and shows the message of a failed step (nothing for Done).
    void reportFailure(ActionOutcome outcome);
    // After a batch recorded with show = false: the cursor onto the newest action.
    void UpdateView();
    void Undo();
    void Redo();
    void Forget();
    bool CanUndo() const { return m_current >= 0; }
    bool CanRedo() const { return m_current < int(m_list.size()) - 1; }
    std::string ActionName(int index) const;
    std::string UndoName() const;
    std::string RedoName() const;

    int Current() const { return m_current; }
    int ActionCount() const { return int(m_list.size()); }
    const TAction &At(int index) const { return *m_list[std::size_t(index)]; }
    std::int64_t UndoBytes() const { return m_undoBytes; }
    // The memory older commands may hold (the larger of MinUndoBytes and the document).
    void setUndoByteLimit(std::int64_t bytes) { m_undoByteLimit = bytes; }

private:
    // Number of changes in the group around index, walking down (-1) or up (+1).
    std::int64_t groupMembers(int index, int step) const;
    // The index after the command (group) that starts at from.
    std::size_t groupEnd(std::size_t from) const;
    void dropOldest(std::size_t n);
    void trimToMemoryLimit();
    void afterFailure();
    bool refusedOnDevice(const TAction &a);
    // After a group was undone or redone: relayout and the cursor at `last`, or after a
    // failure the history dropped.
    // After the file under the document failed during an undo or redo.
    void abandonStep();
    void finishStep(ActionOutcome outcome, TAction &last, bool undone);

    EditContext *m_ctx = nullptr;
    std::vector<std::unique_ptr<TAction>> m_list;
    int m_current = -1;
    std::int64_t m_undoBytes = 0;
    std::int64_t m_undoByteLimit = -1;
    int m_refusedGroup = -1;
};

} // namespace vtm
