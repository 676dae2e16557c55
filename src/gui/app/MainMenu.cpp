#include "gui/app/MainMenu.h"

#include "app/MenuState.h"
#include "view/KeyMap.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

#include "document/Color.h"

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
    case MenuItem::DeleteBytes: return KeyStroke{Key::Delete, Shift, 0};
    case MenuItem::InsertBytes: return KeyStroke{Key::Insert, Shift, 0};
    case MenuItem::AppendBytes: return KeyStroke{Key::Insert, Shift | Ctrl, 0};
    case MenuItem::Goto: return KeyStroke{Key::Letter, Ctrl, 'T'};
    case MenuItem::Find: return KeyStroke{Key::Letter, Ctrl, 'F'};
    case MenuItem::FindNext: return KeyStroke{Key::Function, NoModifier, 3};
    case MenuItem::FindPrevious: return KeyStroke{Key::Function, Shift, 3};
    case MenuItem::Replace: return KeyStroke{Key::Letter, Ctrl, 'E'};
    case MenuItem::InfoStatistic: return KeyStroke{Key::Letter, Ctrl, 'I'};
    case MenuItem::NextIdenticalByte:
    case MenuItem::PopupNextIdenticalByte: return KeyStroke{Key::Right, Shift, 0};
    case MenuItem::PreviousIdenticalByte:
    case MenuItem::PopupPreviousIdenticalByte: return KeyStroke{Key::Left, Shift, 0};
    case MenuItem::Hex: return KeyStroke{Key::Letter, Ctrl, 'H'};
    case MenuItem::Dec: return KeyStroke{Key::Letter, Ctrl, 'D'};
    case MenuItem::HelpContents: return KeyStroke{Key::Function, NoModifier, 1};
    case MenuItem::MarkNext:
    case MenuItem::PopupMarkNext: return KeyStroke{Key::Right, Ctrl, 0};
    case MenuItem::MarkPrevious:
    case MenuItem::PopupMarkPrevious: return KeyStroke{Key::Left, Ctrl, 0};
    case MenuItem::MarkNextIdentical:
    case MenuItem::PopupMarkNextIdentical: return KeyStroke{Key::Right, Shift | Ctrl, 0};
    case MenuItem::MarkPreviousIdentical:
    case MenuItem::PopupMarkPreviousIdentical: return KeyStroke{Key::Left, Shift | Ctrl, 0};
    default: return std::nullopt;
    }
}
constexpr char kMarkLetters[7] = {'U', 'R', 'G', 'B', 'C', 'M', 'Y'};

// A swatch in the mark colour, framed; white for unmark.
QIcon Swatch(int colour)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pm(24 * scale, 16 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        const Color c = BrightMarkColor(std::uint8_t(colour));
        p.fillRect(QRect(1, 2, 22, 12), QColor(c.r, c.g, c.b));
        p.setPen(QColor(Qt::black));
        p.drawRect(QRect(1, 2, 21, 11));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}
} // namespace

