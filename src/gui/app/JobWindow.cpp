#include "gui/app/JobWindow.h"

#include "app/JobTexts.h"
#include "print/PrintTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtm {

class JobWindow::Meter : public JobMeter
{
public:
    explicit Meter(JobWindow &window)
        : m_window(window)
    {}
    ~Meter() override { m_window.finish(); }
    Meter(const Meter &) = delete;
    Meter &operator=(const Meter &) = delete;

protected:
    bool poll() override { return m_window.poll(); }

private:
    JobWindow &m_window;
};

JobWindow::JobWindow(QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);
    m_name = new QLabel(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_percent = new QLabel(this);
    m_rate = new QLabel(this);
    m_timeLeft = new QLabel(this);
    m_stopButton = new QPushButton(this);
    m_stopButton->setDefault(true);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_stop = true; });

    auto *figures = new QHBoxLayout;
    figures->addWidget(m_percent);
    figures->addStretch(1);
    figures->addWidget(m_rate);
    figures->addStretch(1);
    figures->addWidget(m_timeLeft);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_stopButton);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
    layout->addWidget(m_bar);
    layout->addLayout(figures);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

JobWindow::~JobWindow()
{
    qApp->removeEventFilter(this);
}

std::unique_ptr<JobMeter> JobWindow::start(const QString &title, Language language)
{
    auto meter = std::make_unique<Meter>(*this);
    m_meter = meter.get();
    m_language = language;
    m_stop = false;
    m_clockRunning = false;
    m_paused = 0;
    setWindowTitle(title);
    m_name->setText(title);
    m_stopButton->setText(QString::fromUtf8(PrintStopCaption(language)));
    qApp->installEventFilter(this);
    return meter;
}

void JobWindow::finish()
{
    qApp->removeEventFilter(this);
    m_meter = nullptr;
    hide();
}

void JobWindow::pause()
{
    if (!running())
        return;
    if (m_paused++ == 0) {
        hide();
        m_clockRunning = false;
    }
}

void JobWindow::resume()
{
    if (running() && m_paused > 0)
        --m_paused;
}

bool JobWindow::poll()
{
    if (!m_clockRunning) {
        // The clock starts with the work itself, not with a dialog that came before it.
        m_clock.start();
        m_base = m_meter->done();
        m_lastEvents = 0;
        m_clockRunning = true;
    }
    const qint64 t = m_clock.elapsed();
    if (t - m_lastEvents < EventIntervalMs)
        return !m_stop;
    m_lastEvents = t;
    if (m_paused == 0 && !isVisible() && t >= ShowDelayMs) {
        showTexts();
        adjustSize();
        show();
        m_stopButton->setFocus(Qt::OtherFocusReason);
    }
    if (isVisible())
        showTexts();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_stop;
}

void JobWindow::showTexts()
{
    const std::int64_t done = m_meter->done() - m_base;
    const std::int64_t total = m_meter->total() - m_base;
    const JobProgressView v = JobProgress(m_language, done, total, m_clock.elapsed());
    m_bar->setValue(v.permille);
    m_percent->setText(QString::fromUtf8(v.percent));
    m_rate->setText(QString::fromUtf8(v.rate));
    m_timeLeft->setText(QString::fromUtf8(v.timeLeft));
}

void JobWindow::reject()
{
    m_stop = true;
}

void JobWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    m_stop = true;
}

bool JobWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: break;
    default: return false;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    // Only what would reach the main window or its menus is kept away; a question asked
    // inside the job, and this window, take input as usual.
    if (widget->window() != m_mainWindow && !qobject_cast<QMenu *>(widget->window()))
        return false;
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_stop = true;
    return true;
}

} // namespace vtm
