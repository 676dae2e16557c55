#pragma once

#include "document/Language.h"
#include "document/Message.h"

#include <QObject>

#include <functional>
#include <string>

class QProcess;
class QWidget;

namespace vtm {

// The calculator button. The calculator runs as a child process so that a second click can
// tell whether the one it started is still running.
class Calculator : public QObject
{
    Q_OBJECT
public:
    // Shows a message box and returns the button pressed (ShowMessageDlg).
    using Ask = std::function<int(const MessageRequest &)>;

    explicit Calculator(QObject *parent = nullptr);
    ~Calculator() override;

    // Starts calcPath unless the calculator started last still runs. While calcPath names no
    // file, asks whether to search for it; a chosen file is written back to calcPath.
    // Returns whether a calculator started here runs afterwards.
    bool launch(QWidget *dialogParent, std::string &calcPath, Language language, const Ask &ask);

    bool isRunning() const;
    // The running calculator's process id, 0 when none runs.
    qint64 processId() const;

private:
    QProcess *m_process = nullptr;
};

} // namespace vtm
