#include "edit/TCompoundMarkAction.h"

#include "edit/EditContext.h"

#include <algorithm>
#include <cstring>

namespace vtm {

TCompoundMarkAction::TCompoundMarkAction(ActionKind kind, int group, bool charSide)
    : TAction(kind, group)
{
    CharSide = charSide;
}

TCompoundMarkAction::Chunk *TCompoundMarkAction::chunkOf(std::int64_t p, bool create) const
{
    const std::int64_t index = p >> ChunkShift;
    if (index == m_lastIndex)
        return m_lastChunk;
    Chunk *c = nullptr;
    if (create) {
        c = &m_chunks[index];
    } else {
        const auto it = m_chunks.find(index);
        if (it == m_chunks.end())
            return nullptr;
        c = &it->second;
    }
    m_lastIndex = index;
    m_lastChunk = c;
    return c;
}

std::uint8_t TCompoundMarkAction::bitsAt(std::int64_t p) const
{
    const Chunk *chunk = chunkOf(p, false);
    if (!chunk)
        return 0;
    const Chunk &c = *chunk;
    const std::uint32_t offset = std::uint32_t(p & (ChunkSize - 1));
    if (c.dense)
        return c.dense[offset];
    const auto e = std::lower_bound(c.sparse.begin(), c.sparse.end(), offset << 8);
    return e != c.sparse.end() && (*e >> 8) == offset ? std::uint8_t(*e & 0xFF) : 0;
}

void TCompoundMarkAction::setBits(std::int64_t p, std::uint8_t bits)
{
    Chunk &c = *chunkOf(p, true);
    const std::uint32_t offset = std::uint32_t(p & (ChunkSize - 1));
    if (c.dense) {
        c.dense[offset] = bits;
        return;
    }
    // Forward commands record in ascending order: appending needs no search.
    if ((c.sparse.empty() || (c.sparse.back() >> 8) < offset) && c.sparse.size() < MaxSparse) {
        c.sparse.push_back(offset << 8 | bits);
        return;
    }
    const auto e = std::lower_bound(c.sparse.begin(), c.sparse.end(), offset << 8);
    if (e != c.sparse.end() && (*e >> 8) == offset) {
        *e = offset << 8 | bits;
        return;
    }
    if (c.sparse.size() < MaxSparse) {
        c.sparse.insert(e, offset << 8 | bits);
        return;
    }
    c.dense = std::make_unique<std::uint8_t[]>(ChunkSize); // zeroed
    for (const std::uint32_t entry : c.sparse)
        c.dense[entry >> 8] = std::uint8_t(entry & 0xFF);
    c.dense[offset] = bits;
    std::vector<std::uint32_t>().swap(c.sparse);
}

void TCompoundMarkAction::Add(const Document &doc, std::int64_t p, std::uint8_t colour)
{
    if (p < 0 || p >= doc.BufferSize())
        return;
    setBits(p, std::uint8_t(doc.Marks()[p] ^ colour));
    if (m_members == 0)
        m_firstPos = p;
    Pos = p;
    ++m_members;
}

std::uint8_t TCompoundMarkAction::ColourAfter(const Document &doc, std::int64_t p) const
{
    if (p < 0 || p >= doc.BufferSize())
        return 0;
    return std::uint8_t(doc.Marks()[p] ^ bitsAt(p));
}

// XOR is its own inverse: the same pass performs and undoes.
void TCompoundMarkAction::apply(Document &doc) const
{
    for (const auto &[index, c] : m_chunks) {
        const std::int64_t base = index << ChunkShift;
        if (c.dense) {
            doc.XorMarks(base, c.dense.get(), ChunkSize);
            continue;
        }
        for (const std::uint32_t entry : c.sparse) {
            const std::int64_t p = base + std::int64_t(entry >> 8);
            if (p < doc.BufferSize())
                doc.SetMark(p, std::uint8_t(doc.Marks()[p] ^ (entry & 0xFF)));
        }
    }
}

ActionOutcome TCompoundMarkAction::DoAction(EditContext &ctx)
{
    if (ctx.Doc().Marks())
        apply(ctx.Doc());
    return ActionOutcome::Done;
}

ActionOutcome TCompoundMarkAction::UndoAction(EditContext &ctx)
{
    if (ctx.Doc().Marks())
        apply(ctx.Doc());
    return ActionOutcome::Done;
}

void TCompoundMarkAction::SetDoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(Pos, CharSide, true);
}

void TCompoundMarkAction::SetUndoActionCursorPos(EditContext &ctx)
{
    ctx.MoveCursorToOffset(m_firstPos, CharSide, true);
}

bool TCompoundMarkAction::SizeChanged() const
{
    return false;
}

std::int64_t TCompoundMarkAction::UndoBytes() const
{
    std::int64_t bytes = 0;
    for (const auto &[index, c] : m_chunks)
        bytes += 64 + (c.dense ? ChunkSize : std::int64_t(c.sparse.capacity()) * 4);
    return bytes;
}

} // namespace vtm
