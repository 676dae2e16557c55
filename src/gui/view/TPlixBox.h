#pragma once

#include "view/TPlixScrollBar.h"

#include <QWidget>

class QScrollBar;

namespace vtm {

struct EditorState;
class DumpFont;

// The dump's client area: paints the rows through the core painters and reports the
// mouse. It has no keyboard handling; the main window takes every key.
class DumpClient : public QWidget
{
    Q_OBJECT
public:
    DumpClient(const EditorState &state, const DumpFont &font, QWidget *parent);

signals:
    void mousePressed(int x, int y);
    void mouseMoved(int x, int y);
    void mouseReleased(int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const EditorState &m_state;
    const DumpFont &m_font;
};

// The scrolling view of the dump: the client area with its vertical scroll bar at the
// right edge.
class TPlixBox : public QWidget
{
    Q_OBJECT
public:
    TPlixBox(const EditorState &state, const DumpFont &font, QWidget *parent);

    DumpClient *client() const { return m_client; }
    QScrollBar *vertScrollBar() const { return m_vert; }
    int scrollBarWidth() const;
    void setClientSize(int width, int height);

signals:
    void scrollRequested(vtm::ScrollRequest request);
    void wheelSteps(int rows);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void onAction(int action);

    DumpClient *m_client;
    QScrollBar *m_vert;
    int m_wheelRemainder = 0;
};

} // namespace vtm
