#pragma once

#include "document/Language.h"
#include "document/Document.h"
#include "document/Message.h"

#include <cstdint>
#include <string>

namespace vtm {

class TActions;

// What the actions and edit commands need of the editor above them: the document, the
// cursor, the history and the window system. The editor implements it; tests may too.
class EditContext
{
public:
    virtual ~EditContext() = default;

    virtual Document &Doc() = 0;
    virtual TActions &History() = 0;
    virtual vtm::Language Language() const = 0;
    // The next group number: one per command the user gives.
    virtual int NextCommandNumber() = 0;

    virtual std::int64_t CursorOffset() const = 0;
    virtual bool CursorInCharArea() const = 0;
    virtual void MoveCursorToOffset(std::int64_t offset, bool charArea, bool repaint) = 0;
    // A layout pass (rows, scroll range) followed by a repaint.
    virtual void RequestLayout() = 0;
    // Carry out the view's pending repaints now.
    virtual void UpdateView() = 0;
    // Mark the whole view for repainting.
    virtual void InvalidateView() = 0;
    virtual void UpdateMainWindow() = 0;
    virtual void Beep() = 0;
    virtual int ShowMessageDlg(const std::string &text, MessageKind kind, unsigned buttons,
                               int helpContext) = 0;
};

} // namespace vtm
