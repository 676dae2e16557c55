#pragma once

namespace vtm {

class EditContext;

// The single-byte commands at the cursor; each records one action as one command.
void DoBackspace(EditContext &ctx);
void DoDelete(EditContext &ctx);
void DoInsert(EditContext &ctx);
void DoAppendByte(EditContext &ctx);

} // namespace vtm
