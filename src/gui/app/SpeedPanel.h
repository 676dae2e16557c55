#pragma once

#include "document/Language.h"
#include "widgets/SpeedLayout.h"

#include <QWidget>

#include <array>

namespace vtm {

class TSpeedButton;

// The toolbar: a strip of glyph buttons, each centred on its fixed fraction of the width.
// The owner connects the buttons' clicked signals and enables or disables them.
class SpeedPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SpeedPanel(QWidget *parent = nullptr);

    TSpeedButton *button(SpeedButton id) const { return m_buttons[std::size_t(id)]; }

    // A button taken off by its owner stays off whatever the language says.
    void setButtonShown(SpeedButton id, bool shown);
    bool isButtonShown(SpeedButton id) const;

    // Hints in the given language, and the decimal button that belongs to it.
    void applyLanguage(Language language);

    static QString glyphPath(SpeedButton id);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateVisibility(SpeedButton id);
    void layoutButtons();

    std::array<TSpeedButton *, SpeedButtonCount> m_buttons{};
    std::array<bool, SpeedButtonCount> m_wanted{};
    std::array<bool, SpeedButtonCount> m_inLanguage{};
};

} // namespace vtm
