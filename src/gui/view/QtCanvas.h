#pragma once

#include "gui/view/DumpFont.h"
#include "view/Canvas.h"

#include <QList>
#include <QPointF>

class QPainter;

namespace vtm {

// Draws the core painters' output with a QPainter. Text goes out as one glyph run per
// call, each glyph on its own fixed-pitch position, so columns never drift.
class QtCanvas : public Canvas
{
public:
    QtCanvas(QPainter &painter, const DumpFont &font)
        : m_painter(painter)
        , m_font(font)
    {}

    void fillRect(int x, int y, int w, int h, Color color) override;
    void drawText(int x, int y, std::string_view text, Color fg, Color bg) override;

private:
    QPainter &m_painter;
    const DumpFont &m_font;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};

} // namespace vtm
