#include "gui/app/MainMenu.h"

#include "app/MenuState.h"
#include "view/KeyMap.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace vtm {

namespace {
// The shortcut an item shows; the key itself goes through the editor's key table.
std::optional<KeyStroke> ShortcutOf(MenuItem id)
{
    switch (id) {
    case MenuItem::New: return KeyStroke{Key::Letter, Ctrl, 'N'};
    case MenuItem::Open: return KeyStroke{Key::Letter, Ctrl, 'O'};
    case MenuItem::Save: return KeyStroke{Key::Letter, Ctrl, 'S'};
    case MenuItem::Undo: return KeyStroke{Key::Letter, Ctrl, 'Z'};
    case MenuItem::Redo: return KeyStroke{Key::Letter, Shift | Ctrl, 'Z'};
    case MenuItem::DeleteByte: return KeyStroke{Key::Delete, NoModifier, 0};
    case MenuItem::InsertByte: return KeyStroke{Key::Insert, NoModifier, 0};
    case MenuItem::AppendByte: return KeyStroke{Key::Insert, Ctrl, 0};
    case MenuItem::Hex: return KeyStroke{Key::Letter, Ctrl, 'H'};
    case MenuItem::Dec: return KeyStroke{Key::Letter, Ctrl, 'D'};
    case MenuItem::HelpContents: return KeyStroke{Key::Function, NoModifier, 1};
    default: return std::nullopt;
    }
}
} // namespace

MainMenu::MainMenu(QMenuBar *bar, QObject *parent)
    : QObject(parent)
{
    m_file = bar->addMenu(QString());
    add(m_file, MenuItem::New);
    add(m_file, MenuItem::Open);
    add(m_file, MenuItem::Save);
    add(m_file, MenuItem::SaveAs);
    m_recentSeparator = m_file->addSeparator();
    for (int i = 0; i < 5; ++i) {
        QAction *a = m_file->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { emit recentTriggered(i); });
        m_recent[std::size_t(i)] = a;
    }
    m_file->addSeparator();
    add(m_file, MenuItem::Exit);

    m_edit = bar->addMenu(QString());
    add(m_edit, MenuItem::Undo);
    add(m_edit, MenuItem::Redo);
    m_edit->addSeparator();
    add(m_edit, MenuItem::DeleteByte);
    add(m_edit, MenuItem::InsertByte);
    add(m_edit, MenuItem::AppendByte);

    m_options = bar->addMenu(QString());
    add(m_options, MenuItem::Hex, true);
    add(m_options, MenuItem::Dec, true);
    m_options->addSeparator();
    add(m_options, MenuItem::CreateBackup, true);
    add(m_options, MenuItem::KeepMarks, true);
    add(m_options, MenuItem::NoUnknown, true);
    add(m_options, MenuItem::OverwriteWarn, true);
    m_options->addSeparator();
    add(m_options, MenuItem::PrintMarksHatched, true);
    add(m_options, MenuItem::PrintMarksUsingColors, true);
    add(m_options, MenuItem::DoNotPrintMarks, true);
    m_options->addSeparator();
    add(m_options, MenuItem::English, true);
    add(m_options, MenuItem::German, true);

    m_help = bar->addMenu(QString());
    add(m_help, MenuItem::HelpContents);
    m_help->addSeparator();
    add(m_help, MenuItem::About);
}

QAction *MainMenu::add(QMenu *menu, MenuItem id, bool checkable)
{
    QAction *a = menu->addAction(QString());
    a->setCheckable(checkable);
    // The state decides the check marks; a click only asks for the command.
    connect(a, &QAction::triggered, this, [this, id] { emit triggered(id); });
    m_actions[std::size_t(id)] = a;
    return a;
}

QMenu *MainMenu::menu(MenuItem top) const
{
    switch (top) {
    case MenuItem::File: return m_file;
    case MenuItem::Edit: return m_edit;
    case MenuItem::Options: return m_options;
    case MenuItem::Help: return m_help;
    default: return nullptr;
    }
}

void MainMenu::setLanguage(int language)
{
    auto text = [language](MenuItem item) { return QString::fromUtf8(Caption(item, language)); };
    m_file->setTitle(text(MenuItem::File));
    m_edit->setTitle(text(MenuItem::Edit));
    m_options->setTitle(text(MenuItem::Options));
    m_help->setTitle(text(MenuItem::Help));
    for (int i = 0; i < MenuItemCount; ++i) {
        QAction *a = m_actions[std::size_t(i)];
        if (!a || a->menu())
            continue;
        QString caption = text(MenuItem(i));
        if (const auto key = ShortcutOf(MenuItem(i))) // written out, right-aligned by the menu
            caption += QLatin1Char('\t') + QString::fromUtf8(ShortcutText(*key, language));
        a->setText(caption);
    }
}

void MainMenu::apply(const MenuState &s)
{
    for (std::size_t i = 0; i < m_recent.size(); ++i) {
        m_recent[i]->setText(QString::fromUtf8(s.recentCaptions[i]));
        m_recent[i]->setVisible(s.recentVisible[i]);
    }
    m_recentSeparator->setVisible(s.recentSeparator);

    auto withKey = [](QAction *a, const std::string &caption) {
        const QString old = a->text();
        const qsizetype tab = old.indexOf(QLatin1Char('\t'));
        a->setText(QString::fromUtf8(caption) + (tab >= 0 ? old.mid(tab) : QString()));
    };
    withKey(action(MenuItem::Undo), s.undoCaption);
    withKey(action(MenuItem::Redo), s.redoCaption);
    action(MenuItem::Undo)->setEnabled(s.canUndo);
    action(MenuItem::Redo)->setEnabled(s.canRedo);

    const std::pair<MenuItem, bool> checks[] = {
        {MenuItem::Hex, s.hex},
        {MenuItem::Dec, s.dec},
        {MenuItem::CreateBackup, s.createBackup},
        {MenuItem::KeepMarks, s.keepMarks},
        {MenuItem::NoUnknown, s.noUnknown},
        {MenuItem::OverwriteWarn, s.overwriteWarning},
        {MenuItem::PrintMarksHatched, s.printHatched},
        {MenuItem::PrintMarksUsingColors, s.printColors},
        {MenuItem::DoNotPrintMarks, s.doNotPrint},
        {MenuItem::English, s.english},
        {MenuItem::German, s.german},
    };
    for (const auto &[id, on] : checks)
        action(id)->setChecked(on);
    for (const MenuItem id :
         {MenuItem::Save, MenuItem::SaveAs, MenuItem::DeleteByte, MenuItem::InsertByte})
        action(id)->setEnabled(s.hasBuffer);
}

} // namespace vtm
