#pragma once

#include "edit/TAction.h"

namespace vtm {

// Removes Count bytes from Pos on; keeps them and their marks for undoing.
class TDeleteBytesAction : public TAction
{
public:
    // Takes the count up to the end of the document and copies the bytes at once; without
    // memory for the copies it does nothing (Count 0, prepared() tells why).
    TDeleteBytesAction(EditContext &ctx, int group, std::int64_t pos, std::int64_t count,
                       bool charSide);

    ActionOutcome DoAction(EditContext &ctx) override;
    ActionOutcome UndoAction(EditContext &ctx) override;
    std::int64_t UndoBytes() const override;

private:
    Document::Pieces m_removed;
    MarkMap m_removedMarks;
};

} // namespace vtm
