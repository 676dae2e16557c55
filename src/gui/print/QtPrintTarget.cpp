#include "gui/print/QtPrintTarget.h"

#include "gui/view/DumpFont.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace vtm {

namespace {
QColor toQColor(Color c)
{
    return QColor(c.r, c.g, c.b);
}

// Device coordinates of a page stay far inside int.
int px(std::int64_t v)
{
    return int(std::clamp<std::int64_t>(v, -(1 << 30), 1 << 30));
}

// The first multiple of step at or after v, so hatches line up across neighbouring boxes.
int gridAfter(int v, int step)
{
    const int r = ((v % step) + step) % step;
    return r == 0 ? v : v + step - r;
}
} // namespace

QtPrintTarget::QtPrintTarget(QPagedPaintDevice &device)
    : QtPrintTarget(device, [&device] { return device.newPage(); })
{}

QtPrintTarget::QtPrintTarget(QPaintDevice &device, std::function<bool()> nextPage)
    : m_device(device)
    , m_nextPage(std::move(nextPage))
{}

QtPrintTarget::~QtPrintTarget()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool QtPrintTarget::beginJob(const std::string &title)
{
    const QString name = QString::fromUtf8(title);
    if (auto *printer = dynamic_cast<QPrinter *>(&m_device))
        printer->setDocName(name);
    else if (auto *writer = dynamic_cast<QPdfWriter *>(&m_device))
        writer->setTitle(name);
    return m_painter.begin(&m_device);
}

bool QtPrintTarget::newPage()
{
    return m_nextPage && m_nextPage();
}

void QtPrintTarget::endJob()
{
    if (m_painter.isActive())
        m_painter.end();
}

std::int64_t QtPrintTarget::pageWidth() const
{
    return m_device.width();
}

std::int64_t QtPrintTarget::pageHeight() const
{
    return m_device.height();
}

QFont QtPrintTarget::fontOfSize(int size) const
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(std::max(1, size));
    return f;
}

PrintFontMetrics QtPrintTarget::measureFont(int size)
{
    const QFontMetrics fm(fontOfSize(size), &m_device);
    return {fm.horizontalAdvance(QLatin1Char('0')), fm.height(), fm.height()};
}

void QtPrintTarget::setFont(int size)
{
    m_font = fontOfSize(size);
    const QFontMetrics fm(m_font, &m_device);
    m_charWidth = fm.horizontalAdvance(QLatin1Char('0'));
    m_ascent = fm.ascent();
    m_raw = QRawFont::fromFont(m_font);
    m_glyphs = Cp1252Glyphs(m_raw);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

std::int64_t QtPrintTarget::textWidth(const std::string &utf8)
{
    return QFontMetrics(m_font, &m_device).horizontalAdvance(QString::fromUtf8(utf8));
}

void QtPrintTarget::text(std::int64_t x, std::int64_t y, const std::string &utf8)
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(m_font);
    m_painter.drawText(QPoint(px(x), px(y) + m_ascent), QString::fromUtf8(utf8));
}

void QtPrintTarget::cells(std::int64_t x, std::int64_t y, std::string_view cp1252)
{
    // Placed glyph by glyph: a rounded advance would let text drift off its boxes.
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(qsizetype(cp1252.size()));
    positions.reserve(qsizetype(cp1252.size()));
    for (std::size_t i = 0; i < cp1252.size(); ++i) {
        if (cp1252[i] == ' ')
            continue;
        glyphs.append(m_glyphs[std::uint8_t(cp1252[i])]);
        positions.append(QPointF(double(i) * m_charWidth, m_ascent));
    }
    if (glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    m_painter.setPen(Qt::black);
    m_painter.drawGlyphRun(QPointF(px(x), px(y)), run);
}

int QtPrintTarget::hatchSpacing() const
{
    return std::max(4, m_device.logicalDpiY() * 8 / 300);
}

int QtPrintTarget::lineWidth() const
{
    return std::max(1, m_device.logicalDpiY() / 300);
}

void QtPrintTarget::hatch(const QRect &r, Hatch kind)
{
    const int s = hatchSpacing();
    const int left = r.left(), top = r.top();
    const int right = left + r.width(), bottom = top + r.height();
    m_painter.save();
    m_painter.setClipRect(r);
    m_painter.setPen(QPen(Qt::black, lineWidth(), Qt::SolidLine, Qt::FlatCap));
    const bool horizontal = kind == Hatch::Horizontal || kind == Hatch::Cross;
    const bool vertical = kind == Hatch::Vertical || kind == Hatch::Cross;
    const bool falling = kind == Hatch::FallingDiagonal || kind == Hatch::DiagonalCross;
    const bool rising = kind == Hatch::RisingDiagonal || kind == Hatch::DiagonalCross;
    if (horizontal)
        for (int y = gridAfter(top, s); y < bottom; y += s)
            m_painter.drawLine(left, y, right, y);
    if (vertical)
        for (int x = gridAfter(left, s); x < right; x += s)
            m_painter.drawLine(x, top, x, bottom);
    // Falling lines keep x - y constant, rising ones x + y.
    if (falling)
        for (int c = gridAfter(left - bottom, s); c < right - top; c += s)
            m_painter.drawLine(c + top, top, c + bottom, bottom);
    if (rising)
        for (int c = gridAfter(left + top, s); c < right + bottom; c += s)
            m_painter.drawLine(c - top, top, c - bottom, bottom);
    m_painter.restore();
}

void QtPrintTarget::box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                        const MarkBoxStyle &style)
{
    const QRect r(px(x1), px(y1), px(x2 - x1), px(y2 - y1));
    if (r.isEmpty())
        return;
    m_painter.fillRect(r, toQColor(style.fill));
    if (style.hatch != Hatch::None)
        hatch(r, style.hatch);
    if (style.outline) {
        const int lw = lineWidth();
        m_painter.save();
        m_painter.setPen(QPen(Qt::black, lw, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        m_painter.setBrush(Qt::NoBrush);
        // Inside the box, so neighbouring frames do not overlap.
        m_painter.drawRect(QRectF(r).adjusted(lw / 2.0, lw / 2.0, -lw / 2.0, -lw / 2.0));
        m_painter.restore();
    }
}

} // namespace vtm
