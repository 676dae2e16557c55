#pragma once

#include "document/Document.h"
#include "edit/ActionKind.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vtm {

class EditContext;

// An owned block of bytes an action keeps for itself (the bytes it removed, a pattern).
struct ByteBlock
{
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int64_t size = 0;

    explicit operator bool() const { return bytes != nullptr; }
    std::uint8_t *data() const { return bytes.get(); }
    // Throws std::bad_alloc when there is no memory for it.
    static ByteBlock copyOf(const std::uint8_t *from, std::int64_t n);
};

// One undoable change of the document; the history performs, undoes and redoes it.
class TAction
{
public:
    TAction(ActionKind kind, int group);
    virtual ~TAction() = default;
    TAction(const TAction &) = delete;
    TAction &operator=(const TAction &) = delete;

    // False: the change could not be made; the action has reported why, and the
    // document is consistent and unchanged.
    virtual bool DoAction(EditContext &ctx);
    virtual bool UndoAction(EditContext &ctx);
    virtual void SetDoActionCursorPos(EditContext &ctx);
    virtual void SetUndoActionCursorPos(EditContext &ctx);
    // The length may change, so the view needs a layout pass before the cursor is placed.
    virtual bool SizeChanged() const;
    // How many changes of the user's command this action stands for.
    virtual std::int64_t MemberCount() const { return 1; }
    // Memory the action holds for undoing and redoing.
    virtual std::int64_t UndoBytes() const;

    ActionKind Kind;
    int Group;
    std::int32_t Pos = 0;
    bool CharSide = false;
    std::uint8_t NewValue = 0;
    std::uint8_t OldValue = 0;
    std::int32_t Count = 0;
    std::int32_t Length = 0;
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
    void RemoveByte(Document &doc, std::int32_t at);
    // Puts that byte back; false (reported) when the storage cannot grow.
    bool RestoreByte(EditContext &ctx, std::int32_t at);
    // Reports that the storage could not grow: lays out anew, optionally repaints at
    // once, shows the message and returns false.
    bool Fail(EditContext &ctx, const std::string &text, bool updateView);

private:
    bool m_applied = false;
    Document::State m_state = 0;
    Document::State m_stateBefore = 0;
};

} // namespace vtm
