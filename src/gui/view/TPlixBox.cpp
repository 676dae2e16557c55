#include "gui/view/TPlixBox.h"

#include "app/EditorState.h"
#include "gui/view/DumpFont.h"
#include "gui/view/QtCanvas.h"
#include "view/DumpPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace vtm {

DumpClient::DumpClient(const EditorState &state, const DumpFont &font, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_font(font)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the rows cover every pixel
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void DumpClient::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    QtCanvas canvas(painter, m_font);
    const QRect r = event->rect();
    PaintRows(canvas, m_state.Scene(), r.top(), r.bottom());
}

void DumpClient::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit mousePressed(p.x(), p.y());
}

void DumpClient::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit mouseMoved(p.x(), p.y());
}

void DumpClient::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit mouseReleased(p.x(), p.y());
}

TPlixBox::TPlixBox(const EditorState &state, const DumpFont &font, QWidget *parent)
    : QWidget(parent)
    , m_client(new DumpClient(state, font, this))
    , m_vert(new QScrollBar(Qt::Vertical, this))
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::NoFocus);
    m_vert->setFocusPolicy(Qt::NoFocus);
    m_vert->setSingleStep(1);
    connect(m_vert, &QAbstractSlider::actionTriggered, this, &TPlixBox::onAction);
}

int TPlixBox::scrollBarWidth() const
{
    return m_vert->sizeHint().width();
}

void TPlixBox::setClientSize(int width, int height)
{
    m_client->setGeometry(0, 0, width, height);
    m_vert->setGeometry(width, 0, scrollBarWidth(), height);
}

void TPlixBox::onAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: emit scrollRequested(ScrollRequest::LineDown); break;
    case QAbstractSlider::SliderSingleStepSub: emit scrollRequested(ScrollRequest::LineUp); break;
    case QAbstractSlider::SliderPageStepAdd: emit scrollRequested(ScrollRequest::PageDown); break;
    case QAbstractSlider::SliderPageStepSub: emit scrollRequested(ScrollRequest::PageUp); break;
    case QAbstractSlider::SliderToMinimum: emit scrollRequested(ScrollRequest::Top); break;
    case QAbstractSlider::SliderToMaximum: emit scrollRequested(ScrollRequest::Bottom); break;
    case QAbstractSlider::SliderMove: emit scrollRequested(ScrollRequest::ThumbTrack); break;
    default: break;
    }
}

void TPlixBox::wheelEvent(QWheelEvent *event)
{
    // Three rows a notch, as desktop lists scroll.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0)
        emit wheelSteps(-3 * notches);
    event->accept();
}

} // namespace vtm
