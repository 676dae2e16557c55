#pragma once

#include "document/JobMeter.h"
#include "document/Language.h"

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vtm {

// The one progress window of long commands. While a job runs it lets the event loop run
// every few milliseconds (the main window repaints and answers accessibility), keeps the
// user's input away from the main window, appears once the job has run for 0.4 s, and
// turns Stop, Escape and its close box into a stop of the job.
class JobWindow : public QDialog
{
    Q_OBJECT
public:
    // How long a job runs before the window appears, and how often events are let through.
    static constexpr int ShowDelayMs = 400;
    static constexpr int EventIntervalMs = 8;

    explicit JobWindow(QWidget *mainWindow);
    ~JobWindow() override;

    // Begins a job; the meter ends it when destroyed.
    std::unique_ptr<JobMeter> start(const QString &title, Language language);
    bool running() const { return m_meter != nullptr; }
    // Asks the running job to stop.
    void requestStop() { m_stop = true; }
    // A question or chooser inside the job: the window steps aside, and the job's clock
    // starts anew after it.
    void pause();
    void resume();

    QLabel *nameLabel() const { return m_name; }
    QLabel *percentLabel() const { return m_percent; }
    QLabel *rateLabel() const { return m_rate; }
    QLabel *timeLeftLabel() const { return m_timeLeft; }
    QProgressBar *bar() const { return m_bar; }
    QPushButton *stopButton() const { return m_stopButton; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Meter;
    friend class Meter;
    bool poll();
    void finish();
    void showTexts();

    QWidget *m_mainWindow;
    QLabel *m_name = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_percent = nullptr, *m_rate = nullptr, *m_timeLeft = nullptr;
    QPushButton *m_stopButton = nullptr;
    Meter *m_meter = nullptr;
    Language m_language = Language::English;
    QElapsedTimer m_clock;
    bool m_clockRunning = false;
    std::int64_t m_base = 0; // work done when the clock started
    qint64 m_lastEvents = 0;
    bool m_stop = false;
    int m_paused = 0;
};

} // namespace vtm
