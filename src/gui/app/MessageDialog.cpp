#include "gui/app/MessageDialog.h"

#include "app/MessageDlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <utility>

namespace vtm {

namespace {

constexpr Qt::WindowFlags kFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
constexpr int kIconSize = 32;

QStyle::StandardPixmap iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning: return QStyle::SP_MessageBoxWarning;
    case MessageKind::Error: return QStyle::SP_MessageBoxCritical;
    case MessageKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    default: return QStyle::SP_MessageBoxInformation;
    }
}

QRect toQRect(const MessageRect &r)
{
    return QRect(r.x, r.y, r.width, r.height);
}

// Callers break lines with carriage returns; Qt only breaks at '\n'.
QString messageText(const std::string &text)
{
    QString s = QString::fromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QRect availableScreen(const QWidget *parent)
{
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

} // namespace

MessageDialog::MessageDialog(const MessageRequest &request, QWidget *parent, HelpHandler help)
    : QDialog(parent, kFlags)
{
    const QString title = QString::fromUtf8(MessageTitle(request.kind, request.language));
    setWindowTitle(title);

    unsigned buttons = request.buttons;
    if (!help)
        buttons &= ~unsigned(mbHelp);
    const std::vector<unsigned> bits = MessageButtonList(buttons);

    const QFontMetrics fm(font());
    const QSize letters = fm.size(0, QString::fromUtf8(MessageMeasureLetters()));
    const MessageUnits units = MessageDlgUnits(letters.width(), letters.height(), request.variant);

    const QRect screen = availableScreen(parent);
    const QString text = messageText(request.text);
    const QRect textRect = fm.boundingRect(QRect(0, 0, screen.width() / 2, 0),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    const bool hasIcon = MessageHasIcon(request.kind);
    const MessageLayout layout =
        LayoutMessageDlg(units, textRect.width(), textRect.height(), hasIcon, int(bits.size()));

    if (hasIcon) {
        m_icon = new QLabel(this);
        const QIcon icon = style()->standardIcon(iconFor(request.kind), nullptr, this);
        m_icon->setPixmap(icon.pixmap(QSize(kIconSize, kIconSize), devicePixelRatio()));
        m_icon->setGeometry(toQRect(layout.icon));
        m_icon->setAccessibleName(title);
    }

    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setText(text);
    m_text->setGeometry(toQRect(layout.text));

    const unsigned defaultBit =
        MessageDefaultButton(buttons, request.variant, request.defaultButton);
    m_escapeResult = MessageButtonResult(MessageCancelButton(buttons));
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const unsigned bit = bits[i];
        auto *pb =
            new QPushButton(QString::fromUtf8(MessageButtonCaption(bit, request.language)), this);
        pb->setGeometry(toQRect(layout.buttons[i]));
        if (bit == mbHelp) {
            const int context = request.helpContext;
            connect(pb, &QPushButton::clicked, this, [help, context] { help(context); });
        } else {
            const int result = MessageButtonResult(bit);
            connect(pb, &QPushButton::clicked, this, [this, result] { done(result); });
        }
        if (bit == defaultBit) {
            pb->setDefault(true);
            m_default = pb;
        }
        m_buttons.push_back({bit, pb});
    }
    if (!m_buttons.empty()) {
        const bool onDefault = request.variant == MessageVariant::WithDefault && m_default;
        m_focus = onDefault ? m_default : m_buttons.front().widget;
    }

    setFixedSize(layout.clientWidth, layout.clientHeight);
    if (request.left >= 0 && request.top >= 0)
        move(screen.topLeft() + QPoint(request.left, request.top)); // on the parent's screen
    else
        move(screen.center() - QPoint(layout.clientWidth / 2, layout.clientHeight / 2));
}

int MessageDialog::ask(const MessageRequest &request, QWidget *parent, HelpHandler help)
{
    MessageDialog dialog(request, parent, std::move(help));
    return dialog.exec();
}

QPushButton *MessageDialog::button(unsigned bit) const
{
    for (const Button &b : m_buttons) {
        if (b.bit == bit)
            return b.widget;
    }
    return nullptr;
}

// The close box and every other way out that is not a button.
void MessageDialog::reject()
{
    done(mrCancel);
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape answers the cancel button, and does nothing when there is none.
    if (event->matches(QKeySequence::Cancel)) {
        if (m_escapeResult != mrNone)
            done(m_escapeResult);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Chosen here, or QDialog would move the focus onto the default button.
    if (m_focus)
        m_focus->setFocus(Qt::OtherFocusReason);
}

} // namespace vtm
