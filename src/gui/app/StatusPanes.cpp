#include "gui/app/StatusPanes.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

namespace vtm {

std::array<QLabel *, 3> addStatusPanes(QStatusBar *bar)
{
    static constexpr int widths[3] = {140, 160, 140};
    // The pane's text is what a screen reader reads; the role goes to the description.
    static const char *const roles[3] = {"Position", "Value", "Distance"};
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    // The classic narrow status-bar face (Arial's metric twin where Arial is missing).
    bar->setFont(QFont(QStringLiteral("Arial"), 8));
    std::array<QLabel *, 3> panes{};
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(bar);
        label->setFixedWidth(widths[i]);
        label->setAccessibleDescription(QString::fromLatin1(roles[i]));
        bar->addWidget(label);
        panes[std::size_t(i)] = label;
    }
    return panes;
}

void showInPane(QLabel *pane, const QFont &barFont, const QString &text)
{
    // The panes have fixed widths; the offsets of very large files get a smaller font
    // rather than being cut off.
    QFont font = barFont;
    while (font.pointSizeF() > 6
           && QFontMetrics(font).horizontalAdvance(text) > pane->minimumWidth() - 2)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    if (pane->font() != font)
        pane->setFont(font);
    pane->setText(text);
}

} // namespace vtm
