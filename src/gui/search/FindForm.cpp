#include "gui/search/FindForm.h"
#include "gui/search/ValueEdits.h"

#include "document/Color.h"
#include "document/Message.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace vtm {

namespace {

constexpr int ClientWidth = 378;
constexpr int ButtonPanelHeight = 55;
constexpr int ButtonWidth = 85;
constexpr int ButtonHeight = 25;

QFrame *bevel(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// A colour swatch; pressing it checks the radio button beside it.
class ColorSwatch : public QWidget
{
public:
    ColorSwatch(const QColor &color, QRadioButton *button, QWidget *parent)
        : QWidget(parent)
        , m_color(color)
        , m_button(button)
    {
        setFixedSize(24, 12);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_color);
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_button->setChecked(true);
    }

private:
    QColor m_color;
    QRadioButton *m_button;
};

// The bottom strip; its buttons sit where the mode's rule puts them for the current width.
class ButtonPanel : public QWidget
{
public:
    ButtonPanel(std::function<void()> place, QWidget *parent)
        : QWidget(parent)
        , m_place(std::move(place))
    {
        setFixedHeight(ButtonPanelHeight);
        setMinimumWidth(ClientWidth);
    }

protected:
    void resizeEvent(QResizeEvent *) override { m_place(); }

private:
    std::function<void()> m_place;
};

} // namespace

TFindForm::TFindForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_findData.SetBytes({0x00});
    m_findPanel = buildBytesPanel(m_findData, m_fEdits, m_fLabel, m_fLabels);
    m_findData.OnChange = [this](TBytesData &) { FindDataChanged(); };
    m_replacePanel = buildBytesPanel(m_replaceData, m_rEdits, m_rLabel, m_rLabels);
    m_markPanel = buildMarkPanel();
    m_optionPanel = buildOptionPanel();

    m_okButton = new QPushButton;
    m_okButton->setDefault(true);
    m_allButton = new QPushButton;
    m_allButton->setAutoDefault(false);
    m_cancelButton = new QPushButton;
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_allButton, &QPushButton::clicked, this, [this] { done(FindResultAll); });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_buttonPanel = new ButtonPanel([this] { placeButtons(); }, this);
    for (QPushButton *b : {m_okButton, m_allButton, m_cancelButton})
        b->setParent(m_buttonPanel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget *panel : {m_findPanel, m_replacePanel, m_markPanel, m_optionPanel})
        layout->addWidget(panel);
    layout->addWidget(m_buttonPanel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget *chain[] = {m_fEdits[0],     m_fEdits[1],     m_fEdits[2],       m_rEdits[0],
                        m_rEdits[1],     m_rEdits[2],     m_colorRBs[0],     m_caseCB,
                        m_confirmCB,     m_beginCursorRB, m_beginStartEndRB, m_directionDownRB,
                        m_directionUpRB, m_okButton,      m_allButton,       m_cancelButton};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    prepare(FindFormMode::Find, LanguageEnglish);
}

TFindForm::~TFindForm()
{
    // The views go before the strings they point at.
    m_findData.OnChange = nullptr;
    delete m_findPanel;
    delete m_replacePanel;
}

QWidget *TFindForm::buildBytesPanel(TBytesData &data, DataEdits &edits, QLabel *&title,
                                    std::array<QLabel *, 3> &labels)
{
    auto *panel = new QWidget(this);
    auto *hex = new THexDataEdit(data);
    auto *dec = new TDecDataEdit(data);
    auto *chr = new TCharDataEdit(data);
    ConnectBytesGroup(data, *hex, *dec, *chr);
    edits = {hex, dec, chr};

    title = new QLabel(panel);
    title->setBuddy(hex);
    auto *fields = new QGridLayout;
    fields->setColumnMinimumWidth(0, 12);
    fields->setColumnStretch(2, 1);
    fields->setVerticalSpacing(10);
    for (std::size_t i = 0; i < edits.size(); ++i) {
        THexDataEdit *view = edits[i];
        labels[i] = new QLabel(panel);
        labels[i]->setBuddy(view);
        QToolButton *clear = ClearButton(panel);
        connect(clear, &QToolButton::clicked, this, [&data, view] {
            data.Clear();
            view->setFocus(Qt::OtherFocusReason);
        });
        fields->addWidget(labels[i], int(i), 1);
        fields->addWidget(ValuePanel(view, panel), int(i), 2);
        fields->addWidget(clear, int(i), 3);
    }
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 0);
    layout->addWidget(title);
    layout->addLayout(fields);
    layout->addWidget(bevel(panel));
    return panel;
}

