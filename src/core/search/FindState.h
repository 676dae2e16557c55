#pragma once

#include "document/Language.h"
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vtm {

class Document;
class EditContext;

// One dialog serves Find, Replace and Find and mark; the mode picks its panels and texts.
enum class FindFormMode { Find, Replace, FindAndMark };

// The dialog's result for its all button (OK and Cancel use mrOk and mrCancel).
constexpr int FindResultAll = 4;

// What the find dialog holds between showings for as long as the program runs (never saved).
struct FindState
{
    std::vector<std::uint8_t> FindBytes{0x00};
    // Empty deletes the occurrences.
    std::vector<std::uint8_t> ReplaceBytes;
    bool CaseSensitive = true;
    bool Confirm = true;
    // Start at the cursor's byte; otherwise at the first (forward) or last byte (backward).
    bool BeginAtCursor = true;
    bool Backward = false;
    // Find and mark's colour index, 1 (red) .. 6 (yellow).
    int MarkColor = 1;
    // The dialog was last closed with OK or the all button; Find next/previous need it.
    bool SearchAccepted = false;
};

struct FindFormTexts
{
    std::string caption, findLabel, hexFLabel, decFLabel, charFLabel;
    std::string replaceLabel, hexRLabel, decRLabel, charRLabel;
    std::string markLabel, optionLabel, caseBox, confirmBox;
    std::string beginLabel, beginCursor, beginStartEnd;
    std::string directionLabel, directionDown, directionUp;
    std::string okButton, allButton, cancelButton;
    // The swatch radio buttons show no text; these name them for screen readers.
    std::array<std::string, 6> colorNames;
};

FindFormTexts FindTexts(Language language, FindFormMode mode);

// The panels each mode shows, and whether the all button and the confirmation box belong.
bool ShowsReplacePanel(FindFormMode mode);
bool ShowsMarkPanel(FindFormMode mode);
bool ShowsAllButton(FindFormMode mode);

// OK and the all button need something to search for.
bool FindAcceptable(const FindState &state);

// Left edges of the bottom buttons in a client width cw, all buttons w wide; all is -1 when
// plain Find has no all button.
struct FindButtonLefts
{
    int ok, all, cancel;
};
FindButtonLefts FindButtonLayout(FindFormMode mode, int cw, int w);

// The dialog's search over the document with its string and case option; -1 for an empty
// string, so no caller ever loops on a match that does not advance.
std::int64_t SearchFind(const Document &doc, const FindState &state, std::int64_t start,
                        bool backward);

// Where a confirmed search starts: the cursor's byte, or the end the direction leaves from.
std::int64_t FindStartOffset(const FindState &state, std::int64_t cursor, std::int64_t bufferSize);

// The cursor to the occurrence at p in its current area; a beep and no move when p < 0.
// Returns whether something was found. The caller refreshes the menus afterwards.
bool ShowFound(EditContext &ctx, std::int64_t p);

// Find after the dialog was confirmed with OK: origin and direction from the state.
bool FindConfirmed(EditContext &ctx, const FindState &state);
// The next / previous occurrence from the cursor with the last confirmed string; origin and
// direction are ignored. Without a confirmed string they only beep.
bool FindNext(EditContext &ctx, const FindState &state);
bool FindPrevious(EditContext &ctx, const FindState &state);

} // namespace vtm
