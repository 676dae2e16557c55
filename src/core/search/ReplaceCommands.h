#pragma once

#include "document/Language.h"
#include "search/FindState.h"

#include <cstdint>
#include <string>

namespace vtm {

class EditContext;

// What the replace and mark loops need of the window beyond editing.
class SearchUi
{
public:
    virtual ~SearchUi() = default;
    // The third status-bar pane's text ("37%"; empty clears it), shown at once.
    virtual void ShowProgress(const std::string &text) = 0;
    virtual void UpdateMenus() = 0;
    // The question for one occurrence (Yes, No, Cancel, All), placed off the cursor's row.
    virtual int AskAtCursor(const std::string &text) = 0;
    // Milliseconds from any fixed start.
    virtual std::int64_t TickCount() = 0;
};

// Where the question for an occurrence goes: a sixth in from the left, and in the upper
// part of the screen when the cursor's row is in the lower half, else in the lower part.
struct QuestionPlace
{
    int left, top;
};
QuestionPlace PlaceQuestion(int screenWidth, int screenHeight, int viewTopOnScreen,
                            std::int64_t cursorRow, std::int64_t topRow, int rowHeight);

std::string ReplaceQuestionText(Language language);
std::string MarkQuestionText(Language language);
// The time question for a projected run of `minutes` (60: several hours).
std::string EstimateQuestionText(Language language, int minutes);

// The projected minutes of a whole run that has taken elapsedMs for `done` of `total`
// occurrences, capped at 60; the bare elapsed time until more than five are done and a
// second has passed.
constexpr std::int64_t MinEstimateMs = 1000;
int EstimateMinutes(std::int64_t elapsedMs, std::int64_t done, std::int64_t total);

// The read-out of how far a run from origin towards end has come at p, rounded.
int ProgressPercent(std::int64_t p, std::int64_t origin, std::int64_t end);

// Replace after the dialog closed with `result` (mrOk, FindResultAll, or anything else
// for cancelled): one occurrence or all, each asked about while Confirm holds, one undo
// step for the whole command. Run as a job, a stop keeps what was replaced or collected
// by then, as that one step, and passes JobStopped on.
void ReplaceCommand(EditContext &ctx, SearchUi &ui, const FindState &state, int result);

// Find and mark after the dialog closed with `result`: colours the occurrences' bytes
// with the state's colour, one undo step for the whole command; a stop as with Replace.
void FindAndMarkCommand(EditContext &ctx, SearchUi &ui, const FindState &state, int result);

} // namespace vtm
