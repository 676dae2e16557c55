#pragma once

#include "print/PrintJob.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace vtm {

// The small modal window that runs a print job, shows the page being printed and offers
// Stop. The job starts 100 ms after the window is shown, once it has been painted, and the
// window closes itself at the end: Rejected when stopped, otherwise Accepted. It is the
// job's meter: each row printed lets events run, and Stop or Escape stop the job. The meter
// is attached to the document while the window is up, so no other command runs meanwhile.
class TPrintCancelForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintCancelForm(QWidget *parent = nullptr);

    // Shows the window modally and prints input (of doc) on target while it is up.
    PrintResult run(PrintTarget &target, const PrintInput &input, Document &doc);

    QLabel *ProgressLabel() const { return m_progressLabel; }
    QPushButton *CancelButton() const { return m_cancelButton; }
    QTimer *StartTimer() const { return m_startTimer; }
    bool Cancelled() const { return m_cancelled; }
    // What ended the last job when its status is Failed.
    const std::string &failure() const { return m_failure; }

    // Escape presses Stop; the window never closes before the job has ended.
    void reject() override;

signals:
    void pageStarted(qint64 page);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Meter;
    void StartTimerTimer();
    void CancelButtonClick();
    void placeWidgets(const QString &widestLabel);

    QLabel *m_progressLabel = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QTimer *m_startTimer = nullptr;
    bool m_cancelled = false;
    PrintTarget *m_target = nullptr;
    const PrintInput *m_input = nullptr;
    JobMeter *m_meter = nullptr;
    PrintResult m_result;
    std::string m_failure;
};

} // namespace vtm
