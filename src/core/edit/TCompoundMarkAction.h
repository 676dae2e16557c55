#pragma once

#include "edit/TAction.h"

#include <map>
#include <memory>
#include <vector>

namespace vtm {

// The mark changes of one bulk command (unmark all, load marks, find and mark all,
// compare) as one action: undone and redone whole, named with the number of changes.
// The changes are kept as XOR bits per 4 KiB of offsets, a short list where few bytes
// change and a block where many do, so their memory never exceeds a few bytes a change
// or one byte per offset.
class TCompoundMarkAction : public TAction
{
public:
    TCompoundMarkAction(ActionKind kind, int group, bool charSide);

    // Records that the byte at p gets this colour, after the changes recorded before.
    // Call before the action is performed; offsets outside the document are ignored.
    void Add(const Document &doc, std::int64_t p, std::uint8_t colour);
    // The colour p has once the recorded changes are performed.
    std::uint8_t ColourAfter(const Document &doc, std::int64_t p) const;
    bool Empty() const { return m_members == 0; }

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    // After performing: the newest change; after undoing: the oldest.
    void SetDoActionCursorPos(EditContext &ctx) override;
    void SetUndoActionCursorPos(EditContext &ctx) override;
    bool SizeChanged() const override;
    std::int64_t MemberCount() const override { return m_members; }
    std::int64_t UndoBytes() const override;

private:
    static constexpr int ChunkShift = 12;
    static constexpr std::int64_t ChunkSize = 1 << ChunkShift;
    static constexpr std::size_t MaxSparse = 64;

    struct Chunk
    {
        // Sorted (offset in chunk << 8 | bits) while few; then a whole block.
        std::vector<std::uint32_t> sparse;
        std::unique_ptr<std::uint8_t[]> dense;
    };

    Chunk *chunkOf(std::int64_t p, bool create) const;
    std::uint8_t bitsAt(std::int64_t p) const;
    void setBits(std::int64_t p, std::uint8_t bits);
    void apply(Document &doc) const;

    mutable std::map<std::int64_t, Chunk> m_chunks;
    // Bulk commands record in order: the chunk used last is nearly always the next one.
    mutable Chunk *m_lastChunk = nullptr;
    mutable std::int64_t m_lastIndex = -1;
    std::int64_t m_members = 0;
    std::int64_t m_firstPos = 0;
};

} // namespace vtm
