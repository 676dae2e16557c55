#include "gui/search/ValueEdits.h"
#include "gui/platform/Platform.h"
#include "gui/view/QtCanvas.h"
#include "view/DumpPainter.h"
#include "view/Layout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <string>
#include <vector>

namespace vtm {

namespace {

constexpr Color Grey{128, 128, 128};
// Wide enough for the classic panel of about 34 characters.
constexpr int DataViewChars = 34;

// Screen readers get the value as the Value text of an editable text field; the name
// comes from the label that is the view's buddy.
class ValueEditAccessible : public QAccessibleWidget
{
public:
    explicit ValueEditAccessible(TValueEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const TValueEdit *>(object())->valueText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *valueEditAccessibleFactory(const QString &, QObject *object)
{
    if (auto *edit = qobject_cast<TValueEdit *>(object))
        return new ValueEditAccessible(edit);
    return nullptr;
}

EntryKey entryKey(int key)
{
    switch (key) {
    case Qt::Key_End: return EntryKey::End;
    case Qt::Key_Home: return EntryKey::Home;
    case Qt::Key_Left: return EntryKey::Left;
    case Qt::Key_Right: return EntryKey::Right;
    case Qt::Key_Up: return EntryKey::Up;
    case Qt::Key_Down: return EntryKey::Down;
    case Qt::Key_Insert: return EntryKey::Insert;
    case Qt::Key_Delete: return EntryKey::Delete;
    default: return EntryKey::Other;
    }
}

} // namespace

TValueEdit::TValueEdit(QWidget *parent)
    : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(valueEditAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    m_metrics = MetricsForFont(m_font.charWidth(), m_font.charHeight());

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    m_cursorTimer.setInterval(BlinkInterval);
    connect(&m_cursorTimer, &QTimer::timeout, this, &TValueEdit::CursorTimerClick);
}

void TValueEdit::setArrowControls(QWidget *up, QWidget *down)
{
    m_arrowUp = up;
    m_arrowDown = down;
}

EntryMetrics TValueEdit::entryMetrics() const
{
    return {m_metrics.CharWidth, m_metrics.LeftGap, m_metrics.RightGap};
}

void TValueEdit::beepIf(const EntryResult &result)
{
    if (result.beep)
        Beep();
}

void TValueEdit::DoUpdate()
{
    // Each key restarts the phase with the cursor shown, so it never vanishes while typing.
    m_cursorVisible = hasFocus();
    m_cursorTimer.stop();
    if (hasFocus())
        m_cursorTimer.start();
    update();
    const QString value = valueText();
    if (value != m_announced) {
        m_announced = value;
        QAccessibleValueChangeEvent event(this, value);
        QAccessible::updateAccessibility(&event);
    }
}

void TValueEdit::CursorTimerClick()
{
    m_cursorVisible = !m_cursorVisible;
    m_cursorTimer.stop();
    if (hasFocus())
        m_cursorTimer.start();
    update();
}

void TValueEdit::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QtCanvas canvas(painter, m_font);
    paintValue(canvas);
}

void TValueEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool dialogKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape
                           || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (dialogKey) {
        event->ignore();
        return;
    }
    const EntryKey entry = entryKey(key);
    if (entry == EntryKey::Up || entry == EntryKey::Down) {
        if (QWidget *target = entry == EntryKey::Up ? m_arrowUp : m_arrowDown)
            target->setFocus(Qt::OtherFocusReason);
    } else if (entry != EntryKey::Other) {
        beepIf(keyDown(entry));
    } else if (key == Qt::Key_Backspace) {
        beepIf(keyPress(BackspaceChar));
    } else if (!event->text().isEmpty()) {
        for (char32_t ch : event->text().toUcs4())
            beepIf(keyPress(ch));
    } else {
        event->ignore();
        return;
    }
    DoUpdate();
}

void TValueEdit::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    mouseDown(int(event->position().x()));
    DoUpdate();
}

void TValueEdit::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    focusChanged(true);
}

void TValueEdit::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    focusChanged(false);
}

// Integer views.

THexIntEdit::THexIntEdit(TIntData &intData, QWidget *parent)
    : THexIntEdit(intData, IntBase::Hex, parent)
{}

THexIntEdit::THexIntEdit(TIntData &intData, IntBase base, QWidget *parent)
    : TValueEdit(parent)
    , m_model(intData, base)
{
    m_model.CalcDataStr();
    setFixedSize(sizeHint());
}

QSize THexIntEdit::sizeHint() const
{
    const Metrics &m = metrics();
    return {m.LeftGap + m.RightGap + IntFieldChars() * m.CharWidth - 1, m.RowHeight - 1};
}

