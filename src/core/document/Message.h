#pragma once

#include "document/Language.h"
#include <string>

namespace vtm {

// What a modal message box is asked to show. Every layer may ask one, through its host.
enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

// Button sets: one bit per button, in the order the buttons are shown.
enum MessageButtons : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbHelp = 1u << 8,
    mbYesNoCancel = mbYes | mbNo | mbCancel,
};

// The button pressed; the close box gives mrCancel. Help does not close (mrNone).
enum MessageResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

enum class MessageVariant {
    Plain,      // ShowMessageDlg / ShowMessageDlgPos: standard buttons
    WithDefault // ShowMessageDlgDefault: larger buttons, caller's default, focus on it
};

struct MessageRequest
{
    std::string text; // UTF-8; line breaks are '\r' or '\n'
    MessageKind kind = MessageKind::Information;
    unsigned buttons = mbOK;
    int helpContext = 0;
    MessageVariant variant = MessageVariant::Plain;
    unsigned defaultButton = 0; // one button bit, WithDefault only
    int left = -1, top = -1;    // a negative coordinate centres the dialog on the screen
    Language language = Language::English;
};

} // namespace vtm
