#include "gui/print/TPrintCancelForm.h"

#include "print/PrintTexts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace vtm {

class TPrintCancelForm::Meter : public JobMeter
{
public:
    // Every row printed lets events run, so Stop can be pressed at any time.
    explicit Meter(const TPrintCancelForm &form)
        : m_form(form)
    {
        setPollEvery(0);
    }

protected:
    bool poll() override
    {
        QCoreApplication::processEvents();
        return !m_form.m_cancelled;
    }

private:
    const TPrintCancelForm &m_form;
};

TPrintCancelForm::TPrintCancelForm(QWidget *parent)
    : QDialog(parent)
{
    // No title-bar buttons: Stop is the only way out while printing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    m_progressLabel = new QLabel(this);
    m_cancelButton = new QPushButton(this);
    m_cancelButton->setDefault(true);
    m_startTimer = new QTimer(this);
    m_startTimer->setSingleShot(true);
    m_startTimer->setInterval(100);
    connect(m_startTimer, &QTimer::timeout, this, &TPrintCancelForm::StartTimerTimer);
    connect(m_cancelButton, &QPushButton::clicked, this, &TPrintCancelForm::CancelButtonClick);
    placeWidgets(QString());
}

void TPrintCancelForm::placeWidgets(const QString &widestLabel)
{
    // 124 x 88 at the least; wider when a long page number needs it.
    const QFontMetrics fm(m_progressLabel->font());
    const int labelWidth = std::max(80, fm.horizontalAdvance(widestLabel) + 4);
    const int labelHeight = std::max(13, fm.height());
    m_progressLabel->setGeometry(24, 19, labelWidth, labelHeight);
    const int buttonTop = std::max(49, 19 + labelHeight + 8);
    m_cancelButton->setGeometry(24, buttonTop, 75, 25);
    setFixedSize(std::max(124, 24 + labelWidth + 20), buttonTop + 25 + 14);
}

PrintResult TPrintCancelForm::run(PrintTarget &target, const PrintInput &input, Document &doc)
{
    Meter meter(*this);
    const MeterScope<Document> scope(doc, &meter);
    m_meter = &meter;
    m_target = &target;
    m_input = &input;
    m_result = PrintResult{};
    m_cancelled = false;
    placeWidgets(QString::fromUtf8(PrintPageLabel(input.Language, input.LastPage)));
    setWindowTitle(QString::fromUtf8(PrintCancelCaption(input.Language)));
    m_cancelButton->setText(QString::fromUtf8(PrintStopCaption(input.Language)));
    m_progressLabel->clear();
    exec();
    m_target = nullptr;
    m_input = nullptr;
    m_meter = nullptr;
    return m_result;
}

void TPrintCancelForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    m_cancelButton->setFocus(Qt::OtherFocusReason);
    if (m_target)
        m_startTimer->start();
}

void TPrintCancelForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
    reject();
}

void TPrintCancelForm::reject()
{
    m_cancelButton->click();
}

void TPrintCancelForm::CancelButtonClick()
{
    m_cancelled = true;
}

void TPrintCancelForm::StartTimerTimer()
{
    m_startTimer->stop();
    // A Stop pressed before the job began does not count.
    m_cancelled = false;
    if (!m_target || !m_input || !m_meter)
        return;
    PrintHooks hooks;
    hooks.pageStarted = [this](std::int64_t page) {
        m_progressLabel->setText(QString::fromUtf8(PrintPageLabel(m_input->Language, page)));
        emit pageStarted(page);
    };
    hooks.meter = m_meter;
    m_failure.clear();
    // An exception must not cross Qt's event loop; the job is ended by then.
    try {
        m_result = PrintPages(*m_input, *m_target, hooks);
    } catch (const std::exception &e) {
        m_result.status = PrintStatus::Failed;
        m_failure = e.what();
    }
    done(m_cancelled ? QDialog::Rejected : QDialog::Accepted);
}

} // namespace vtm
