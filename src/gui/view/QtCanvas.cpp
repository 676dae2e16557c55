#include "gui/view/QtCanvas.h"

#include <QGlyphRun>
#include <QPainter>

namespace vtm {

namespace {
QColor toQColor(Color c)
{
    return QColor(c.r, c.g, c.b);
}
} // namespace

void QtCanvas::fillRect(int x, int y, int w, int h, Color color)
{
    if (w > 0 && h > 0)
        m_painter.fillRect(x, y, w, h, toQColor(color));
}

void QtCanvas::drawText(int x, int y, std::string_view text, Color fg, Color bg)
{
    const int cw = m_font.charWidth();
    fillRect(x, y, int(text.size()) * cw, m_font.charHeight(), bg);
    m_glyphs.clear();
    m_positions.clear();
    const qreal baseline = y + m_font.ascent();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == ' ')
            continue;
        m_glyphs.append(m_font.glyph(byte));
        m_positions.append(QPointF(x + qreal(i) * cw, baseline));
    }
    if (m_glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_font.rawFont());
    run.setGlyphIndexes(m_glyphs);
    run.setPositions(m_positions);
    m_painter.setPen(toQColor(fg));
    m_painter.drawGlyphRun(QPointF(0, 0), run);
}

} // namespace vtm
