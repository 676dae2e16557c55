#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vtmtest {

// Runs script on the next modal dialog once it is up and holds the focus.
inline void WhenModal(std::function<void(QWidget *)> script)
{
    QTimer::singleShot(20, [script] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !QApplication::focusWidget()) {
            WhenModal(script);
            return;
        }
        script(modal);
    });
}

} // namespace vtmtest
