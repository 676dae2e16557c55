#include "search/ReplaceCommands.h"

#include "document/Document.h"
#include "document/JobMeter.h"
#include "document/Language.h"
#include "edit/EditContext.h"
#include "edit/EditTexts.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "edit/TCompoundReplaceAction.h"
#include "edit/TMarkAction.h"
#include "edit/TReplaceAction.h"
#include "search/MarkAll.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace vtm {

QuestionPlace PlaceQuestion(int screenWidth, int screenHeight, int viewTopOnScreen,
                            std::int64_t cursorRow, std::int64_t topRow, int rowHeight)
{
    // Only the half of the screen matters, so rows far off the view just saturate.
    const std::int64_t rows = std::clamp<std::int64_t>(cursorRow - topRow, -(1 << 20), 1 << 20);
    const std::int64_t y = viewTopOnScreen + rows * rowHeight;
    const int top =
        y > screenHeight / 2 ? screenHeight / 6 : int((4 * std::int64_t(screenHeight)) / 6);
    return {screenWidth / 6, top};
}

std::string ReplaceQuestionText(Language language)
{
    return IsGerman(language) ? "Ersetzen?" : "Replace?";
}

std::string MarkQuestionText(Language language)
{
    return IsGerman(language) ? "Markieren?" : "Mark?";
}

std::string EstimateQuestionText(Language language, int minutes)
{
    const bool german = IsGerman(language);
    std::string text =
        german ? "Geschätzte Zeit für diese Operation: " : "Estimated time for this operation: ";
    if (minutes >= 60)
        return text + (german ? "Mehrere Stunden. Fortfahren?" : "Several hours. Continue?");
    return text + std::to_string(minutes) + (german ? " min. Fortfahren?" : " min. Continue?");
}

int EstimateMinutes(std::int64_t elapsedMs, std::int64_t done, std::int64_t total)
{
    // A few occurrences in a millisecond or two say nothing about a million: scaling up
    // waits for a second of work, which cannot project a short run past a minute.
    const bool scale = total > 0 && done > 5 && elapsedMs >= MinEstimateMs;
    const double percent = scale ? double(done) / double(total) * 100.0 : 100.0;
    const double minutes = double(elapsedMs) * 100.0 / percent / 60000.0;
    if (!(minutes <= 60.0)) // also NaN
        return 60;
    return int(std::nearbyint(minutes)); // halves to the even neighbour
}

int ProgressPercent(std::int64_t p, std::int64_t origin, std::int64_t end)
{
    if (end == origin)
        return 0;
    return int(std::nearbyint(double(p - origin) / double(end - origin) * 100.0));
}

namespace {
// One command's loop state shared by replacing and marking.
struct RunState
{
    RunState(EditContext &c, const FindState &s, int result)
        : ctx(c)
        , state(s)
        , group(c.NextCommandNumber())
        , side(c.CursorInCharArea())
        , all(result == FindResultAll)
        , confirm(s.Confirm)
        , backward(s.Backward)
        , n(std::int64_t(s.FindBytes.size()))
        , start(FindStartOffset(s, c.CursorOffset(), c.Doc().BufferSize()))
        , origin(start)
    {}

    // The next occurrence from start, counted, and whether to act on it (asked about while
    // confirming); -1 when there is none.
    std::int64_t next(SearchUi &ui, const std::string &question, bool *act)
    {
        const std::int64_t p = SearchFind(ctx.Doc(), state, start, backward);
        if (p < 0)
            return -1;
        ++found;
        last = p;
        *act = confirm ? ask(ui, p, question) : true;
        return p;
    }

    // The answer to the question for one occurrence: whether to act on it.
    bool ask(SearchUi &ui, std::int64_t p, const std::string &text)
    {
        ctx.MoveCursorToOffset(p, ctx.CursorInCharArea(), true);
        switch (ui.AskAtCursor(text)) {
        case mrYes: return true;
        case mrNo: return false;
        case mrAll:
            confirm = false;
            all = true;
            return true;
        default: // Cancel or the close box
            stop = true;
            return false;
        }
    }

    void progress(SearchUi &ui, std::int64_t p, std::int64_t end)
    {
        if (end == origin)
            return;
        const int percent = ProgressPercent(p, origin, end);
        if (percent != lastPercent) {
            ui.ShowProgress(std::to_string(percent) + "%");
            lastPercent = percent;
        }
    }