void THexIntEdit::DataChanged(const void *sender)
{
    if (m_model.DataChanged(sender))
        DoUpdate();
}

int THexIntEdit::SetCursorPos(int n)
{
    const int max = m_model.SetCursorPos(n);
    DoUpdate();
    return max;
}

QString THexIntEdit::valueText() const
{
    return QString::fromStdString(m_model.Text());
}

void THexIntEdit::paintValue(Canvas &canvas)
{
    std::string text = m_model.Text();
    // One cell past the longest text, for the cursor behind the last digit.
    const auto cells = std::size_t(IntFieldChars() + 1);
    if (text.size() < cells)
        text.resize(cells, ' ');
    std::vector<Color> fonts(text.size() + 2, colors::Black);
    std::vector<Color> backs(text.size() + 2, colors::White);
    if (hasFocus() && CursorVisible()) {
        const auto at = std::size_t(m_model.CursorPos() + 1);
        fonts[at] = colors::White;
        backs[at] = colors::Black;
    }
    PaintCell(canvas, metrics(), 0, 0, text, fonts.data(), backs.data(), colors::White);
}

EntryResult THexIntEdit::keyDown(EntryKey key)
{
    return m_model.KeyDown(key);
}

EntryResult THexIntEdit::keyPress(char32_t ch)
{
    return m_model.KeyPress(ch);
}

void THexIntEdit::mouseDown(int x)
{
    m_model.MouseDown(x, entryMetrics());
}

void THexIntEdit::focusChanged(bool)
{
    DoUpdate();
}

TDecIntEdit::TDecIntEdit(TIntData &intData, QWidget *parent)
    : THexIntEdit(intData, IntBase::Dec, parent)
{}

void ConnectIntGroup(TIntData &intData, THexIntEdit &hex, TDecIntEdit &dec)
{
    intData.Observer1 = [&dec](const void *sender) { dec.DataChanged(sender); };
    intData.Observer2 = [&hex](const void *sender) { hex.DataChanged(sender); };
    hex.setArrowControls(nullptr, &dec);
    dec.setArrowControls(&hex, nullptr);
}

// Byte-string views.

THexDataEdit::THexDataEdit(TBytesData &bytesData, QWidget *parent)
    : THexDataEdit(bytesData, DataView::Hex, parent)
{}

