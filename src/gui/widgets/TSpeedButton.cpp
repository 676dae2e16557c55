#include "gui/widgets/TSpeedButton.h"

#include <QIcon>

// The glyphs live in a static library, where nothing else would pull their resources in.
static void initGlyphResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(glyphs);
        done = true;
    }
}

namespace vtm {

TSpeedButton::TSpeedButton(const QString &glyphPath, QWidget *parent)
    : QToolButton(parent)
{
    initGlyphResources();
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFixedSize(ButtonSize, ButtonSize);
    setIconSize(QSize(GlyphSize, GlyphSize));
    // An SVG icon is drawn afresh for every device pixel ratio, so it stays sharp when scaled.
    setIcon(QIcon(glyphPath));
}

void TSpeedButton::setHint(const QString &hint)
{
    setToolTip(hint);
    setAccessibleName(hint);
}

} // namespace vtm