MainMenu::MainMenu(QMenuBar *bar, QObject *parent)
    : QObject(parent)
{
    m_file = bar->addMenu(QString());
    add(m_file, MenuItem::New);
    add(m_file, MenuItem::Open);
    add(m_file, MenuItem::LoadFromClipboard);
    add(m_file, MenuItem::Save);
    add(m_file, MenuItem::SaveAs);
    m_file->addSeparator();
    add(m_file, MenuItem::Compare);
    add(m_file, MenuItem::Print);
    add(m_file, MenuItem::InfoStatistic);
    m_file->addSeparator();
    add(m_file, MenuItem::MarksOpen);
    add(m_file, MenuItem::MarksSaveAs);
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
    add(m_edit, MenuItem::DeleteBytes);
    add(m_edit, MenuItem::InsertByte);
    add(m_edit, MenuItem::InsertBytes);
    add(m_edit, MenuItem::AppendByte);
    add(m_edit, MenuItem::AppendBytes);
    m_edit->addSeparator();
    add(m_edit, MenuItem::Find);
    add(m_edit, MenuItem::Replace);
    add(m_edit, MenuItem::FindAndMark);
    add(m_edit, MenuItem::FindNext);
    add(m_edit, MenuItem::FindPrevious);
    m_edit->addSeparator();
    add(m_edit, MenuItem::Goto);
    add(m_edit, MenuItem::NextIdenticalByte);
    add(m_edit, MenuItem::PreviousIdenticalByte);

    m_mark = bar->addMenu(QString());
    for (int colour : {1, 2, 3, 4, 5, 6, 0}) {
        QAction *a = m_mark->addAction(Swatch(colour), QString());
        connect(a, &QAction::triggered, this, [this, colour] { emit markTriggered(colour); });
        m_markActions[std::size_t(colour)] = a;
    }
    add(m_mark, MenuItem::UnmarkAll);
    m_mark->addSeparator();
    add(m_mark, MenuItem::MarkNext);
    add(m_mark, MenuItem::MarkPrevious);
    m_nextMenu = m_mark->addMenu(QString());
    m_previousMenu = m_mark->addMenu(QString());
    for (int colour = 1; colour <= 6; ++colour) {
        for (const bool next : {true, false}) {
            QAction *a = (next ? m_nextMenu : m_previousMenu)->addAction(Swatch(colour), QString());
            connect(a, &QAction::triggered, this,
                    [this, next, colour] { emit gotoColourTriggered(next, colour); });
            (next ? m_gotoNext : m_gotoPrevious)[std::size_t(colour - 1)] = a;
        }
    }
    add(m_mark, MenuItem::MarkNextIdentical);
    add(m_mark, MenuItem::MarkPreviousIdentical);

    // The pop-up shares the colour items; its own go-to items carry longer captions.
    m_popup = new QMenu;
    for (int colour : {1, 2, 3, 4, 5, 6, 0})
        m_popup->addAction(m_markActions[std::size_t(colour)]);
    m_popup->addSeparator();
    add(m_popup, MenuItem::PopupMarkNext);
    add(m_popup, MenuItem::PopupMarkPrevious);
    add(m_popup, MenuItem::PopupMarkNextIdentical);
    add(m_popup, MenuItem::PopupMarkPreviousIdentical);
    m_popup->addSeparator();
    add(m_popup, MenuItem::PopupNextIdenticalByte);
    add(m_popup, MenuItem::PopupPreviousIdenticalByte);

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

MainMenu::~MainMenu()
{
    delete m_popup;
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
    case MenuItem::Mark: return m_mark;
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
    m_mark->setTitle(text(MenuItem::Mark));
    m_nextMenu->setTitle(text(MenuItem::MarkNextSubmenu));
    m_previousMenu->setTitle(text(MenuItem::MarkPreviousSubmenu));
    for (int colour = 0; colour <= 6; ++colour) {
        const KeyStroke key{Key::Letter, Ctrl, kMarkLetters[colour]};
        m_markActions[std::size_t(colour)]->setText(
            QString::fromUtf8(ColourName(colour, language)) + QLatin1Char('\t')
            + QString::fromUtf8(ShortcutText(key, language)));
        if (colour > 0) {
            const QString name = QString::fromUtf8(ColourName(colour, language));
            m_gotoNext[std::size_t(colour - 1)]->setText(name);
            m_gotoPrevious[std::size_t(colour - 1)]->setText(name);
        }
    }
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
         {MenuItem::Save, MenuItem::SaveAs, MenuItem::DeleteByte, MenuItem::InsertByte,
          MenuItem::DeleteBytes, MenuItem::InsertBytes, MenuItem::Goto, MenuItem::NextIdenticalByte,
          MenuItem::PreviousIdenticalByte, MenuItem::Find, MenuItem::Replace, MenuItem::Compare,
          MenuItem::InfoStatistic, MenuItem::Print,
          MenuItem::FindAndMark, MenuItem::MarksOpen,
          MenuItem::MarksSaveAs, MenuItem::UnmarkAll, MenuItem::MarkNext, MenuItem::MarkPrevious,
          MenuItem::MarkNextIdentical, MenuItem::MarkPreviousIdentical})
        action(id)->setEnabled(s.hasBuffer);
    for (QAction *a : m_markActions)
        a->setEnabled(s.hasBuffer);
    action(MenuItem::FindNext)->setEnabled(s.canFindAgain);
    action(MenuItem::LoadFromClipboard)->setEnabled(s.canOpenClipboard);
    action(MenuItem::FindPrevious)->setEnabled(s.canFindAgain);
    m_nextMenu->setEnabled(s.hasBuffer);
    m_previousMenu->setEnabled(s.hasBuffer);
    m_popup->setEnabled(s.hasBuffer);
}

} // namespace vtm
