#include "gui/app/SpeedPanel.h"

#include "gui/widgets/TSpeedButton.h"
#include "widgets/SpeedHints.h"

#include "document/Language.h"

#include <QResizeEvent>

namespace vtm {

SpeedPanel::SpeedPanel(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(SpeedPanelHeight);
    for (SpeedButton id : AllSpeedButtons()) {
        auto *b = new TSpeedButton(glyphPath(id), this);
        b->setObjectName(QString::fromUtf8(SpeedButtonName(id)));
        m_buttons[std::size_t(id)] = b;
        m_wanted[std::size_t(id)] = true;
    }
    applyLanguage(LanguageEnglish);
    layoutButtons();
}

QString SpeedPanel::glyphPath(SpeedButton id)
{
    return QStringLiteral(":/glyphs/") + QString::fromUtf8(SpeedButtonName(id))
           + QStringLiteral(".svg");
}

void SpeedPanel::setButtonShown(SpeedButton id, bool shown)
{
    m_wanted[std::size_t(id)] = shown;
    updateVisibility(id);
}

bool SpeedPanel::isButtonShown(SpeedButton id) const
{
    return !button(id)->isHidden();
}

void SpeedPanel::applyLanguage(Language language)
{
    for (SpeedButton id : AllSpeedButtons()) {
        button(id)->setHint(QString::fromUtf8(SpeedButtonHint(id, language)));
        m_inLanguage[std::size_t(id)] = SpeedButtonInLanguage(id, language);
        updateVisibility(id);
    }
}

void SpeedPanel::updateVisibility(SpeedButton id)
{
    const std::size_t i = std::size_t(id);
    button(id)->setVisible(m_wanted[i] && m_inLanguage[i]);
}

QSize SpeedPanel::sizeHint() const
{
    return {SpeedPanelSlots * TSpeedButton::ButtonSize, SpeedPanelHeight};
}

void SpeedPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void SpeedPanel::layoutButtons()
{
    for (SpeedButton id : AllSpeedButtons()) {
        TSpeedButton *b = button(id);
        b->move(SpeedButtonLeft(id, width(), b->width()), SpeedButtonTop(height(), b->height()));
    }
}

} // namespace vtm