QWidget *TFindForm::buildMarkPanel()
{
    auto *panel = new QWidget(this);
    m_markLabel = new QLabel(panel);
    m_colorGroup = new QButtonGroup(panel);
    auto *row = new QHBoxLayout;
    row->addSpacing(12);
    for (std::size_t i = 0; i < m_colorRBs.size(); ++i) {
        m_colorRBs[i] = new QRadioButton(panel);
        m_colorGroup->addButton(m_colorRBs[i], int(i) + 1);
        const Color c = BrightMarkColor(std::uint8_t(i + 1));
        m_shapes[i] = new ColorSwatch(QColor(c.r, c.g, c.b), m_colorRBs[i], panel);
        row->addWidget(m_colorRBs[i]);
        row->addWidget(m_shapes[i]);
        row->addSpacing(8);
    }
    row->addStretch();
    m_colorRBs[0]->setChecked(true);
    m_markLabel->setBuddy(m_colorRBs[0]);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 0);
    layout->addWidget(m_markLabel);
    layout->addLayout(row);
    layout->addWidget(bevel(panel));
    return panel;
}

QWidget *TFindForm::buildOptionPanel()
{
    auto *panel = new QWidget(this);
    m_optionLabel = new QLabel(panel);
    m_caseCB = new QCheckBox(panel);
    m_confirmCB = new QCheckBox(panel);
    auto *boxes = new QVBoxLayout;
    boxes->addWidget(m_caseCB);
    boxes->addWidget(m_confirmCB);
    boxes->addStretch();

    // Each pair of radio buttons is a group of its own.
    auto radioPair = [panel](QLabel *&label, QRadioButton *&first, QRadioButton *&second) {
        auto *group = new QWidget(panel);
        label = new QLabel(group);
        first = new QRadioButton(group);
        second = new QRadioButton(group);
        first->setChecked(true);
        auto *column = new QVBoxLayout(group);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(label);
        column->addWidget(first);
        column->addWidget(second);
        return group;
    };
    QWidget *begin = radioPair(m_beginLabel, m_beginCursorRB, m_beginStartEndRB);
    QWidget *direction = radioPair(m_directionLabel, m_directionDownRB, m_directionUpRB);

    auto *row = new QHBoxLayout;
    row->addSpacing(12);
    row->addLayout(boxes);
    row->addWidget(begin);
    row->addWidget(direction);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 0);
    layout->addWidget(m_optionLabel);
    layout->addLayout(row);
    layout->addWidget(bevel(panel));
    return panel;
}

TDecDataEdit *TFindForm::DecFEdit() const
{
    return static_cast<TDecDataEdit *>(m_fEdits[1]);
}

TCharDataEdit *TFindForm::CharFEdit() const
{
    return static_cast<TCharDataEdit *>(m_fEdits[2]);
}

QRadioButton *TFindForm::ColorRadioButton(int color) const
{
    return m_colorRBs.at(std::size_t(color - 1));
}

QWidget *TFindForm::ColorShape(int color) const
{
    return m_shapes.at(std::size_t(color - 1));
}

void TFindForm::load(const FindState &state)
{
    if (m_findData.Bytes() != state.FindBytes)
        m_findData.SetBytes(state.FindBytes);
    if (m_replaceData.Bytes() != state.ReplaceBytes)
        m_replaceData.SetBytes(state.ReplaceBytes);
    m_caseCB->setChecked(state.CaseSensitive);
    m_confirmCB->setChecked(state.Confirm);
    (state.BeginAtCursor ? m_beginCursorRB : m_beginStartEndRB)->setChecked(true);
    (state.Backward ? m_directionUpRB : m_directionDownRB)->setChecked(true);
    ColorRadioButton(std::clamp(state.MarkColor, 1, 6))->setChecked(true);
}