THexDataEdit::THexDataEdit(TBytesData &bytesData, DataView view, QWidget *parent)
    : TValueEdit(parent)
    , m_data(bytesData)
    , m_view(view)
{
    setFixedHeight(metrics().RowHeight - 1);
    setMinimumWidth(sizeHint().width());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize THexDataEdit::sizeHint() const
{
    return {DataViewChars * metrics().CharWidth, metrics().RowHeight - 1};
}

int THexDataEdit::CellWidth() const
{
    return vtm::CellWidth(m_view, entryMetrics());
}

bool THexDataEdit::OneIsFocused() const
{
    return std::any_of(m_group.begin(), m_group.end(),
                       [](const THexDataEdit *v) { return v && v->hasFocus(); });
}

QString THexDataEdit::valueText() const
{
    return QString::fromStdString(m_data.ViewText(m_view));
}

void THexDataEdit::resizeEvent(QResizeEvent *event)
{
    TValueEdit::resizeEvent(event);
    m_data.SetViewWidth(m_view, width(), entryMetrics());
}

void THexDataEdit::paintValue(Canvas &canvas)
{
    const Metrics &m = metrics();
    const int w = CellWidth();
    const int W = width();
    const std::int64_t count = m_data.ByteCount();
    const std::int64_t cursorByte = m_data.CursorByte();
    const std::int64_t first = FirstByte();
    const bool focused = hasFocus();
    const bool echo = !focused && OneIsFocused();
    const bool showCursor = focused && CursorVisible();
    const int n = vtm::CellCharCount(m_view);
    std::vector<Color> fonts(std::size_t(n + 2));
    std::vector<Color> backs(std::size_t(n + 2));
    // Only the bytes in sight are formatted.
    const std::int64_t last = std::min(count - 1, first + W / w);
    for (std::int64_t i = std::max<std::int64_t>(0, first - 1); i <= last; ++i) {
        const int x = int(w * (i - first));
        const std::string text = CellText(m_view, m_data.Bytes()[std::size_t(i)]);
        const bool grey = echo && i == cursorByte;
        std::fill(fonts.begin(), fonts.end(), grey ? colors::White : colors::Black);
        std::fill(backs.begin(), backs.end(), grey ? Grey : colors::White);
        if (showCursor && i == cursorByte) {
            const auto at = std::size_t(m_data.CursorPosInByte() + 1);
            fonts[at] = colors::White;
            backs[at] = colors::Black;
        }
        PaintCell(canvas, m, x, 0, text, fonts.data(), backs.data(), colors::ButtonFace);
    }
    int end = int(w * (count - first));
    if (showCursor && cursorByte == count) {
        // The append position: one inverted blank where the next byte will go.
        std::fill(fonts.begin(), fonts.end(), colors::Black);
        std::fill(backs.begin(), backs.end(), colors::White);
        fonts[1] = colors::White;
        backs[1] = colors::Black;
        PaintCell(canvas, m, end, 0, std::string(std::size_t(n), ' '), fonts.data(), backs.data(),
                  colors::White);
        end += w;
    }
    if (end < W)
        canvas.fillRect(end, 0, W - end, height(), colors::White);
}

EntryResult THexDataEdit::keyDown(EntryKey key)
{
    return m_data.KeyDown(m_view, key);
}

EntryResult THexDataEdit::keyPress(char32_t ch)
{
    return m_data.KeyPress(m_view, ch);
}

void THexDataEdit::mouseDown(int x)
{
    m_data.MouseDown(m_view, x, FirstByte(), entryMetrics());
}

void THexDataEdit::focusChanged(bool gained)
{
    if (gained)
        m_data.FocusView();
    else
        m_data.DoUpdateAll();
}

TDecDataEdit::TDecDataEdit(TBytesData &bytesData, QWidget *parent)
    : THexDataEdit(bytesData, DataView::Dec, parent)
{}

TCharDataEdit::TCharDataEdit(TBytesData &bytesData, QWidget *parent)
    : THexDataEdit(bytesData, DataView::Char, parent)
{}

void TCharDataEdit::paintValue(Canvas &canvas)
{
    const int cw = metrics().CharWidth;
    const int visible = std::max(1, width() / cw);
    const std::int64_t count = BytesData().ByteCount();
    const std::int64_t cursorByte = BytesData().CursorByte();
    const std::int64_t first = FirstByte();

    std::string text;
    for (std::int64_t i = first - 1; i <= first + visible + 2; ++i)
        text += i < 0 || i >= count ? std::string(1, ' ')
                                    : CellText(DataView::Char, BytesData().Bytes()[std::size_t(i)]);
    std::vector<Color> fonts(text.size() + 2, colors::Black);
    std::vector<Color> backs(text.size() + 2, colors::White);
    // Position j of the run stands for byte FirstByte + j - 2.
    const auto at = std::size_t(cursorByte - first + 2);
    const bool focused = hasFocus();
    if (focused && CursorVisible()) {
        fonts[at] = colors::White;
        backs[at] = colors::Black;
    } else if (!focused && OneIsFocused() && cursorByte < count) {
        fonts[at] = colors::White;
        backs[at] = Grey;
    }
    PaintCell(canvas, metrics(), -cw, 0, text, fonts.data(), backs.data(), colors::White);
}

void ConnectBytesGroup(TBytesData &bytesData, THexDataEdit &hex, TDecDataEdit &dec,
                       TCharDataEdit &chr)
{
    const std::array<THexDataEdit *, 3> group{&hex, &dec, &chr};
    for (THexDataEdit *view : group)
        view->setGroup(group);
    bytesData.UpdateViews = [group] {
        for (THexDataEdit *view : group)
            view->DoUpdate();
    };
    hex.setArrowControls(nullptr, &dec);
    dec.setArrowControls(&hex, &chr);
    chr.setArrowControls(&dec, nullptr);
}

QFrame *ValuePanel(TValueEdit *view, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view->setParent(panel);
    layout->addWidget(view);
    panel->setSizePolicy(view->sizePolicy());
    return panel;
}

QToolButton *ClearButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(QString(QChar(0x00D7)));
    button->setFixedSize(28, 22);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setObjectName(QStringLiteral("ClearButton"));
    return button;
}

QHBoxLayout *OkCancelRow(QDialog *dialog, QPushButton **ok, QPushButton **cancel, int gap)
{
    *ok = new QPushButton(dialog);
    (*ok)->setDefault(true);
    *cancel = new QPushButton(dialog);
    (*cancel)->setAutoDefault(false);
    QObject::connect(*ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(*cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(*ok);
    row->addSpacing(gap);
    row->addWidget(*cancel);
    row->addStretch();
    return row;
}

void SetClearButtonTexts(QWidget *form, Language language)
{
    const QString text = QString::fromStdString(ClearFieldText(language));
    const QList<QToolButton *> buttons =
        form->findChildren<QToolButton *>(QStringLiteral("ClearButton"));
    for (QToolButton *b : buttons) {
        b->setToolTip(text);
        b->setAccessibleName(text); // its face is a symbol; this is what it does
    }
}

} // namespace vtm
