#pragma once

#include "document/Language.h"
#include "app/Commands.h"

#include <QObject>

#include <array>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace vtm {

struct MenuState;

// The main window's menus and the view's pop-up, built from the command table. Shortcut
// keys reach the editor through the same table, so an item only shows its shortcut's text
// and never fires a second time.
class MainMenu : public QObject
{
    Q_OBJECT
public:
    MainMenu(QMenuBar *bar, QObject *parent);
    ~MainMenu() override;

    // The menu bar's item with this caption; null for a caption the menus do not show.
    QAction *action(MenuItem caption) const;
    QAction *recentAction(int i) const { return m_recent[std::size_t(i)]; }
    // Colour 0 is the unmark item of the Mark menu.
    QAction *markAction(int colour) const { return m_markActions[std::size_t(colour)]; }
    QAction *gotoColourAction(bool next, int colour) const
    {
        return (next ? m_gotoNext : m_gotoPrevious)[std::size_t(colour - 1)];
    }
    // The view's pop-up menu.
    QMenu *popup() const { return m_popup; }
    QMenu *menu(MenuItem title) const;

    void setLanguage(Language language);
    void apply(const MenuState &state);

signals:
    void triggered(vtm::Command command);

private:
    void build(QMenu *menu, const std::vector<MenuNode> &nodes, bool inPopup);

    struct Placed
    {
        Command command;
        QAction *action;
        bool inPopup;
    };
    std::vector<Placed> m_items;
    std::map<MenuItem, QAction *> m_byCaption;
    std::map<MenuItem, QMenu *> m_menus;
    std::array<QAction *, 5> m_recent{};
    QAction *m_recentSeparator = nullptr;
    QMenu *m_popup = nullptr;
    std::array<QAction *, 7> m_markActions{};
    std::array<QAction *, 6> m_gotoNext{}, m_gotoPrevious{};
};

} // namespace vtm
