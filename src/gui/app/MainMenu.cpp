#include "gui/app/MainMenu.h"

#include "app/MenuState.h"
#include "document/Color.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

namespace vtm {

namespace {
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

// The colour an item is drawn with a swatch of, or -1.
int SwatchColour(Command c)
{
    bool next = false;
    const int goTo = GotoColourOf(c, &next);
    return goTo > 0 ? goTo : MarkColourOf(c);
}
} // namespace

MainMenu::MainMenu(QMenuBar *bar, QObject *parent)
    : QObject(parent)
{
    for (const MenuNode &top : MenuBarLayout()) {
        QMenu *menu = bar->addMenu(QString());
        m_menus[top.title] = menu;
        build(menu, top.children, false);
    }
    m_popup = new QMenu;
    build(m_popup, PopupLayout(), true);
}

MainMenu::~MainMenu()
{
    delete m_popup;
}

void MainMenu::build(QMenu *menu, const std::vector<MenuNode> &nodes, bool inPopup)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const MenuNode &node = nodes[i];
        if (node.kind == MenuNode::Kind::Separator) {
            QAction *separator = menu->addSeparator();
            // The one before the recent files shows only with them.
            if (i + 1 < nodes.size() && nodes[i + 1].kind == MenuNode::Kind::Item
                && nodes[i + 1].command == Command::OpenRecent0)
                m_recentSeparator = separator;
            continue;
        }
        if (node.kind == MenuNode::Kind::Submenu) {
            QMenu *sub = menu->addMenu(QString());
            m_menus[node.title] = sub;
            build(sub, node.children, inPopup);
            continue;
        }
        const Command c = node.command;
        // The pop-up shares the colour items of the Mark menu.
        if (inPopup && MarkColourOf(c) >= 0 && m_markActions[std::size_t(MarkColourOf(c))]) {
            menu->addAction(m_markActions[std::size_t(MarkColourOf(c))]);
            continue;
        }
        const int colour = SwatchColour(c);
        QAction *a =
            colour >= 0 ? menu->addAction(Swatch(colour), QString()) : menu->addAction(QString());
        a->setCheckable(EntryOf(c).checked != Checked::Never);
        // The state decides the check marks; a click only asks for the command.
        connect(a, &QAction::triggered, this, [this, c] { emit triggered(c); });
        m_items.push_back({c, a, inPopup});
        if (inPopup)
            continue;
        if (const auto caption = EntryOf(c).caption)
            m_byCaption[*caption] = a;
        bool next = false;
        if (const int recent = RecentIndexOf(c); recent >= 0)
            m_recent[std::size_t(recent)] = a;
        else if (const int mark = MarkColourOf(c); mark >= 0)
            m_markActions[std::size_t(mark)] = a;
        else if (const int goTo = GotoColourOf(c, &next); goTo > 0)
            (next ? m_gotoNext : m_gotoPrevious)[std::size_t(goTo - 1)] = a;
    }
}

QAction *MainMenu::action(MenuItem caption) const
{
    const auto it = m_byCaption.find(caption);
    return it == m_byCaption.end() ? nullptr : it->second;
}

QMenu *MainMenu::menu(MenuItem title) const
{
    const auto it = m_menus.find(title);
    return it == m_menus.end() ? nullptr : it->second;
}

void MainMenu::setLanguage(Language language)
{
    for (const auto &[title, menu] : m_menus)
        menu->setTitle(QString::fromUtf8(Caption(title, language)));
    for (const Placed &p : m_items) {
        const CommandEntry &e = EntryOf(p.command);
        bool next = false;
        std::string text;
        if (p.inPopup && e.popupCaption)
            text = Caption(*e.popupCaption, language);
        else if (e.caption)
            text = Caption(*e.caption, language);
        else if (const int mark = MarkColourOf(p.command); mark >= 0)
            text = ColourName(mark, language);
        else if (const int goTo = GotoColourOf(p.command, &next); goTo > 0)
            text = ColourName(goTo, language);
        else
            continue; // recent files are named by the state
        QString caption = QString::fromUtf8(text);
        if (e.keys[0].key != Key::Other) // written out, right-aligned by the menu
            caption += QLatin1Char('\t') + QString::fromUtf8(ShortcutText(e.keys[0], language));
        p.action->setText(caption);
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

    for (const Placed &p : m_items) {
        p.action->setEnabled(s.enabled[std::size_t(p.command)]);
        if (p.action->isCheckable())
            p.action->setChecked(s.checked[std::size_t(p.command)]);
    }
    menu(MenuItem::MarkNextSubmenu)->setEnabled(s.hasBuffer);
    menu(MenuItem::CopyBytesSubmenu)->setEnabled(s.enabled[std::size_t(Command::CopyRaw)]);
    menu(MenuItem::MarkPreviousSubmenu)->setEnabled(s.hasBuffer);
    m_popup->setEnabled(s.hasBuffer);
}

} // namespace vtm
