#include "gui/platform/Calculator.h"

#include "app/Calculator.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace vtm {

namespace {

class QtCalculatorHost : public CalculatorHost
{
public:
    QtCalculatorHost(QWidget *parent, const Calculator::Ask &ask, QProcess *&process)
        : m_parent(parent)
        , m_ask(ask)
        , m_process(process)
    {}

    int ask(const MessageRequest &request) override { return m_ask ? m_ask(request) : mrCancel; }

    std::optional<std::string> chooseFile(const std::string &title,
                                          const std::string &start) override
    {
#if defined(Q_OS_WIN)
        const QString filter = QStringLiteral("*.exe");
#else
        const QString filter;
#endif
        const QString chosen = QFileDialog::getOpenFileName(m_parent, QString::fromUtf8(title),
                                                            QString::fromUtf8(start), filter);
        if (chosen.isEmpty())
            return std::nullopt;
        return QDir::toNativeSeparators(chosen).toStdString();
    }

    bool exists(const std::string &path) override
    {
        return !path.empty() && QFileInfo(QString::fromUtf8(path)).isFile();
    }

    bool start(const std::string &path) override
    {
        auto *process = new QProcess;
        process->setProgram(QString::fromUtf8(path));
        // No pipes: the calculator may outlive the editor and must not write into a closed one.
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted()) {
            delete process;
            return false;
        }
        m_process = process;
        return true;
    }

private:
    QWidget *m_parent;
    const Calculator::Ask &m_ask;
    QProcess *&m_process;
};

} // namespace

Calculator::Calculator(QObject *parent)
    : QObject(parent)
{}

Calculator::~Calculator()
{
    // Deleting a running QProcess kills it, and the user may still be calculating: a
    // calculator that still runs is left to itself.
    if (!isRunning())
        delete m_process;
}

bool Calculator::launch(QWidget *dialogParent, std::string &calcPath, Language language,
                        const Ask &ask)
{
    if (isRunning())
        return true;
    delete m_process;
    m_process = nullptr;
    QtCalculatorHost host(dialogParent, ask, m_process);
    return LaunchCalculator(host, calcPath, language);
}

bool Calculator::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 Calculator::processId() const
{
    return isRunning() ? m_process->processId() : 0;
}

} // namespace vtm
