#include "gui/app/MainWindow.h"

#include "gui/analysis/InspectorPanel.h"
#include "gui/app/JobWindow.h"
#include "gui/app/KeyEvents.h"
#include "gui/app/SpeedPanel.h"
#include "gui/app/StatusPanes.h"
#include "gui/platform/Clipboard.h"
#include "gui/platform/Platform.h"
#include "gui/view/FileDropFilter.h"
#include "gui/view/TPlixBox.h"
#include "gui/view/TPlixMainPanel.h"
#include "gui/widgets/TSpeedButton.h"
#include "app/MenuState.h"
#include "app/Placement.h"
#include "app/StartUp.h"
#include "app/Texts.h"
#include "document/SafeFile.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>

#include <algorithm>

namespace vtm {

namespace {
constexpr int kInitialRows = 24;
} // namespace

MainWindow::MainWindow()
    : m_editor(m_state, *this)
{
    m_ticks.start();
    setWindowTitle(QString::fromUtf8(AppTitle()));
    setFocusPolicy(Qt::StrongFocus);
    m_state.view.fontCharWidth = m_font.charWidth();
    m_state.view.fontCharHeight = m_font.charHeight();
    m_state.settings.Language = LanguageOf(UserLanguage());

    // Open clipboard is offered only while the clipboard holds something.
    m_state.ClipboardHasData = ClipboardOffersData();
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            m_state.ClipboardHasData = ClipboardOffersData();
            m_editor.UpdateMenus();
        });
    m_menu = new MainMenu(menuBar(), this);
    connect(m_menu, &MainMenu::triggered, this, [this](Command command) {
        m_editor.runCommand(command);
        // A menu's own check mark toggles on a click; the state puts it right again.
        m_editor.UpdateMenus();
    });

    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_speed = new SpeedPanel(central);
    for (const SpeedButton b : AllSpeedButtons())
        connect(m_speed->button(b), &QAbstractButton::clicked, this,
                [this, b] { m_editor.runCommand(CommandOfButton(b)); });
    m_panel = new TPlixMainPanel(m_state, m_font, central);
    m_view = new TPlixBox(m_state, m_font, m_panel);
    m_inspector = new InspectorPanel(m_font.font(), central);
    m_inspector->hide();
    connect(m_inspector, &InspectorPanel::valueEntered, this,
            [this](InspectorRow row, const QString &text) {
                m_editor.InspectorEdit(row, text.toStdString());
            });
    connect(m_inspector, &InspectorPanel::byteOrderChosen, this,
            [this](bool big) { m_editor.SetInspectorBigEndian(big); });
    connect(m_inspector, &InspectorPanel::editingDone, this, [this] { setFocus(); });

    m_status = addStatusPanes(statusBar());

    DumpClient *client = m_view->client();
    client->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(client, &QWidget::customContextMenuRequested, this,
            [this, client](QPoint at) { m_menu->popup()->exec(client->mapToGlobal(at)); });
    connect(client, &DumpClient::mousePressed, this, [this](int x, int y) {
        setFocus(); // keys typed after a click on the dump are the dump's, not an inspector field's
        m_editor.MouseDown(x, y);
    });
    connect(client, &DumpClient::mouseMoved, this,
            [this](int x, int y) { m_editor.MouseMove(x, y); });
    connect(client, &DumpClient::mouseReleased, this,
            [this](int x, int y) { m_editor.MouseUp(x, y); });
    connect(m_view, &TPlixBox::scrollRequested, this,
            [this](ScrollRequest r) { m_state.view.VertBar.HandleScroll(r); });
    connect(m_view, &TPlixBox::wheelSteps, this, [this](int rows) {
        m_state.view.VertBar.SetPosition(m_state.view.VertBar.GetPosition() + rows);
    });
    auto *drops = new FileDropFilter(this);
    drops->watch(m_view);
    drops->watch(m_panel);
    connect(drops, &FileDropFilter::fileDropped, this,
            [this](const std::string &path) { loadFile(path); });

    m_jobs = new JobWindow(this);
    m_cursorTimer.setInterval(500);
    connect(&m_cursorTimer, &QTimer::timeout, this, &MainWindow::onCursorTimer);
    m_cursorTimer.start();

    m_editor.ApplyLanguage();
    const int rowHeight = m_font.charHeight() + 1;
    resize(400, statusBar()->sizeHint().height() + 2 * TPlixMainPanel::FrameWidth
                    + (kInitialRows + 1) * rowHeight);
    runLayoutPass();
    setFocus(); // every key belongs to the window, whichever child was clicked
}