    // After the loop: the cursor onto the last occurrence found (lastOffset < 0: none), the
    // view brought up to date when the actions were recorded without showing them. A stopped
    // run has not shown that there is nothing to find, so it does not beep.
    void finish(SearchUi &ui, std::int64_t lastOffset, bool layout, bool stopped)
    {
        if (lastOffset < 0) {
            if (!stopped)
                ctx.Beep();
        } else {
            if (layout)
                ctx.RequestLayout();
            const std::int64_t end = std::max<std::int64_t>(0, ctx.Doc().BufferSize() - 1);
            ctx.MoveCursorToOffset(std::clamp<std::int64_t>(lastOffset, 0, end),
                                   ctx.CursorInCharArea(), true);
        }
        if (!confirm) {
            // Only onto this command's own changes: with none, an older command's
            // position means nothing here.
            TActions &history = ctx.History();
            if (history.CanUndo() && history.At(history.Current()).Group == group)
                history.UpdateView();
            ui.ShowProgress("");
        }
        ui.UpdateMenus();
    }

    EditContext &ctx;
    const FindState &state;
    const int group;
    const bool side;
    bool all, confirm;
    const bool backward;
    const std::int64_t n;
    std::int64_t start;
    const std::int64_t origin;
    std::int64_t found = 0, last = 0;
    int lastPercent = 0;
    bool stop = false;
};

// Counts a run of searches on the job's meter by how far they have come from where the run
// began, not by the spans they walked: after each of many occurrences in one span the next
// search walks the rest of that span again, which would run the count far past the end.
// Attached to the document while it lives, when a job runs.
class ReachMeter final : public JobMeter
{
public:
    // A whole run makes the job's remaining work the run's length.
    enum class Run { Whole, Part };
    ReachMeter(Document &doc, JobMeter *job, std::int64_t start, std::int64_t n, bool backward,
               Run run = Run::Part)
        : m_job(job)
        , m_size(doc.BufferSize())
        , m_n(n)
        , m_backward(backward)
        , m_origin(edge(start))
        , m_scope(doc, job ? this : doc.Meter())
    {
        // Every count is turned into reach at once; the job's own meter decides when to poll.
        setPollEvery(0);
        if (job && run == Run::Whole)
            job->setTotal(job->done() + length());
    }
    ReachMeter(const ReachMeter &) = delete;
    ReachMeter &operator=(const ReachMeter &) = delete;

    // The bytes a run from its start to the document's end walks once.
    std::int64_t length() const { return m_backward ? m_origin : m_size - m_origin; }
    // A search from start is about to walk.
    void search(std::int64_t start)
    {
        m_at = edge(start);
        m_walked = done();
        // A search that ends in its first span counts nothing; the job still gets its look
        // at a stop between occurrences, when its meter wants one.
        if (m_job)
            m_job->add(0);
    }

protected:
    bool poll() override
    {
        const std::int64_t walked = done() - m_walked;
        const std::int64_t reach = std::clamp<std::int64_t>(
            m_backward ? m_origin - (m_at - walked) : m_at + walked - m_origin, 0, length());
        if (reach > m_reported) {
            m_job->add(reach - m_reported);
            m_reported = reach;
        } else {
            m_job->add(0);
        }
        return true;
    }

private:
    // Where a search from start begins to walk: backwards from the end of an occurrence
    // there.
    std::int64_t edge(std::int64_t start) const
    {
        return m_backward ? std::clamp<std::int64_t>(start + m_n, 0, m_size)
                          : std::clamp<std::int64_t>(start, 0, m_size);
    }

    JobMeter *m_job;
    const std::int64_t m_size, m_n;
    const bool m_backward;
    const std::int64_t m_origin;
    std::int64_t m_at = 0, m_walked = 0, m_reported = 0;
    MeterScope<Document> m_scope;
};

// The job's whole work grows by a run of `length` bytes.
void AddToTotal(JobMeter *job, std::int64_t length)
{
    if (job)
        job->setTotal(job->total() + length);
}

std::int64_t CountOccurrences(Document &doc, JobMeter *job, const FindState &state,
                              std::int64_t start, bool backward)
{
    const std::int64_t n = std::int64_t(state.FindBytes.size());
    ReachMeter reach(doc, job, start, n, backward);
    AddToTotal(job, reach.length());
    std::int64_t count = 0;
    for (std::int64_t p = start;; p = backward ? p - n : p + n) {
        reach.search(p);
        p = SearchFind(doc, state, p, backward);
        if (p < 0)
            return count;
        ++count;
    }
}

// Tells the job how much a stopped command has changed, which one Undo takes back.
void ReportChanged(const Document &doc, std::int64_t count)
{
    if (JobMeter *job = doc.Meter())
        job->setChanged(count);
}

bool Accepted(int result)
{
    return result == mrOk || result == FindResultAll;
}
} // namespace

