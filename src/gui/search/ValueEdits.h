#pragma once

#include "document/Language.h"
#include "app/EditorState.h"
#include "gui/view/DumpFont.h"
#include "search/BytesData.h"
#include "search/IntData.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

class QDialog;
class QFrame;
class QHBoxLayout;
class QPushButton;
class QToolButton;

namespace vtm {

class Canvas;

// What the integer and byte-string views share: the dump font and its metrics, the blinking
// cursor, the Up/Down links and the accessible value. Return, Escape and Tab are left to
// the dialog (default button, cancel button, focus chain).
class TValueEdit : public QWidget
{
    Q_OBJECT
public:
    static constexpr int BlinkInterval = 500;

    explicit TValueEdit(QWidget *parent);

    void setArrowControls(QWidget *up, QWidget *down);
    QWidget *ArrowUpControl() const { return m_arrowUp; }
    QWidget *ArrowDownControl() const { return m_arrowDown; }

    const Metrics &metrics() const { return m_metrics; }
    bool CursorVisible() const { return m_cursorVisible; }
    bool blinking() const { return m_cursorTimer.isActive(); }

    // The value as a screen reader reads it (the accessible Value text).
    virtual QString valueText() const = 0;

    // Shows the cursor and restarts its phase while focused, then repaints.
    void DoUpdate();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    virtual void paintValue(Canvas &canvas) = 0;
    virtual EntryResult keyDown(EntryKey key) = 0;
    virtual EntryResult keyPress(char32_t ch) = 0;
    virtual void mouseDown(int x) = 0;
    virtual void focusChanged(bool gained) = 0;

    EntryMetrics entryMetrics() const;
    void beepIf(const EntryResult &result);

private:
    void CursorTimerClick();

    DumpFont m_font;
    Metrics m_metrics;
    QTimer m_cursorTimer;
    bool m_cursorVisible = false;
    QPointer<QWidget> m_arrowUp;
    QPointer<QWidget> m_arrowDown;
    QString m_announced;
};

// Hexadecimal view of a TIntData; the view being typed in keeps its text as typed.
class THexIntEdit : public TValueEdit
{
    Q_OBJECT
public:
    explicit THexIntEdit(TIntData &intData, QWidget *parent = nullptr);

    TIntData &IntData() const { return m_model.IntData(); }
    const IntEditModel &model() const { return m_model; }
    // The observer for a TIntData slot.
    void DataChanged(const void *sender);
    int SetCursorPos(int n);

    QString valueText() const override;
    QSize sizeHint() const override;

protected:
    THexIntEdit(TIntData &intData, IntBase base, QWidget *parent);

    void paintValue(Canvas &canvas) override;
    EntryResult keyDown(EntryKey key) override;
    EntryResult keyPress(char32_t ch) override;
    void mouseDown(int x) override;
    void focusChanged(bool gained) override;

private:
    IntEditModel m_model;
};

class TDecIntEdit : public THexIntEdit
{
    Q_OBJECT
public:
    explicit TDecIntEdit(TIntData &intData, QWidget *parent = nullptr);
};

// Wires a hex and a decimal view to one value: each rebuilds its text when the other
// changes it, and Up/Down move between them. Observer3 stays free for the dialog.
void ConnectIntGroup(TIntData &intData, THexIntEdit &hex, TDecIntEdit &dec);

// Hexadecimal view of a TBytesData, one cell of two digits per byte.
class THexDataEdit : public TValueEdit
{
    Q_OBJECT
public:
    explicit THexDataEdit(TBytesData &bytesData, QWidget *parent = nullptr);

    TBytesData &BytesData() const { return m_data; }
    DataView view() const { return m_view; }
    std::int64_t FirstByte() const { return m_data.FirstByte(m_view); }
    int CellWidth() const;
    // The views of the same string, so an unfocused view can echo the cursor.
    void setGroup(const std::array<THexDataEdit *, 3> &group) { m_group = group; }
    bool OneIsFocused() const;

    QString valueText() const override;
    QSize sizeHint() const override;

protected:
    THexDataEdit(TBytesData &bytesData, DataView view, QWidget *parent);

    void resizeEvent(QResizeEvent *event) override;
    void paintValue(Canvas &canvas) override;
    EntryResult keyDown(EntryKey key) override;
    EntryResult keyPress(char32_t ch) override;
    void mouseDown(int x) override;
    void focusChanged(bool gained) override;

private:
    TBytesData &m_data;
    DataView m_view;
    std::array<THexDataEdit *, 3> m_group{};
};

class TDecDataEdit : public THexDataEdit
{
    Q_OBJECT
public:
    explicit TDecDataEdit(TBytesData &bytesData, QWidget *parent = nullptr);
};

class TCharDataEdit : public THexDataEdit
{
    Q_OBJECT
public:
    explicit TCharDataEdit(TBytesData &bytesData, QWidget *parent = nullptr);

protected:
    void paintValue(Canvas &canvas) override;
};

// Wires the three views of one byte string: every change repaints all of them, and Up/Down
// step hex <-> decimal <-> character. OnChange stays free for the dialog.
void ConnectBytesGroup(TBytesData &bytesData, THexDataEdit &hex, TDecDataEdit &dec,
                       TCharDataEdit &chr);

// The single-line bordered panel that holds a view.
QFrame *ValuePanel(TValueEdit *view, QWidget *parent);
// The small button beside a panel that empties its group; it never takes the focus, the
// dialog hands that to the view beside it.
// The dialog's OK (default) and Cancel buttons, centred in a row.
QHBoxLayout *OkCancelRow(QDialog *dialog, QPushButton **ok, QPushButton **cancel, int gap);
// The clear buttons' tooltip and accessible name in the language.
void SetClearButtonTexts(QWidget *form, Language language);
QToolButton *ClearButton(QWidget *parent);

} // namespace vtm
