#pragma once

#include "print/PrintTarget.h"

#include <QFont>
#include <QPainter>
#include <QRawFont>

#include <array>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;

namespace vtm {

// Prints through a QPainter. Font sizes are pixel sizes of the device, so the fitted size
// is as fine as the printer's resolution. Hatches are drawn as lines scaled to the
// device's resolution: the built-in hatch brushes are a few device pixels apart and vanish
// on a 1200 dpi page.
class QtPrintTarget : public PrintTarget
{
public:
    // A printer or PDF writer; new pages are its own.
    explicit QtPrintTarget(QPagedPaintDevice &device);
    // Any device, with the call that turns to a fresh page (an image has one page).
    QtPrintTarget(QPaintDevice &device, std::function<bool()> nextPage);
    ~QtPrintTarget() override;

    bool beginJob(const std::string &title) override;
    bool newPage() override;
    void endJob() override;

    std::int64_t pageWidth() const override;
    std::int64_t pageHeight() const override;

    PrintFontMetrics measureFont(int size) override;
    void setFont(int size) override;

    std::int64_t textWidth(const std::string &utf8) override;
    void text(std::int64_t x, std::int64_t y, const std::string &utf8) override;
    void cells(std::int64_t x, std::int64_t y, std::string_view cp1252) override;
    void box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
             const MarkBoxStyle &style) override;

    // Distance and width of hatch lines in device pixels.
    int hatchSpacing() const;
    int lineWidth() const;

private:
    QFont fontOfSize(int size) const;
    void hatch(const QRect &r, Hatch kind);

    QPaintDevice &m_device;
    std::function<bool()> m_nextPage;
    QPainter m_painter;
    QFont m_font;
    QRawFont m_raw;
    std::array<quint32, 256> m_glyphs{};
    int m_charWidth = 0;
    int m_ascent = 0;
};

} // namespace vtm
