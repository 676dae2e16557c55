#pragma once

#include "document/Message.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace vtm {

// The modal message box: title, icon, word-wrapped text and a row of buttons, sized in
// dialog units of its own font. exec() returns the MessageResult of the button pressed.
class MessageDialog : public QDialog
{
    Q_OBJECT
public:
    using HelpHandler = std::function<void(int helpContext)>;

    // Without a help handler the Help button is left out.
    MessageDialog(const MessageRequest &request, QWidget *parent = nullptr, HelpHandler help = {});

    // Builds the dialog, runs it modally and returns the result.
    static int ask(const MessageRequest &request, QWidget *parent, HelpHandler help = {});

    QLabel *textLabel() const { return m_text; }
    QLabel *iconLabel() const { return m_icon; }
    // The button for one button bit, or null when it is not shown.
    QPushButton *button(unsigned bit) const;
    QPushButton *defaultButton() const { return m_default; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct Button
    {
        unsigned bit;
        QPushButton *widget;
    };

    std::vector<Button> m_buttons;
    QLabel *m_text = nullptr;
    QLabel *m_icon = nullptr;
    QPushButton *m_default = nullptr;
    QPushButton *m_focus = nullptr;
    int m_escapeResult = mrNone;
};

} // namespace vtm