MainWindow::~MainWindow()
{
    m_cursorTimer.stop();
    m_state.view.VertBar.OnChange = nullptr;
}

void MainWindow::applySettings(const Settings &settings)
{
    ApplySettings(m_state, settings);
    m_editor.ApplyLanguage();
    runLayoutPass();
}

void MainWindow::placeWindow(const Settings &settings, int baseUnits, bool firstInstance)
{
    PlacementInput in;
    in.stored = {settings.Left, settings.Top, settings.Width, settings.Height};
    in.storedBaseUnits = settings.DialogBaseUnits;
    in.baseUnits = baseUnits;
    in.firstInstance = firstInstance;
    in.r = QRandomGenerator::global()->bounded(5);
    in.s = QRandomGenerator::global()->bounded(5);
    in.platform = {x(), y(), width(), height()};
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const QRect a = screen->availableGeometry();
        const WindowRect area{a.x(), a.y(), a.width(), a.height()};
        if (screen == QGuiApplication::primaryScreen())
            in.screens.insert(in.screens.begin(), area);
        else
            in.screens.push_back(area);
    }
    const WindowRect w = PlaceMainWindow(in);
    move(w.left, w.top);
    resize(w.width, w.height); // the layout pass fits it to the dump
}

Settings MainWindow::collectSettings(const Settings &stored, int baseUnits) const
{
    Settings out = CollectSettings(m_state, stored);
    out.Left = x();
    out.Top = y();
    out.Width = width();
    out.Height = height();
    out.DialogBaseUnits = baseUnits;
    return out;
}

void MainWindow::loadFile(const std::string &path)
{
    m_editor.LoadFromFile(AbsolutePath(path));
}

void MainWindow::loadFile(const QString &path)
{
    loadFile(QFile::encodeName(path).toStdString());
}

void MainWindow::openOnFirstShow(const QString &path)
{
    openOnFirstShow(QFile::encodeName(path).toStdString());
}

MainWindow::JobPause::JobPause(JobWindow *jobs)
    : m_jobs(jobs)
{
    if (m_jobs)
        m_jobs->pause();
}

MainWindow::JobPause::~JobPause()
{
    if (m_jobs)
        m_jobs->resume();
}

