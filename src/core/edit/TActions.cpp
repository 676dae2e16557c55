#include "edit/TActions.h"

#include "edit/EditContext.h"
#include "edit/EditTexts.h"
#include "document/FileSource.h"

#include <algorithm>
#include <utility>

namespace vtm {

std::size_t TActions::groupEnd(std::size_t from) const
{
    std::size_t n = from;
    while (n < m_list.size() && m_list[n]->Group == m_list[from]->Group)
        ++n;
    return n;
}

void TActions::dropOldest(std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        m_undoBytes -= m_list[i]->UndoBytes();
    m_list.erase(m_list.begin(), m_list.begin() + std::ptrdiff_t(n));
    m_current -= int(n);
}

void TActions::trimToMemoryLimit()
{
    std::int64_t limit = m_undoByteLimit;
    if (limit < 0)
        limit = std::max<std::int64_t>(MinUndoBytes, m_ctx->Doc().BufferSize());
    // The newest command always stays whole, whatever it holds.
    std::size_t n = 0;
    std::int64_t bytes = m_undoBytes;
    while (bytes > limit && m_list[n]->Group != m_list.back()->Group) {
        const std::size_t end = groupEnd(n);
        for (; n < end; ++n)
            bytes -= m_list[n]->UndoBytes();
    }
    dropOldest(n);
}

bool TActions::refusedOnDevice(const TAction &a)
{
    const Document &doc = m_ctx->Doc();
    if (!doc.FixedSize() || a.Kind == ActionKind::Mark || a.Kind == ActionKind::Unmark
        || a.Kind == ActionKind::LoadMark)
        return false;
    std::string text;
    if (doc.ReadOnly())
        text = DeviceReadOnlyText(m_ctx->Language());
    else if (a.prepared() == ActionOutcome::Done && a.SizeChanged())
        text = DeviceFixedSizeText(m_ctx->Language());
    else
        return false;
    // Once per command: a command that records many actions is refused as a whole.
    if (std::exchange(m_refusedGroup, a.Group) != a.Group)
        m_ctx->ShowMessageDlg(text, MessageKind::Information, mbOK, 0);
    return true;
}

bool TActions::AddAction(std::unique_ptr<TAction> action, bool show)
{
    if (refusedOnDevice(*action))
        return false;
    while (CanRedo()) {
        m_undoBytes -= m_list.back()->UndoBytes();
        m_list.pop_back();
    }
    if (int(m_list.size()) >= MaxActions) {
        // Whole commands only, and never the one this action belongs to.
        std::size_t n = 0;
        while (n < m_list.size() && n < std::size_t(TrimActions)
               && m_list[n]->Group != action->Group)
            n = groupEnd(n);
        dropOldest(n);
    }
    TAction &a = *action;
    m_list.push_back(std::move(action));
    ++m_current;

    ActionOutcome outcome;
    try {
        outcome = a.DoAction(*m_ctx);
    } catch (const SourceReadError &) {
        // An action reads before it changes anything: it was not done.
        m_list.pop_back();
        --m_current;
        throw;
    }
    if (outcome != ActionOutcome::Done) {
        reportFailure(outcome);
        m_ctx->RequestLayout();
        a.SetDoActionCursorPos(*m_ctx);
        m_ctx->UpdateView();
        Forget();
        return false;
    }
    m_undoBytes += a.UndoBytes();
    trimToMemoryLimit();
    if (!show)
        return true;
    // The new length must be laid out before the cursor can stand on a new last row.
    if (a.SizeChanged())
        m_ctx->RequestLayout();
    a.SetDoActionCursorPos(*m_ctx);
    m_ctx->UpdateView();
    return true;
}

void TActions::UpdateView()
{
    if (!CanUndo())
        return;
    const TAction &a = *m_list[std::size_t(m_current)];
    m_ctx->MoveCursorToOffset(a.Pos, a.CharSide, false);
    m_ctx->RequestLayout();
}

void TActions::reportFailure(ActionOutcome outcome)
{
    const Language language = m_ctx->Language();
    std::string text;
    switch (outcome) {
    case ActionOutcome::Done: return;
    case ActionOutcome::OutOfMemory: text = OutOfMemoryText(language); break;
    case ActionOutcome::OutOfMemoryUndo: text = OutOfMemoryUndoText(language); break;
    case ActionOutcome::OutOfMemoryReplace: text = OutOfMemoryReplaceText(language); break;
    }
    m_ctx->RequestLayout();
    // The replace commands repaint once their run is over.
    if (outcome != ActionOutcome::OutOfMemoryReplace)
        m_ctx->UpdateView();
    m_ctx->ShowMessageDlg(text, MessageKind::Error, mbOK, 0);
}

void TActions::afterFailure()
{
    // The failing action has left the document consistent; nothing older can be
    // undone at the offsets it recorded any more.
    Forget();
    m_ctx->RequestLayout();
    const std::int64_t last = std::int64_t(m_ctx->Doc().BufferSize()) - 1;
    m_ctx->MoveCursorToOffset(
        std::clamp<std::int64_t>(m_ctx->CursorOffset(), 0, std::max<std::int64_t>(last, 0)),
        m_ctx->CursorInCharArea(), false);
}

void TActions::finishStep(ActionOutcome outcome, TAction &last, bool undone)
{
    auto placeCursor = [&] {
        if (undone)
            last.SetUndoActionCursorPos(*m_ctx);
        else
            last.SetDoActionCursorPos(*m_ctx);
    };
    if (outcome != ActionOutcome::Done) {
        reportFailure(outcome);
        afterFailure();
    } else if (last.SizeChanged()) {
        m_ctx->RequestLayout();
        placeCursor();
        m_ctx->InvalidateView();
    } else {
        placeCursor();
        m_ctx->RequestLayout();
    }
    m_ctx->UpdateMainWindow();
}

void TActions::Undo()
{
    if (!CanUndo())
        return;
    const int group = m_list[std::size_t(m_current)]->Group;
    TAction *last = nullptr;
    ActionOutcome outcome = ActionOutcome::Done;
    try {
        while (outcome == ActionOutcome::Done && CanUndo()
               && m_list[std::size_t(m_current)]->Group == group) {
            last = m_list[std::size_t(m_current)].get();
            outcome = last->UndoAction(*m_ctx);
            --m_current;
        }
    } catch (const SourceReadError &) {
        abandonStep();
        throw;
    }
    finishStep(outcome, *last, true);
}

void TActions::Redo()
{
    if (!CanRedo())
        return;
    const int group = m_list[std::size_t(m_current) + 1]->Group;
    TAction *last = nullptr;
    ActionOutcome outcome = ActionOutcome::Done;
    try {
        while (outcome == ActionOutcome::Done && CanRedo()
               && m_list[std::size_t(m_current) + 1]->Group == group) {
            last = m_list[std::size_t(m_current) + 1].get();
            outcome = last->DoAction(*m_ctx);
            ++m_current;
        }
    } catch (const SourceReadError &) {
        abandonStep();
        throw;
    }
    finishStep(outcome, *last, false);
}

void TActions::abandonStep()
{
    // The file under the document failed part-way through a command: what is done stays,
    // but a half-undone command cannot be undone or redone as a whole any more.
    afterFailure();
    m_ctx->InvalidateView();
    m_ctx->UpdateMainWindow();
}

void TActions::Forget()
{
    m_list.clear();
    m_current = -1;
    m_undoBytes = 0;
}

std::string TActions::ActionName(int index) const
{
    if (index < 0 || index >= int(m_list.size()))
        return {};
    return ActionKindName(m_list[std::size_t(index)]->Kind,
                          m_ctx ? m_ctx->Language() : Language::English);
}

std::int64_t TActions::groupMembers(int index, int step) const
{
    const int group = m_list[std::size_t(index)]->Group;
    std::int64_t n = 0;
    for (int i = index; i >= 0 && i < int(m_list.size()) && m_list[std::size_t(i)]->Group == group;
         i += step)
        n += m_list[std::size_t(i)]->MemberCount();
    return n;
}

namespace {
std::string StepName(std::int64_t n, const std::string &name)
{
    std::string s = "(";
    if (n != 1)
        s += std::to_string(n) + " * ";
    s += name;
    s += ')';
    return s;
}
} // namespace

std::string TActions::UndoName() const
{
    if (!CanUndo())
        return {};
    return StepName(groupMembers(m_current, -1), ActionName(m_current));
}

std::string TActions::RedoName() const
{
    if (!CanRedo())
        return {};
    return StepName(groupMembers(m_current + 1, +1), ActionName(m_current + 1));
}

} // namespace vtm
