#include "app/MessageDlg.h"

#include "app/Texts.h"
#include "document/Language.h"

#include <algorithm>
#include <bit>

namespace vtm {

namespace {

constexpr int kIconSize = 32;
constexpr int kLetterCount = 52;

constexpr unsigned kDisplayOrder[] = {mbYes,   mbNo,     mbOK,  mbCancel, mbAbort,
                                      mbRetry, mbIgnore, mbAll, mbHelp};

// Dialog units to pixels, halves rounded up: the sizes are never negative.
int scaled(int units, int base, int divisor)
{
    return (units * base + divisor / 2) / divisor;
}

} // namespace

std::string MessageMeasureLetters()
{
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}

MessageUnits MessageDlgUnits(int lettersWidth, int lettersHeight, MessageVariant variant)
{
    const int w = lettersWidth / kLetterCount;
    const int h = lettersHeight;
    const bool wide = variant == MessageVariant::WithDefault;
    MessageUnits u;
    u.horzMargin = scaled(8, w, 4);
    u.vertMargin = scaled(8, h, 8);
    u.horzSpacing = scaled(10, w, 4);
    u.vertSpacing = scaled(10, h, 8);
    u.buttonWidth = scaled(wide ? 62 : 50, w, 4);
    u.buttonHeight = scaled(wide ? 16 : 14, h, 8);
    u.buttonSpacing = scaled(wide ? 6 : 4, w, 4);
    return u;
}

MessageLayout LayoutMessageDlg(const MessageUnits &u, int textWidth, int textHeight, bool hasIcon,
                               int buttonCount)
{
    MessageLayout l;
    l.hasIcon = hasIcon;
    int blockWidth = textWidth;
    int blockHeight = textHeight;
    if (hasIcon) {
        l.icon = {u.horzMargin, u.vertMargin, kIconSize, kIconSize};
        blockWidth += kIconSize + u.horzSpacing;
        blockHeight = std::max(blockHeight, kIconSize);
    }
    l.text = {u.horzMargin + blockWidth - textWidth, u.vertMargin, textWidth, textHeight};

    const int n = std::max(buttonCount, 0);
    const int buttonsWidth = n == 0 ? 0 : n * u.buttonWidth + (n - 1) * u.buttonSpacing;
    l.clientWidth = std::max(blockWidth, buttonsWidth) + 2 * u.horzMargin;
    l.clientHeight = blockHeight + u.vertSpacing + u.buttonHeight + 2 * u.vertMargin;

    int x = (l.clientWidth - buttonsWidth) / 2;
    const int top = blockHeight + u.vertMargin + u.vertSpacing;
    for (int i = 0; i < n; ++i) {
        l.buttons.push_back({x, top, u.buttonWidth, u.buttonHeight});
        x += u.buttonWidth + u.buttonSpacing;
    }
    return l;
}

bool MessageHasIcon(MessageKind kind)
{
    return kind != MessageKind::Custom;
}

std::string MessageTitle(MessageKind kind, Language language)
{
    const bool de = IsGerman(language);
    switch (kind) {
    case MessageKind::Warning: return de ? "Warnung" : "Warning";
    case MessageKind::Error: return de ? "Fehler" : "Error";
    case MessageKind::Information: return "Information";
    case MessageKind::Confirmation: return de ? "Bestätigung" : "Confirmation";
    case MessageKind::Custom: break;
    }
    return AppTitle();
}

std::vector<unsigned> MessageButtonList(unsigned buttons)
{
    std::vector<unsigned> list;
    for (unsigned b : kDisplayOrder) {
        if (buttons & b)
            list.push_back(b);
    }
    return list;
}

std::string MessageButtonCaption(unsigned button, Language language)
{
    const bool de = IsGerman(language);
    switch (button) {
    case mbYes: return de ? "&Ja" : "&Yes";
    case mbNo: return de ? "&Nein" : "&No";
    case mbOK: return "OK";
    case mbCancel: return de ? "Abbruch" : "Cancel";
    case mbAbort: return de ? "Abbruch" : "Abort";
    case mbRetry: return de ? "&Wiederholen" : "&Retry";
    case mbIgnore: return de ? "&Ignorieren" : "&Ignore";
    case mbAll: return de ? "&Alle" : "&All";
    case mbHelp: return de ? "&Hilfe" : "&Help";
    default: return {};
    }
}

int MessageButtonResult(unsigned button)
{
    switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    default: return mrNone;
    }
}

unsigned MessageDefaultButton(unsigned buttons, MessageVariant variant, unsigned callerDefault)
{
    if (variant == MessageVariant::WithDefault && callerDefault != 0
        && std::has_single_bit(callerDefault) && (buttons & callerDefault) != 0)
        return callerDefault;
    for (unsigned b : {mbOK, mbYes, mbRetry}) {
        if (buttons & b)
            return b;
    }
    return 0;
}

unsigned MessageCancelButton(unsigned buttons)
{
    for (unsigned b : {mbCancel, mbNo, mbOK}) {
        if (buttons & b)
            return b;
    }
    return 0;
}

} // namespace vtm
