#pragma once

#include "edit/EditContext.h"

#include <string>

namespace vtm {

// What the mark commands need beyond editing: progress in the status bar, the marks-file
// dialogs and settings, and the menus' refresh.
class MarksContext : public EditContext
{
public:
    // The third status-bar pane's text ("37%"; empty clears it), shown at once.
    virtual void ShowProgress(const std::string &text) = 0;
    virtual void UpdateMenus() = 0;
    virtual int ShowMessageDlgDefault(const std::string &text, MessageKind kind, unsigned buttons,
                                      int helpContext, unsigned defaultButton) = 0;
    // The marks-file chooser (save: true for "Save marks as"); false when cancelled.
    virtual bool RunMarksDialog(bool save, const std::string &directory, const std::string &name,
                                std::string *chosen) = 0;

    // Settings and the current marks file, shared by both dialogs.
    virtual bool CreateBackUp() const = 0;
    virtual std::string &MarksInitialDir() = 0;
    virtual std::string &MarksFileName() = 0;
};

} // namespace vtm
