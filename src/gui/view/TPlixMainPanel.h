#pragma once

#include <QWidget>

namespace vtm {

struct EditorState;
class DumpFont;

// The bordered panel around the view: paints the offset column and the header row.
class TPlixMainPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FrameWidth = 1;

    TPlixMainPanel(const EditorState &state, const DumpFont &font, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const EditorState &m_state;
    const DumpFont &m_font;
};

} // namespace vtm
