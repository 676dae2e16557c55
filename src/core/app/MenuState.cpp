#include "app/MenuState.h"

#include "edit/EditTexts.h"

namespace vtm {

namespace {
// A file name in a menu caption is shown as it is, never as an access key.
std::string Literal(const std::string &name)
{
    std::string s;
    for (const char c : name) {
        s += c;
        if (c == '&')
            s += '&';
    }
    return s;
}
} // namespace

MenuState ComputeMenuState(const EditorState &s)
{
    MenuState m;
    for (std::size_t i = 0; i < m.recentCaptions.size(); ++i) {
        m.recentCaptions[i] = "&" + std::to_string(i + 1) + ": " + Literal(s.settings.File[i]);
        m.recentVisible[i] = !s.settings.File[i].empty();
        m.recentSeparator = m.recentSeparator || m.recentVisible[i];
    }
    m.undoCaption = UndoCaption(s.settings.Language, s.History.UndoName());
    m.redoCaption = RedoCaption(s.settings.Language, s.History.RedoName());
    for (int c = 0; c < CommandCount; ++c) {
        m.enabled[std::size_t(c)] = IsEnabled(Command(c), s);
        m.checked[std::size_t(c)] = IsChecked(Command(c), s);
    }
    m.hasBuffer = s.doc.BufferSize() > 0;
    m.canFindAgain = m.hasBuffer && s.Find.SearchAccepted;
    return m;
}

} // namespace vtm
