#include "gui/search/InsertBytesForm.h"
#include "gui/search/ValueEdits.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vtm {

namespace {

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TInsertBytesForm::TInsertBytesForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_countHexEdit = new THexIntEdit(m_countData);
    m_countDecEdit = new TDecIntEdit(m_countData);
    ConnectIntGroup(m_countData, *m_countHexEdit, *m_countDecEdit);
    m_countData.Observer3 = [this](const void *) { UpdateOkButton(); };

    m_fillData.SetBytes({0x00});
    m_fillHexEdit = new THexDataEdit(m_fillData);
    m_fillDecEdit = new TDecDataEdit(m_fillData);
    m_fillCharEdit = new TCharDataEdit(m_fillData);
    ConnectBytesGroup(m_fillData, *m_fillHexEdit, *m_fillDecEdit, *m_fillCharEdit);
    m_fillData.OnChange = [this](TBytesData &) { UpdateOkButton(); };

    for (QLabel *&label : m_labels)
        label = new QLabel(this);
    const std::array<TValueEdit *, 5> views{m_countHexEdit, m_countDecEdit, m_fillHexEdit,
                                            m_fillDecEdit, m_fillCharEdit};
    const std::array<int, 5> viewLabels{1, 2, 4, 5, 6};
    m_labels[0]->setBuddy(m_countHexEdit);
    m_labels[3]->setBuddy(m_fillHexEdit);

    auto *fields = new QGridLayout;
    fields->setColumnMinimumWidth(0, 12);
    fields->setColumnStretch(2, 1);
    int row = 0;
    fields->addWidget(m_labels[0], row++, 0, 1, 4);
    for (std::size_t i = 0; i < views.size(); ++i) {
        if (i == 2) {
            fields->addWidget(separator(this), row++, 0, 1, 4);
            fields->addWidget(m_labels[3], row++, 0, 1, 4);
        }
        m_panels[i] = ValuePanel(views[i], this);
        QToolButton *clear = ClearButton(this);
        TValueEdit *view = views[i];
        if (i < 2)
            connect(clear, &QToolButton::clicked, this, [this, view] { clearCount(view); });
        else
            connect(clear, &QToolButton::clicked, this, [this, view] { clearFill(view); });
        QLabel *label = m_labels[std::size_t(viewLabels[i])];
        label->setBuddy(view);
        fields->addWidget(label, row, 1);
        // The count panels keep their width; the pattern panels take the row.
        auto *panelRow = new QHBoxLayout;
        panelRow->addWidget(m_panels[i], i < 2 ? 0 : 1);
        panelRow->addWidget(clear);
        if (i < 2)
            panelRow->addStretch();
        fields->addLayout(panelRow, row++, 2);
    }

    QHBoxLayout *buttons = OkCancelRow(this, &m_okButton, &m_cancelButton, 30);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(separator(this));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (std::size_t i = 1; i < views.size(); ++i)
        setTabOrder(views[i - 1], views[i]);
    setTabOrder(m_fillCharEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    prepare(false, LanguageEnglish);
}

TInsertBytesForm::~TInsertBytesForm()
{
    // The views go before the values they point at.
    for (QFrame *panel : m_panels)
        delete panel;
}

void TInsertBytesForm::prepare(bool appendMode, Language language)
{
    const InsertBytesFormTexts t = InsertBytesTexts(language, appendMode);
    setWindowTitle(QString::fromStdString(t.caption));
    SetClearButtonTexts(this, language);
    const std::array<const std::string *, 7> texts{&t.countLabel,    &t.hexLabel,  &t.decLabel,
                                                   &t.fillWithLabel, &t.hexFLabel, &t.decFLabel,
                                                   &t.charFLabel};
    for (std::size_t i = 0; i < texts.size(); ++i)
        m_labels[i]->setText(QString::fromStdString(*texts[i]));
    m_okButton->setText(QString::fromStdString(t.okButton));
    m_cancelButton->setText(QString::fromStdString(t.cancelButton));
    m_countHexEdit->setFocus(Qt::OtherFocusReason);
    UpdateOkButton();
}

bool TInsertBytesForm::ask(bool appendMode, Language language, ByteRunMemory &memory)
{
    m_countData.SetValue(memory.InsertCount, this);
    if (m_fillData.Bytes() != memory.InsertPattern)
        m_fillData.SetBytes(memory.InsertPattern);
    prepare(appendMode, language);
    const bool confirmed = exec() == QDialog::Accepted;
    memory.InsertCount = m_countData.Value;
    memory.InsertPattern = m_fillData.Bytes();
    return confirmed;
}

void TInsertBytesForm::UpdateOkButton()
{
    m_okButton->setEnabled(InsertBytesAcceptable(m_countData.Value, m_fillData.Bytes().size()));
}

void TInsertBytesForm::clearCount(QWidget *focusTarget)
{
    m_countData.SetValue(0, this);
    m_countHexEdit->SetCursorPos(0);
    m_countDecEdit->SetCursorPos(0);
    focusTarget->setFocus(Qt::OtherFocusReason);
}

void TInsertBytesForm::clearFill(QWidget *focusTarget)
{
    m_fillData.Clear();
    focusTarget->setFocus(Qt::OtherFocusReason);
}

} // namespace vtm