std::unique_ptr<JobMeter> MainWindow::startJob(const std::string &title)
{
    return m_jobs->start(QString::fromUtf8(title), m_state.settings.Language);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The close box during a job stops it; the window stays, its document untouched.
    if (m_jobs->running()) {
        m_jobs->requestStop();
        event->ignore();
        return;
    }
    if (!m_editor.files().CloseQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::updateMenus(const MenuState &state)
{
    m_menu->apply(state);
    for (const SpeedButton b : AllSpeedButtons())
        m_speed->button(b)->setEnabled(state.enabled[std::size_t(CommandOfButton(b))]);
}

Host::ScreenMetrics MainWindow::screenMetrics() const
{
    const QScreen *s = screen();
    // The usable area, the one the message dialogs are placed in.
    const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    ScreenMetrics m;
    m.width = r.width();
    m.height = r.height();
    m.viewTop = m_view ? m_view->mapToGlobal(QPoint(0, 0)).y() - r.y() : 0;
    return m;
}

std::int64_t MainWindow::tickCount() const
{
    return m_ticks.elapsed();
}

void MainWindow::closeMainWindow()
{
    close();
}

void MainWindow::setLanguageCaptions(Language language)
{
    m_menu->setLanguage(language);
    m_speed->applyLanguage(language);
    m_inspector->setLanguage(language);
}

void MainWindow::runLayoutPass()
{
    if (m_inLayout || !m_view)
        return;
    m_inLayout = true;
    LayoutInput in;
    in.clientHeight = height();
    in.toolbarHeight = menuBar()->sizeHint().height() + SpeedPanelHeight;
    in.statusBarHeight = statusBar()->sizeHint().height();
    in.panelFrame = 2 * TPlixMainPanel::FrameWidth;
    in.scrollBarWidth = m_view->scrollBarWidth();
    const LayoutResult r = m_editor.LayoutPass(in);

    const int frame = TPlixMainPanel::FrameWidth;
    // The central widget starts below the menu bar.
    m_speed->setGeometry(0, 0, r.panelOuterWidth, SpeedPanelHeight);
    m_panel->setGeometry(0, SpeedPanelHeight, r.panelOuterWidth, r.panelOuterHeight);
    m_view->setGeometry(frame + r.viewLeft, frame + r.viewTop, r.viewOuterWidth, r.viewOuterHeight);
    m_view->setClientSize(r.viewClientWidth, r.viewClientHeight);
    // The inspector stands to the right of the dump, from the toolbar down; the window
    // grows by its width.
    const bool inspecting = m_state.settings.ShowInspector;
    const int windowWidth = r.windowClientWidth + (inspecting ? m_inspector->panelWidth() : 0);
    if (inspecting)
        m_inspector->setGeometry(r.panelOuterWidth, 0, m_inspector->panelWidth(),
                                 SpeedPanelHeight + r.panelOuterHeight);
    m_inspector->setVisible(inspecting);
    // Width is fixed by the dump; height snaps to whole rows.
    const int oneRow =
        r.windowClientHeight - (m_state.view.VisibleRows - 1) * m_state.view.metrics.RowHeight;
    setFixedWidth(windowWidth);
    setMinimumHeight(oneRow);
    // Lets window managers snap interactive resizing to rows too.
    if (sizeIncrement() != QSize(0, m_state.view.metrics.RowHeight)
        || baseSize().width() != windowWidth) {
        setSizeIncrement(0, m_state.view.metrics.RowHeight);
        setBaseSize(windowWidth, oneRow);
    }
    // A window manager may have resized it anyway: both sides are put back.
    if (height() != r.windowClientHeight || width() != windowWidth)
        resize(windowWidth, r.windowClientHeight);
    m_inLayout = false;
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (const auto command = LookupShortcut(toKeyStroke(event))) {
        m_editor.runCommand(*command);
        event->accept();
        return;
    }
    // Alt and Meta combinations are commands of the window system, never characters.
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        const QList<uint> codes = text.toUcs4();
        for (const uint code : codes)
            m_editor.FormKeyPress(char32_t(code));
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool MainWindow::focusNextPrevChild(bool)
{
    return false; // Tab and Shift+Tab switch the cursor's area instead
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    runLayoutPass();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (!m_openOnShow.empty())
        QTimer::singleShot(0, this, [this] { loadFile(m_openOnShow); });
}

bool MainWindow::pointerInView() const
{
    const QPoint global = QCursor::pos();
    const QWidget *client = m_view->client();
    return QApplication::widgetAt(global) == client
           && client->rect().contains(client->mapFromGlobal(global));
}

void MainWindow::onCursorTimer()
{
    m_editor.CursorTimerTimer(pointerInView());
}

void MainWindow::invalidateView(int x, int y, int w, int h)
{
    m_view->client()->update(x, y, w, h);
}

void MainWindow::invalidateViewAll()
{
    m_view->client()->update();
}

void MainWindow::invalidatePanel()
{
    m_panel->update();
}

void MainWindow::scrollView(int dy)
{
    if (dy != 0)
        m_view->client()->scroll(0, dy);
}

void MainWindow::updateNow()
{
    m_panel->repaint();
}

void MainWindow::requestLayout()
{
    runLayoutPass();
}

void MainWindow::setStatusText(int panel, const std::string &text)
{
    if (panel >= 0 && panel < 3)
        showInPane(m_status[std::size_t(panel)], statusBar()->font(), QString::fromUtf8(text));
}

void MainWindow::focusInspector()
{
    m_inspector->focusFirstField();
}

void MainWindow::showInspector(const InspectorTexts &texts)
{
    m_inspector->setBigEndian(m_state.settings.InspectorBigEndian);
    m_inspector->showTexts(texts);
}

void MainWindow::restartCursorTimer()
{
    m_cursorTimer.start();
}

void MainWindow::beep()
{
    Beep();
}

void MainWindow::setCaption(const std::string &caption)
{
    setWindowTitle(QString::fromUtf8(caption));
}

void MainWindow::setScrollInfo(int barKind, int range, int page, int position)
{
    if (barKind != 1)
        return; // the view never scrolls sideways
    QScrollBar *bar = m_view->vertScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(0, range - page));
    bar->setPageStep(std::max(1, page));
    bar->setValue(ClampScrollPosition(range, page, position));
    bar->setEnabled(range > page);
}

int MainWindow::trackPosition(int barKind) const
{
    return barKind == 1 && m_view ? m_view->vertScrollBar()->sliderPosition() : 0;
}

} // namespace vtm
