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
    enum Id {
        New,
        Open,
        Save,
        SaveAs,
        Exit,
        Undo,
        Redo,
        DeleteByte,
        InsertByte,
        AppendByte,
        Hex,
        Dec,
        CreateBackup,
        KeepMarks,
        NoUnknown,
        OverwriteWarn,
        PrintMarksHatched,
        PrintMarksUsingColors,
        DoNotPrintMarks,
        English,
        German,
        HelpContents,
        About,
        Count
    };

    MainMenu(QMenuBar *bar, QObject *parent);

    QAction *action(Id id) const { return m_actions[std::size_t(id)]; }
    QAction *recentAction(int i) const { return m_recent[std::size_t(i)]; }
    QMenu *menu(MenuItem top) const;

    void setLanguage(int language);
    void apply(const MenuState &state);

signals:
    void triggered(vtm::MainMenu::Id id);
    void recentTriggered(int index);

private:
    QAction *add(QMenu *menu, Id id, bool checkable = false);

    std::array<QAction *, Count> m_actions{};
    std::array<QAction *, 5> m_recent{};
    QAction *m_recentSeparator = nullptr;
    QMenu *m_file = nullptr, *m_edit = nullptr, *m_options = nullptr, *m_help = nullptr;
};

} // namespace vtm
