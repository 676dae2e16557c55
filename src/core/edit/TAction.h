#pragma once

#include "document/Document.h"
#include "edit/ActionKind.h"

#include <cstdint>
#include <memory>

namespace vtm {

class EditContext;

// What became of performing or undoing an action. Anything but Done: the storage could not
// grow and the document is consistent and as it was before; each failure has its message.
enum class ActionOutcome : std::uint8_t {
    Done,
    OutOfMemory,
    OutOfMemoryUndo,    // undoing a deletion
    OutOfMemoryReplace, // replacing, either way
};

// An owned block of bytes an action keeps for itself (the bytes it removed, a pattern).
struct ByteBlock
{
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int64_t size = 0;

    explicit operator bool() const { return bytes != nullptr; }
    std::uint8_t *data() const { return bytes.get(); }
    // Throws std::bad_alloc when there is no memory for it.
    static ByteBlock copyOf(const std::uint8_t *from, std::int64_t n);
    // n bytes of the document from p on.
    static ByteBlock copyOf(const Document &doc, std::int64_t p, std::int64_t n);
};

// One undoable change of the document; the history performs, undoes and redoes it.
class TAction
{
public:
    TAction(ActionKind kind, int group);
    virtual ~TAction() = default;
    TAction(const TAction &) = delete;
    TAction &operator=(const TAction &) = delete;

    virtual ActionOutcome DoAction(EditContext &ctx);
    virtual ActionOutcome UndoAction(EditContext &ctx);
    virtual void SetDoActionCursorPos(EditContext &ctx);
    virtual void SetUndoActionCursorPos(EditContext &ctx);
    // The length may change, so the view needs a layout pass before the cursor is placed.
    virtual bool SizeChanged() const;
    // How many changes of the user's command this action stands for.
    virtual std::int64_t MemberCount() const { return 1; }
    // Memory the action holds for undoing and redoing.
    virtual std::int64_t UndoBytes() const;
    // Done, or why the constructor could not keep the copies it needs; the action then
    // changes nothing.
    ActionOutcome prepared() const { return m_prepared; }

    ActionKind Kind;
    int Group;
    std::int64_t Pos = 0;
    bool CharSide = false;
    std::uint8_t NewValue = 0;
    std::uint8_t OldValue = 0;
    std::int64_t Count = 0;
    std::int64_t Length = 0;
    ByteBlock Data;
    ByteBlock Data2;

protected:
    // The bytes were changed (ChangeCount + 1), or that change was undone.
    void ChangedData(Document &doc);
    void UnchangedData(Document &doc);
    bool Applied() const { return m_applied; }
    // The base cursor rule: onto min(Pos, BufferSize - 1), in the recorded area.
    void PlaceCursorAtPos(EditContext &ctx);
    // Removes the byte at `at` with its mark, keeping both in NewValue and OldValue.
    ActionOutcome RemoveByte(Document &doc, std::int64_t at);
    // Puts that byte back, unless the storage cannot grow.
    ActionOutcome RestoreByte(EditContext &ctx, std::int64_t at);
    void setPrepared(ActionOutcome outcome) { m_prepared = outcome; }

private:
    bool m_applied = false;
    Document::State m_state = 0;
    Document::State m_stateBefore = 0;
    ActionOutcome m_prepared = ActionOutcome::Done;
};

} // namespace vtm
