#pragma once

#include "document/Language.h"
#include "document/Message.h"

#include <string>
#include <vector>

namespace vtm {

// The letters whose extent gives the dialog units of a font.
std::string MessageMeasureLetters();

// Margins, spacings and button sizes in pixels for one font and one dialog variant.
struct MessageUnits
{
    int horzMargin = 0;
    int vertMargin = 0;
    int horzSpacing = 0;
    int vertSpacing = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
    int buttonSpacing = 0;
};

// lettersWidth and lettersHeight are the extent of MessageMeasureLetters() in the font.
MessageUnits MessageDlgUnits(int lettersWidth, int lettersHeight, MessageVariant variant);

struct MessageRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const MessageRect &, const MessageRect &) = default;
};

// Where everything goes in the dialog's client area.
struct MessageLayout
{
    int clientWidth = 0;
    int clientHeight = 0;
    bool hasIcon = false;
    MessageRect icon;
    MessageRect text;
    std::vector<MessageRect> buttons; // in display order
};

// textWidth and textHeight are the extent of the word-wrapped message text.
MessageLayout LayoutMessageDlg(const MessageUnits &units, int textWidth, int textHeight,
                               bool hasIcon, int buttonCount);

bool MessageHasIcon(MessageKind kind);
std::string MessageTitle(MessageKind kind, Language language);

// The single-bit buttons of a set, in display order.
std::vector<unsigned> MessageButtonList(unsigned buttons);
std::string MessageButtonCaption(unsigned button, Language language);
// mrNone for Help, which does not close the dialog.
int MessageButtonResult(unsigned button);

// The button that answers Enter; 0 when the set has none of the candidates.
unsigned MessageDefaultButton(unsigned buttons, MessageVariant variant, unsigned callerDefault);
// The button that answers Escape; 0 when the set has none of the candidates.
unsigned MessageCancelButton(unsigned buttons);

} // namespace vtm
