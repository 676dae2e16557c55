#pragma once

#include <QToolButton>

namespace vtm {

// A flat button that shows a glyph and offers its hint as tool tip and accessible name.
// It never takes the keyboard focus, so clicking it leaves the keys with the dump.
class TSpeedButton : public QToolButton
{
    Q_OBJECT
public:
    static constexpr int ButtonSize = 26;
    static constexpr int GlyphSize = 20;

    // glyphPath names an SVG image, usually in the resources (":/glyphs/FindSB.svg").
    explicit TSpeedButton(const QString &glyphPath, QWidget *parent = nullptr);

    void setHint(const QString &hint);
    QString hint() const { return toolTip(); }
};

} // namespace vtm
