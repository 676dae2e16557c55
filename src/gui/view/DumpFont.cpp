#include "gui/view/DumpFont.h"

#include "document/Format.h"

#include <QFontMetrics>
#include <QString>

namespace vtm {

std::array<quint32, 256> Cp1252Glyphs(const QRawFont &font)
{
    QString all;
    for (int b = 0; b < 256; ++b)
        all += QChar(char16_t(Cp1252ToUnicode(std::uint8_t(b))));
    const QList<quint32> indexes = font.glyphIndexesForString(all);
    std::array<quint32, 256> glyphs{};
    for (int b = 0; b < 256 && b < indexes.size(); ++b)
        glyphs[std::size_t(b)] = indexes[b];
    return glyphs;
}

DumpFont::DumpFont()
    : m_font(QStringLiteral("Courier New"), 10)
{
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    const QFontMetrics fm(m_font);
    m_charWidth = fm.horizontalAdvance(QLatin1Char('0'));
    m_charHeight = fm.height();
    m_ascent = fm.ascent();
    m_raw = QRawFont::fromFont(m_font);
    m_glyphs = Cp1252Glyphs(m_raw);
}

} // namespace vtm
