#pragma once

#include "app/Captions.h"

#include <QObject>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;

namespace vtm {

struct MenuState;

// The main window's menus. Shortcut keys reach the editor through its key table, so an
// item only shows its shortcut's text and never fires a second time.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    MainMenu(QMenuBar *bar, QObject *parent);
    ~MainMenu() override;

    // The item's action; null for an item the menus do not have.
    QAction *action(MenuItem id) const { return m_actions[std::size_t(id)]; }
    QAction *recentAction(int i) const { return m_recent[std::size_t(i)]; }
    // Colour 0 is the unmark item; the main menu and the pop-up share these.
    QAction *markAction(int colour) const { return m_markActions[std::size_t(colour)]; }
    QAction *gotoColourAction(bool next, int colour) const
    {
        return (next ? m_gotoNext : m_gotoPrevious)[std::size_t(colour - 1)];
    }
    // The view's pop-up menu.
    QMenu *popup() const { return m_popup; }
    QMenu *menu(MenuItem top) const;

    void setLanguage(int language);
    void apply(const MenuState &state);

signals:
    void triggered(vtm::MenuItem id);
    void recentTriggered(int index);
    void markTriggered(int colour);
    void gotoColourTriggered(bool next, int colour);

private:
    QAction *add(QMenu *menu, MenuItem id, bool checkable = false);

    std::array<QAction *, MenuItemCount> m_actions{};
    std::array<QAction *, 5> m_recent{};
    QAction *m_recentSeparator = nullptr;
    QMenu *m_file = nullptr, *m_edit = nullptr, *m_mark = nullptr, *m_options = nullptr,
          *m_help = nullptr;
    QMenu *m_nextMenu = nullptr, *m_previousMenu = nullptr, *m_popup = nullptr;
    std::array<QAction *, 7> m_markActions{};
    std::array<QAction *, 6> m_gotoNext{}, m_gotoPrevious{};
};

} // namespace vtm