void ReplaceCommand(EditContext &ctx, SearchUi &ui, const FindState &state, int result)
{
    if (!Accepted(result)) {
        ui.UpdateMenus();
        return;
    }
    if (state.FindBytes.empty()) { // nothing to search for can never be found
        ctx.Beep();
        ui.UpdateMenus();
        return;
    }
    Document &doc = ctx.Doc();
    RunState run(ctx, state, result);
    const std::vector<std::uint8_t> &replacement = state.ReplaceBytes;
    const std::int64_t m = std::int64_t(replacement.size());
    const std::int64_t n = run.n;
    // Replacements made without asking are collected here and made in one pass at the end;
    // until then the document is searched as it was, which finds exactly what searching
    // behind each replacement would.
    std::unique_ptr<TCompoundReplaceAction> bulk;
    bool asked = false, estimating = false;
    std::int64_t total = 0, done0 = 0, t0 = 0;
    // The last occurrence dealt with, and how many were replaced at once.
    std::int64_t kept = -1, shownCount = 0;
    JobMeter *const job = doc.Meter();
    bool stopped = false;

    try {
        ReachMeter reach(doc, job, run.start, n, run.backward, ReachMeter::Run::Whole);
        for (;;) {
            bool replace = true;
            reach.search(run.start);
            const std::int64_t p = run.next(ui, ReplaceQuestionText(ctx.Language()), &replace);
            if (p < 0)
                break;
            if (!run.confirm && !asked) {
                if (!estimating) {
                    total = CountOccurrences(doc, job, state, run.start, run.backward);
                    done0 = run.found;
                    // The count starts at the occurrence just found.
                    if (job)
                        job->setChangeEstimate(done0 - 1 + total);
                    t0 = ui.TickCount();
                    estimating = true;
                }
                const int minutes = EstimateMinutes(ui.TickCount() - t0, run.found - done0, total);
                if (minutes > 1) {
                    ctx.RequestLayout();
                    ctx.MoveCursorToOffset(p, ctx.CursorInCharArea(), true);
                    if (ctx.ShowMessageDlg(EstimateQuestionText(ctx.Language(), minutes),
                                           MessageKind::Warning, mbYesNoCancel, 0)
                        != mrYes) {
                        replace = false;
                        run.stop = true;
                    }
                    asked = true;
                }
            }
            bool shown = false; // replaced in the document at once
            if (replace && run.confirm) {
                auto action = std::make_unique<TReplaceAction>(ctx, run.group, p, run.side, n,
                                                               state.ReplaceBytes.data(), m);
                ctx.History().reportFailure(action->prepared());
                if (action->Count == 0 || !ctx.History().AddAction(std::move(action), true))
                    run.stop = true;
                else
                    shown = true;
            } else if (replace) {
                try {
                    if (!bulk)
                        bulk = std::make_unique<TCompoundReplaceAction>(
                            run.group, run.side, run.backward, state.FindBytes, replacement);
                    bulk->Add(p);
                    const std::int64_t size = doc.BufferSize() + bulk->MemberCount() * (m - n);
                    run.progress(ui, bulk->FinalOffset(p), run.backward ? 0 : size - 1);
                } catch (const std::bad_alloc &) {
                    ctx.ShowMessageDlg(OutOfMemoryText(ctx.Language()), MessageKind::Error, mbOK,
                                       0);
                    run.stop = true;
                }
            }
            if (shown)
                ++shownCount;
            kept = p;
            // Backwards the search goes on before the occurrence just handled, whatever
            // became of it, so a longer replacement skips nothing and a shorter one is not
            // found again.
            run.start = run.backward ? p - n : p + (shown ? m : n);
            if (run.stop || !run.all)
                break;
        }
    } catch (const JobStopped &) {
        // What was collected is made as at the end; an occurrence found while the count
        // ahead of it was stopped is left alone.
        stopped = true;
    }

    std::int64_t lastOffset = stopped ? kept : run.found > 0 ? run.last : -1;
    std::int64_t made = shownCount;
    if (bulk && !bulk->Empty()) {
        const std::int64_t last = lastOffset;
        lastOffset = bulk->FinalOffset(last);
        const std::int64_t count = bulk->MemberCount();
        if (ctx.History().AddAction(std::move(bulk), false))
            made += count;
        else
            lastOffset = last; // reported; the document is as it was
    }
    run.finish(ui, lastOffset, true, stopped);
    if (stopped) {
        ReportChanged(doc, made);
        throw JobStopped();
    }
}

