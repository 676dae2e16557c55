#pragma once

#include "gui/app/MessageDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

namespace vtmtest {

// Answers the modal windows that come up, one handler each, in order.
class ModalScript
{
public:
    using Answer = std::function<void(QWidget *)>;

    explicit ModalScript(std::deque<Answer> answers)
        : m_answers(std::move(answers))
    {
        poll();
    }
    bool done() const { return m_answers.empty(); }
    QStringList texts; // what the message dialogs said

private:
    void poll()
    {
        QTimer::singleShot(20, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != m_last && !m_answers.empty()) {
                m_last = modal;
                if (auto *box = qobject_cast<vtm::MessageDialog *>(modal))
                    texts << box->textLabel()->text();
                Answer a = m_answers.front();
                m_answers.pop_front();
                a(modal);
            }
            if (!m_answers.empty())
                poll();
        });
    }

    std::deque<Answer> m_answers;
    // Guarded: a new dialog may come up at the address of one already answered and gone.
    QPointer<QWidget> m_last;
};

inline ModalScript::Answer Press(Qt::Key key)
{
    return [key](QWidget *w) { QTest::keyClick(w, key); };
}

inline ModalScript::Answer Click(unsigned button)
{
    return [button](QWidget *w) { qobject_cast<vtm::MessageDialog *>(w)->button(button)->click(); };
}

inline ModalScript::Answer Choose(const QString &path)
{
    return [path](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(d, nullptr);
        d->selectFile(path);
        // The dialog's file model fills in the background; a name typed whole is always taken.
        if (d->selectedFiles().value(0) != path)
            if (auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                edit->setText(path);
        QMetaObject::invokeMethod(d, "accept");
    };
}

} // namespace vtmtest
