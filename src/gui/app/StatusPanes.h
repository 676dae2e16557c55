#pragma once

#include <array>

class QFont;
class QLabel;
class QStatusBar;
class QString;

namespace vtm {

// Gives the status bar its face and its three fixed-width panes (position, value,
// distance), left to right.
std::array<QLabel *, 3> addStatusPanes(QStatusBar *bar);
// Shows text in a pane, in a smaller font than the bar's where it would not fit.
void showInPane(QLabel *pane, const QFont &barFont, const QString &text);

} // namespace vtm