void FindAndMarkCommand(EditContext &ctx, SearchUi &ui, const FindState &state, int result)
{
    if (!Accepted(result)) {
        ui.UpdateMenus();
        return;
    }
    if (state.FindBytes.empty()) {
        ctx.Beep();
        ui.UpdateMenus();
        return;
    }
    Document &doc = ctx.Doc();
    RunState run(ctx, state, result);
    const std::uint8_t colour =
        std::uint8_t(state.MarkColor >= 1 && state.MarkColor <= 6 ? state.MarkColor : 1);
    const std::int64_t end = run.backward ? 0 : doc.BufferSize() - 1;
    const std::int64_t n = run.n;
    // Colourings made without asking, as one action recorded at the end.
    std::unique_ptr<TCompoundMarkAction> bulk;
    // The last occurrence dealt with, and the bytes marked at once.
    std::int64_t kept = -1, shownCount = 0;
    JobMeter *const job = doc.Meter();
    bool stopped = false;

    try {
        ReachMeter reach(doc, job, run.start, n, run.backward, ReachMeter::Run::Whole);
        for (;;) {
            bool mark = true;
            reach.search(run.start);
            if (run.all && !run.confirm) {
                // The rest without asking: one walk over the bytes, no search per occurrence.
                if (!bulk)
                    bulk = std::make_unique<TCompoundMarkAction>(ActionKind::Mark, run.group,
                                                                 run.side);
                MarkAllProgress got;
                got.changed = [&](std::int64_t p) { run.progress(ui, p, end); };
                const auto account = [&] {
                    run.found += got.found;
                    if (got.last >= 0)
                        run.last = kept = got.last;
                };
                try {
                    MarkAllOccurrences(doc, *bulk, state.FindBytes, !state.CaseSensitive,
                                       run.start, run.backward, colour, got);
                } catch (const std::bad_alloc &) { // what was collected is still recorded
                    ctx.ShowMessageDlg(OutOfMemoryText(ctx.Language()), MessageKind::Error, mbOK,
                                       0);
                } catch (const JobStopped &) {
                    account();
                    throw;
                }
                account();
                break;
            }
            const std::int64_t p = run.next(ui, MarkQuestionText(ctx.Language()), &mark);
            if (p < 0)
                break;
            if (mark && run.confirm) {
                for (std::int64_t i = p; i < p + n; ++i)
                    if (doc.MarkAt(i) != colour
                        && ctx.History().AddAction(std::make_unique<TMarkAction>(ActionKind::Mark,
                                                                                 run.group, i,
                                                                                 run.side, colour),
                                                   true))
                        ++shownCount;
            } else if (mark) {
                try {
                    if (!bulk)
                        bulk = std::make_unique<TCompoundMarkAction>(ActionKind::Mark, run.group,
                                                                     run.side);
                    const std::int64_t before = bulk->MemberCount();
                    bulk->AddRun(doc, p, n, colour);
                    if (bulk->MemberCount() != before)
                        run.progress(ui, p, end);
                } catch (const std::bad_alloc &) { // what was collected is still recorded
                    ctx.ShowMessageDlg(OutOfMemoryText(ctx.Language()), MessageKind::Error, mbOK,
                                       0);
                    run.stop = true;
                }
            }
            kept = p;
            run.start = run.backward ? p - n : p + n;
            if (run.stop || !run.all)
                break;
        }
    } catch (const JobStopped &) {
        stopped = true;
    }

    std::int64_t made = shownCount;
    if (bulk && !bulk->Empty()) {
        const std::int64_t count = bulk->MemberCount();
        if (ctx.History().AddAction(std::move(bulk), false))
            made += count;
    }
    run.finish(ui, stopped ? kept : run.found > 0 ? run.last : -1, false, stopped);
    if (stopped) {
        ReportChanged(doc, made);
        throw JobStopped();
    }
}

} // namespace vtm
