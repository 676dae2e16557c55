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
struct ItemInfo
{
    MenuItem caption;
    std::optional<KeyStroke> key;
};

ItemInfo Info(MainMenu::Id id)
{
    using M = MainMenu;
    switch (id) {
    case M::New: return {MenuItem::New, KeyStroke{Key::Letter, Ctrl, 'N'}};
    case M::Open: return {MenuItem::Open, KeyStroke{Key::Letter, Ctrl, 'O'}};
    case M::Save: return {MenuItem::Save, KeyStroke{Key::Letter, Ctrl, 'S'}};
    case M::SaveAs: return {MenuItem::SaveAs, {}};
    case M::Exit: return {MenuItem::Exit, {}};
    case M::Undo: return {MenuItem::Edit, KeyStroke{Key::Letter, Ctrl, 'Z'}};
    case M::Redo: return {MenuItem::Edit, KeyStroke{Key::Letter, Shift | Ctrl, 'Z'}};
    case M::DeleteByte: return {MenuItem::DeleteByte, KeyStroke{Key::Delete, NoModifier, 0}};
    case M::InsertByte: return {MenuItem::InsertByte, KeyStroke{Key::Insert, NoModifier, 0}};
    case M::AppendByte: return {MenuItem::AppendByte, KeyStroke{Key::Insert, Ctrl, 0}};
    case M::Hex: return {MenuItem::Hex, KeyStroke{Key::Letter, Ctrl, 'H'}};
    case M::Dec: return {MenuItem::Dec, KeyStroke{Key::Letter, Ctrl, 'D'}};
    case M::CreateBackup: return {MenuItem::CreateBackup, {}};
    case M::KeepMarks: return {MenuItem::KeepMarks, {}};
    case M::NoUnknown: return {MenuItem::NoUnknown, {}};
    case M::OverwriteWarn: return {MenuItem::OverwriteWarn, {}};
    case M::PrintMarksHatched: return {MenuItem::PrintMarksHatched, {}};
    case M::PrintMarksUsingColors: return {MenuItem::PrintMarksUsingColors, {}};
    case M::DoNotPrintMarks: return {MenuItem::DoNotPrintMarks, {}};
    case M::English: return {MenuItem::English, {}};
    case M::German: return {MenuItem::German, {}};
    case M::HelpContents: return {MenuItem::HelpContents, KeyStroke{Key::Function, NoModifier, 1}};
    case M::About: return {MenuItem::About, {}};
    case M::Count: break;
    }
    return {MenuItem::File, {}};
}
} // namespace

MainMenu::MainMenu(QMenuBar *bar, QObject *parent)
    : QObject(parent)
{
    m_file = bar->addMenu(QString());
    add(m_file, New);
    add(m_file, Open);
    add(m_file, Save);
    add(m_file, SaveAs);
    m_recentSeparator = m_file->addSeparator();
    for (int i = 0; i < 5; ++i) {
        QAction *a = m_file->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { emit recentTriggered(i); });
        m_recent[std::size_t(i)] = a;
    }
    m_file->addSeparator();
    add(m_file, Exit);

    m_edit = bar->addMenu(QString());
    add(m_edit, Undo);
    add(m_edit, Redo);
    m_edit->addSeparator();
    add(m_edit, DeleteByte);
    add(m_edit, InsertByte);
    add(m_edit, AppendByte);

    m_options = bar->addMenu(QString());
    add(m_options, Hex, true);
    add(m_options, Dec, true);
    m_options->addSeparator();
    add(m_options, CreateBackup, true);
    add(m_options, KeepMarks, true);
    add(m_options, NoUnknown, true);
    add(m_options, OverwriteWarn, true);
    m_options->addSeparator();
    add(m_options, PrintMarksHatched, true);
    add(m_options, PrintMarksUsingColors, true);
    add(m_options, DoNotPrintMarks, true);
    m_options->addSeparator();
    add(m_options, English, true);
    add(m_options, German, true);

    m_help = bar->addMenu(QString());
    add(m_help, HelpContents);
    m_help->addSeparator();
    add(m_help, About);
}

QAction *MainMenu::add(QMenu *menu, Id id, bool checkable)
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
    for (int i = 0; i < Count; ++i) {
        const ItemInfo info = Info(Id(i));
        QString caption = text(info.caption);
        if (info.key) // written out in the language, right-aligned by the menu
            caption += QLatin1Char('\t') + QString::fromUtf8(ShortcutText(*info.key, language));
        m_actions[std::size_t(i)]->setText(caption);
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
    withKey(action(Undo), s.undoCaption);
    withKey(action(Redo), s.redoCaption);
    action(Undo)->setEnabled(s.canUndo);
    action(Redo)->setEnabled(s.canRedo);

    const std::pair<Id, bool> checks[] = {
        {Hex, s.hex},
        {Dec, s.dec},
        {CreateBackup, s.createBackup},
        {KeepMarks, s.keepMarks},
        {NoUnknown, s.noUnknown},
        {OverwriteWarn, s.overwriteWarning},
        {PrintMarksHatched, s.printHatched},
        {PrintMarksUsingColors, s.printColors},
        {DoNotPrintMarks, s.doNotPrint},
        {English, s.english},
        {German, s.german},
    };
    for (const auto &[id, on] : checks)
        action(id)->setChecked(on);
    for (const Id id : {Save, SaveAs, DeleteByte, InsertByte})
        action(id)->setEnabled(s.hasBuffer);
}

} // namespace vtm
