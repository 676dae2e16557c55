#include "gui/app/AboutDialog.h"

#include "app/Help.h"
#include "app/Texts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef VTM_VERSION
#error "VTM_VERSION must be defined by the build"
#endif

namespace vtm {

TKaAboutForm::TKaAboutForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setModal(true);
    m_name = new QLabel(QString::fromUtf8(AppTitle()), this);
    QFont big = m_name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_name->setFont(big);
    m_version = new QLabel(QString::fromUtf8(AboutVersionText(VTM_VERSION)), this);
    m_description = new QLabel(this);
    for (QLabel *label : {m_name, m_version, m_description})
        label->setAlignment(Qt::AlignHCenter);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(m_name);
    layout->addWidget(m_version);
    layout->addWidget(m_description);
    layout->addSpacing(8);
    layout->addWidget(buttons, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    applyLanguage(LanguageEnglish);
}

void TKaAboutForm::applyLanguage(Language language)
{
    setWindowTitle(QString::fromUtf8(AboutTitle(language)));
    m_description->setText(QString::fromUtf8(AboutDescription(language)));
}

int TKaAboutForm::execFor(Language language)
{
    applyLanguage(language);
    m_ok->setFocus();
    return exec();
}

} // namespace vtm
