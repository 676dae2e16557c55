#include "gui/view/TPlixMainPanel.h"

#include "app/EditorState.h"
#include "gui/view/QtCanvas.h"
#include "view/DumpPainter.h"

#include <QPainter>

namespace vtm {

TPlixMainPanel::TPlixMainPanel(const EditorState &state, const DumpFont &font, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_font(font)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TPlixMainPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const Color face = colors::ButtonFace;
    const Color shadow = colors::ButtonShadow;
    painter.fillRect(rect(), QColor(face.r, face.g, face.b));
    painter.setPen(QColor(shadow.r, shadow.g, shadow.b));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.setClipRect(rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth));
    painter.translate(FrameWidth, FrameWidth);
    QtCanvas canvas(painter, m_font);
    PaintPanel(canvas, m_state.Scene());
}

} // namespace vtm
