#pragma once

#include <QFont>
#include <QRawFont>

#include <array>

namespace vtm {

// The glyph of each Windows-1252 byte in a font.
std::array<quint32, 256> Cp1252Glyphs(const QRawFont &font);

// The dump font ("Courier New" 10, Liberation Mono where that is the metric twin),
// with a glyph for each Windows-1252 byte looked up once.
class DumpFont
{
public:
    DumpFont();

    const QFont &font() const { return m_font; }
    const QRawFont &rawFont() const { return m_raw; }
    int charWidth() const { return m_charWidth; }
    int charHeight() const { return m_charHeight; }
    int ascent() const { return m_ascent; }
    quint32 glyph(unsigned char byte) const { return m_glyphs[byte]; }

private:
    QFont m_font;
    QRawFont m_raw;
    std::array<quint32, 256> m_glyphs{};
    int m_charWidth = 0;
    int m_charHeight = 0;
    int m_ascent = 0;
};

} // namespace vtm
