#include "gui/search/GotoForm.h"
#include "gui/search/ValueEdits.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vtm {

TGotoForm::TGotoForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_hexEdit = new THexIntEdit(m_gotoData);
    m_decEdit = new TDecIntEdit(m_gotoData);
    ConnectIntGroup(m_gotoData, *m_hexEdit, *m_decEdit);
    m_hexPanel = ValuePanel(m_hexEdit, this);
    m_decPanel = ValuePanel(m_decEdit, this);

    m_mainLabel = new QLabel(this);
    m_mainLabel->setBuddy(m_hexEdit);
    m_hexLabel = new QLabel(this);
    m_hexLabel->setBuddy(m_hexEdit);
    m_decLabel = new QLabel(this);
    m_decLabel->setBuddy(m_decEdit);
    QToolButton *clearHex = ClearButton(this);
    QToolButton *clearDec = ClearButton(this);
    connect(clearHex, &QToolButton::clicked, this, [this] { clear(m_hexEdit); });
    connect(clearDec, &QToolButton::clicked, this, [this] { clear(m_decEdit); });

    auto *fields = new QGridLayout;
    fields->setColumnMinimumWidth(0, 12);
    fields->addWidget(m_hexLabel, 0, 1);
    fields->addWidget(m_hexPanel, 0, 2);
    fields->addWidget(clearHex, 0, 3);
    fields->addWidget(m_decLabel, 1, 1);
    fields->addWidget(m_decPanel, 1, 2);
    fields->addWidget(clearDec, 1, 3);
    fields->setVerticalSpacing(14);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QHBoxLayout *buttons = OkCancelRow(this, &m_okButton, &m_cancelButton, 0);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_mainLabel);
    layout->addLayout(fields);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_hexEdit, m_decEdit);
    setTabOrder(m_decEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    prepare(GotoFormMode::Goto, LanguageEnglish);
}

TGotoForm::~TGotoForm()
{
    // The views go before the value they point at.
    delete m_hexPanel;
    delete m_decPanel;
}

void TGotoForm::prepare(GotoFormMode mode, Language language)
{
    const GotoFormTexts t = GotoTexts(language, mode);
    setWindowTitle(QString::fromStdString(t.caption));
    m_mainLabel->setText(QString::fromStdString(t.mainLabel));
    m_hexLabel->setText(QString::fromStdString(t.hexLabel));
    m_decLabel->setText(QString::fromStdString(t.decLabel));
    m_okButton->setText(QString::fromStdString(t.okButton));
    m_cancelButton->setText(QString::fromStdString(t.cancelButton));
    SetClearButtonTexts(this, language);
    m_hexEdit->setFocus(Qt::OtherFocusReason);
}

bool TGotoForm::ask(GotoFormMode mode, Language language, std::int64_t value, std::int64_t *result)
{
    m_gotoData.SetValue(value, this);
    prepare(mode, language);
    if (exec() != QDialog::Accepted)
        return false;
    if (result)
        *result = m_gotoData.Value;
    return true;
}

void TGotoForm::clear(QWidget *focusTarget)
{
    m_gotoData.SetValue(0, this);
    m_hexEdit->SetCursorPos(0);
    m_decEdit->SetCursorPos(0);
    focusTarget->setFocus(Qt::OtherFocusReason);
}

} // namespace vtm