void TFindForm::store(FindState &state) const
{
    state.FindBytes = m_findData.Bytes();
    state.ReplaceBytes = m_replaceData.Bytes();
    state.CaseSensitive = m_caseCB->isChecked();
    state.Confirm = m_confirmCB->isChecked();
    state.BeginAtCursor = m_beginCursorRB->isChecked();
    state.Backward = m_directionUpRB->isChecked();
    const int color = m_colorGroup->checkedId();
    state.MarkColor = color >= 1 ? color : 1;
}

void TFindForm::prepare(FindFormMode mode, Language language)
{
    m_mode = mode;
    const FindFormTexts t = FindTexts(language, mode);
    setWindowTitle(qs(t.caption));
    m_fLabel->setText(qs(t.findLabel));
    m_rLabel->setText(qs(t.replaceLabel));
    const std::array<const std::string *, 3> fTexts{&t.hexFLabel, &t.decFLabel, &t.charFLabel};
    const std::array<const std::string *, 3> rTexts{&t.hexRLabel, &t.decRLabel, &t.charRLabel};
    for (std::size_t i = 0; i < 3; ++i) {
        m_fLabels[i]->setText(qs(*fTexts[i]));
        m_rLabels[i]->setText(qs(*rTexts[i]));
    }
    m_markLabel->setText(qs(t.markLabel));
    for (std::size_t i = 0; i < m_colorRBs.size(); ++i) {
        m_colorRBs[i]->setAccessibleName(qs(t.colorNames[i]));
        m_shapes[i]->setAccessibleName(qs(t.colorNames[i]));
    }
    m_optionLabel->setText(qs(t.optionLabel));
    m_caseCB->setText(qs(t.caseBox));
    m_confirmCB->setText(qs(t.confirmBox));
    m_beginLabel->setText(qs(t.beginLabel));
    m_beginCursorRB->setText(qs(t.beginCursor));
    m_beginStartEndRB->setText(qs(t.beginStartEnd));
    m_directionLabel->setText(qs(t.directionLabel));
    m_directionDownRB->setText(qs(t.directionDown));
    m_directionUpRB->setText(qs(t.directionUp));
    m_okButton->setText(qs(t.okButton));
    m_allButton->setText(qs(t.allButton));
    m_cancelButton->setText(qs(t.cancelButton));
    SetClearButtonTexts(this, language);

    m_replacePanel->setVisible(ShowsReplacePanel(mode));
    m_markPanel->setVisible(ShowsMarkPanel(mode));
    m_confirmCB->setVisible(ShowsAllButton(mode));
    m_allButton->setVisible(ShowsAllButton(mode));
    HexFEdit()->setFocus(Qt::OtherFocusReason);
    FindDataChanged();
    // All three share the width of the widest text, so a long German caption still fits.
    m_buttonWidth = ButtonWidth;
    for (QPushButton *b : {m_okButton, m_allButton, m_cancelButton})
        m_buttonWidth = std::max(m_buttonWidth, b->sizeHint().width());
    m_buttonPanel->setMinimumWidth(std::max(ClientWidth, (7 * m_buttonWidth) / 2 + 24));
    adjustSize();
    placeButtons();
}

bool TFindForm::ask(FindFormMode mode, Language language, FindState &state, int *result)
{
    state.SearchAccepted = false;
    load(state);
    prepare(mode, language);
    const int code = exec();
    store(state);
    const int r = code == QDialog::Accepted ? mrOk
                  : code == FindResultAll   ? FindResultAll
                                            : mrCancel;
    state.SearchAccepted = r != mrCancel;
    if (result)
        *result = r;
    return state.SearchAccepted;
}

void TFindForm::FindDataChanged()
{
    const bool enabled = m_findData.ByteCount() > 0;
    m_okButton->setEnabled(enabled);
    m_allButton->setEnabled(enabled);
}

void TFindForm::placeButtons()
{
    const int w = m_buttonWidth;
    const FindButtonLefts lefts = FindButtonLayout(m_mode, m_buttonPanel->width(), w);
    const int top = (ButtonPanelHeight - ButtonHeight) / 2;
    m_okButton->setGeometry(lefts.ok, top, w, ButtonHeight);
    m_cancelButton->setGeometry(lefts.cancel, top, w, ButtonHeight);
    if (lefts.all >= 0)
        m_allButton->setGeometry(lefts.all, top, w, ButtonHeight);
}

} // namespace vtm
