#include "gui/analysis/InspectorPanel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace vtm {

namespace {
QString Text(const std::string &s)
{
    return QString::fromUtf8(s);
}
} // namespace

InspectorPanel::InspectorPanel(const QFont &valueFont, QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    // Keys belong to the window unless a value field was clicked.
    setFocusPolicy(Qt::NoFocus);

    auto *inner = new QWidget;
    inner->setFocusPolicy(Qt::NoFocus);
    auto *column = new QVBoxLayout(inner);
    m_title = new QLabel(inner);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    column->addWidget(m_title);
    // The byte order on top, in view however far the rows are scrolled.
    auto *order = new QHBoxLayout;
    m_little = new QRadioButton(inner);
    m_big = new QRadioButton(inner);
    for (QRadioButton *b : {m_little, m_big}) {
        b->setFocusPolicy(Qt::NoFocus);
        order->addWidget(b);
    }
    order->addStretch(1);
    m_little->setChecked(true);
    connect(m_big, &QRadioButton::toggled, this, [this](bool on) { emit byteOrderChosen(on); });
    column->addLayout(order);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);
    int captionWidth = 0;
    for (int i = 0; i < InspectorRowCount; ++i) {
        const auto row = InspectorRow(i);
        auto *caption = new QLabel(inner);
        const QFontMetrics fm(caption->font());
        for (const Language l : {LanguageEnglish, LanguageGerman})
            captionWidth =
                std::max(captionWidth, fm.horizontalAdvance(Text(InspectorRowLabel(row, l))));
        grid->addWidget(caption, i, 0);
        m_captions[std::size_t(i)] = caption;
        QWidget *value = nullptr;
        if (InspectorRowEditable(row)) {
            auto *edit = new QLineEdit(inner);
            edit->setFont(valueFont);
            // Its white ground tells the fields apart from the labels; a frame would make
            // their rows taller than the others.
            edit->setFrame(false);
            edit->installEventFilter(this);
            // The caption names the field for screen readers.
            caption->setBuddy(edit);
            m_edits[std::size_t(i)] = edit;
            value = edit;
        } else {
            auto *label = new QLabel(inner);
            label->setFont(valueFont);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setFocusPolicy(Qt::NoFocus);
            m_labels[std::size_t(i)] = label;
            value = label;
        }
        grid->addWidget(value, i, 1);
    }
    // Room for the widest value, a GUID, inside a field's frame.
    const int valueWidth =
        QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("{00000000-0000-0000-0000-000000000000}"))
        + 12;
    // Every row as high as a field, so that the rows stand evenly.
    const int rowHeight = m_edits[std::size_t(InspectorRow::Int8)]->sizeHint().height();
    for (int i = 0; i < InspectorRowCount; ++i)
        grid->setRowMinimumHeight(i, rowHeight);
    grid->setColumnMinimumWidth(0, captionWidth);
    grid->setColumnMinimumWidth(1, valueWidth);
    column->addLayout(grid);

    column->addStretch(1);
    setWidget(inner);

    setLanguage(LanguageEnglish);
    m_width = inner->sizeHint().width() + verticalScrollBar()->sizeHint().width()
              + 2 * frameWidth();
    setFixedWidth(m_width);
}

void InspectorPanel::setLanguage(Language language)
{
    m_title->setText(Text(InspectorCaptionText(InspectorCaption::Title, language)));
    m_little->setText(Text(InspectorCaptionText(InspectorCaption::LittleEndian, language)));
    m_big->setText(Text(InspectorCaptionText(InspectorCaption::BigEndian, language)));
    for (int i = 0; i < InspectorRowCount; ++i)
        m_captions[std::size_t(i)]->setText(Text(InspectorRowLabel(InspectorRow(i), language)));
}

void InspectorPanel::showTexts(const InspectorTexts &texts)
{
    m_shown = texts;
    for (int i = 0; i < InspectorRowCount; ++i) {
        const QString text = Text(texts[std::size_t(i)]);
        if (QLabel *label = m_labels[std::size_t(i)]) {
            if (label->text() != text)
                label->setText(text);
        } else if (QLineEdit *edit = m_edits[std::size_t(i)]) {
            // A value being typed stays until it is entered or given up.
            if (!(edit->hasFocus() && edit->isModified()) && edit->text() != text)
                edit->setText(text);
        }
    }
}

void InspectorPanel::setBigEndian(bool bigEndian)
{
    const QSignalBlocker a(m_little), b(m_big);
    (bigEndian ? m_big : m_little)->setChecked(true);
}

void InspectorPanel::focusFirstField()
{
    for (QLineEdit *edit : m_edits)
        if (edit) {
            edit->setFocus(Qt::ShortcutFocusReason);
            edit->selectAll();
            ensureWidgetVisible(edit);
            return;
        }
}

bool InspectorPanel::eventFilter(QObject *watched, QEvent *event)
{
    const auto it = std::find(m_edits.begin(), m_edits.end(), watched);
    if (it == m_edits.end())
        return QScrollArea::eventFilter(watched, event);
    QLineEdit *edit = *it;
    const auto row = InspectorRow(it - m_edits.begin());
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Not modified any more, so that the bytes written (or the old value, when it
            // is refused) show at once.
            edit->setModified(false);
            emit valueEntered(row, edit->text());
            emit editingDone();
            return true;
        }
        if (key == Qt::Key_Escape) {
            edit->setText(Text(m_shown[std::size_t(row)]));
            emit editingDone();
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Tab
            || key == Qt::Key_Backtab) {
            // The next or previous field that can be typed over, round the ends.
            const bool back = key == Qt::Key_Up || key == Qt::Key_Backtab;
            const int n = int(m_edits.size());
            for (int step = 1; step < n; ++step) {
                const int k = ((int(row) + (back ? -step : step)) % n + n) % n;
                if (QLineEdit *next = m_edits[std::size_t(k)]) {
                    next->setFocus(Qt::TabFocusReason);
                    next->selectAll();
                    ensureWidgetVisible(next);
                    break;
                }
            }
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        edit->setText(Text(m_shown[std::size_t(row)]));
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace vtm
