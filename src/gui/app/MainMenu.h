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

    // The item's action; null for an item the menus do not have.
    QAction *action(MenuItem id) const { return m_actions[std::size_t(id)]; }
    QAction *recentAction(int i) const { return m_recent[std::size_t(i)]; }
    QMenu *menu(MenuItem top) const;

    void setLanguage(int language);
    void apply(const MenuState &state);

signals:
    void triggered(vtm::MenuItem id);
    void recentTriggered(int index);

private:
    QAction *add(QMenu *menu, MenuItem id, bool checkable = false);

    std::array<QAction *, MenuItemCount> m_actions{};
    std::array<QAction *, 5> m_recent{};
    QAction *m_recentSeparator = nullptr;
    QMenu *m_file = nullptr, *m_edit = nullptr, *m_options = nullptr, *m_help = nullptr;
};

} // namespace vtm
