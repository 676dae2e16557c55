#include "gui/app/MainWindow.h"

#include "app/MenuState.h"
#include "app/Placement.h"
#include "app/StartUp.h"
#include "marks/MarkCommands.h"
#include "marks/MarksFileCommands.h"
#include "app/Texts.h"
#include "document/SafeFile.h"
#include "gui/app/MessageDialog.h"
#include "app/Help.h"
#include "gui/app/AboutDialog.h"
#include "gui/analysis/InfoStatisticForm.h"
#include "gui/app/ClipboardForm.h"
#include "gui/platform/Clipboard.h"
#include "gui/print/PrintCommand.h"
#include "gui/app/HelpWindow.h"
#include "gui/app/SpeedPanel.h"
#include "gui/search/FindForm.h"
#include "gui/search/GotoForm.h"
#include "gui/search/InsertBytesForm.h"
#include "gui/platform/Platform.h"
#include "gui/widgets/TSpeedButton.h"
#include "gui/view/FileDropFilter.h"
#include "gui/view/TPlixBox.h"
#include "gui/view/TPlixMainPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QCursor>
#include <QFileDialog>
#include <QMenuBar>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>

#include <algorithm>

namespace vtm {

namespace {
constexpr int kStatusWidths[3] = {140, 160, 140};
constexpr int kInitialRows = 24;

KeyStroke toKeyStroke(const QKeyEvent *event)
{
    KeyStroke k;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ShiftModifier)
        k.modifiers |= Shift;
    if (mods & Qt::ControlModifier)
        k.modifiers |= Ctrl;
    if (mods & Qt::AltModifier)
        k.modifiers |= Alt;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Up: k.key = Key::Up; break;
    case Qt::Key_Down: k.key = Key::Down; break;
    case Qt::Key_Left: k.key = Key::Left; break;
    case Qt::Key_Right: k.key = Key::Right; break;
    case Qt::Key_PageUp: k.key = Key::PageUp; break;
    case Qt::Key_PageDown: k.key = Key::PageDown; break;
    case Qt::Key_Home: k.key = Key::Home; break;
    case Qt::Key_End: k.key = Key::End; break;
    case Qt::Key_Tab: k.key = Key::Tab; break;
    case Qt::Key_Backspace: k.key = Key::Backspace; break;
    case Qt::Key_Delete: k.key = Key::Delete; break;
    case Qt::Key_Insert: k.key = Key::Insert; break;
    case Qt::Key_Backtab:
        k.key = Key::Tab;
        k.modifiers |= Shift;
        break;
    default:
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            k.key = Key::Letter;
            k.letter = char('A' + (key - Qt::Key_A));
        } else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
            k.key = Key::Function;
            k.letter = char(1 + (key - Qt::Key_F1));
        }
        break;
    }
    return k;
}
} // namespace

MainWindow::MainWindow()
    : m_editor(m_state, *this)
{
    m_ticks.start();
    setWindowTitle(QString::fromUtf8(AppTitle()));
    setFocusPolicy(Qt::StrongFocus);
    m_state.view.fontCharWidth = m_font.charWidth();
    m_state.view.fontCharHeight = m_font.charHeight();
    m_state.settings.Language = UserLanguage();

    m_gotoForm = new TGotoForm(this);
    m_insertForm = new TInsertBytesForm(this);
    m_clipboardForm = new TClipboardForm(m_font.font(), this);
    // Open clipboard is offered only while the clipboard holds something.
    m_state.ClipboardHasData = ClipboardOffersData();
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            m_state.ClipboardHasData = ClipboardOffersData();
            m_editor.UpdateMenus();
        });
    m_findForm = new TFindForm(this);
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

    statusBar()->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    // The classic narrow status-bar face (Arial's metric twin where Arial is missing).
    statusBar()->setFont(QFont(QStringLiteral("Arial"), 8));
    // The pane's text is what a screen reader reads; the role goes to the description.
    static const char *const roles[3] = {"Position", "Value", "Distance"};
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(statusBar());
        label->setFixedWidth(kStatusWidths[i]);
        label->setAccessibleDescription(QString::fromLatin1(roles[i]));
        statusBar()->addWidget(label);
        m_status[std::size_t(i)] = label;
    }

    DumpClient *client = m_view->client();
    client->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(client, &QWidget::customContextMenuRequested, this,
            [this, client](QPoint at) { m_menu->popup()->exec(client->mapToGlobal(at)); });
    connect(client, &DumpClient::mousePressed, this,
            [this](int x, int y) { m_editor.MouseDown(x, y); });
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
    connect(drops, &FileDropFilter::fileDropped, this, &MainWindow::loadFile);

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

void MainWindow::loadFile(const QString &path)
{
    m_editor.LoadFromFile(AbsolutePath(QFile::encodeName(path).toStdString()));
}

void MainWindow::showAbout()
{
    TKaAboutForm about(this);
    about.execFor(m_state.settings.Language);
}

void MainWindow::launchCalculator()
{
    m_calculator.launch(this, m_state.settings.CalcPath, m_state.settings.Language,
                        [this](const MessageRequest &r) { return showMessage(r); });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
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

bool MainWindow::runFileDialog(FileDialogKind kind, const std::string &title,
                               const std::string &directory, const std::string &name,
                               std::string *chosen)
{
    const bool saving = kind == FileDialogKind::Save || kind == FileDialogKind::MarksSave;
    QFileDialog dialog(this, QString::fromUtf8(title), QFile::decodeName(directory.c_str()));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question, once.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!name.empty())
        dialog.selectFile(QFile::decodeName(name.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    *chosen = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
    return !chosen->empty();
}

bool MainWindow::runGotoDialog(GotoFormMode mode, std::int32_t initial, std::int32_t *value)
{
    return m_gotoForm->ask(mode, m_state.settings.Language, initial, value);
}

bool MainWindow::runFindDialog(FindFormMode mode, FindState &state, int *result)
{
    return m_findForm->ask(mode, m_state.settings.Language, state, result);
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

std::vector<ClipboardEntry> MainWindow::clipboardEntries()
{
    return ClipboardEntries();
}

bool MainWindow::withClipboardData(
    const std::string &mime, const std::function<void(const std::uint8_t *, std::int64_t)> &use)
{
    return WithClipboardData(mime, use);
}

void MainWindow::showStatistics()
{
    TInfoStatisticForm::ShowStatistics(this, m_state);
}

void MainWindow::printDocument()
{
    DoPrint(this, m_state);
}

bool MainWindow::runClipboardChooser(const std::vector<std::string> &lines, int *index)
{
    return m_clipboardForm->ask(lines, m_state.settings.Language, index);
}

bool MainWindow::runInsertBytesDialog(bool append, ByteRunMemory &memory)
{
    return m_insertForm->ask(append, m_state.settings.Language, memory);
}

void MainWindow::closeMainWindow()
{
    close();
}

void MainWindow::setLanguageCaptions(int language)
{
    m_menu->setLanguage(language);
    m_speed->applyLanguage(language);
}

void MainWindow::showHelp(int context)
{
    const QString missing = ShowHelp(this, m_state.settings.Language, context);
    if (!missing.isEmpty())
        m_editor.ShowMessageDlg(
            HelpMissingText(m_state.settings.Language, QFile::encodeName(missing).toStdString()),
            MessageKind::Error, mbOK, 0);
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
    // Width is fixed by the dump; height snaps to whole rows.
    const int oneRow =
        r.windowClientHeight - (m_state.view.VisibleRows - 1) * m_state.view.metrics.RowHeight;
    setFixedWidth(r.windowClientWidth);
    setMinimumHeight(oneRow);
    // Lets window managers snap interactive resizing to rows too.
    if (sizeIncrement() != QSize(0, m_state.view.metrics.RowHeight)) {
        setSizeIncrement(0, m_state.view.metrics.RowHeight);
        setBaseSize(r.windowClientWidth, oneRow);
    }
    // A window manager may have resized it anyway: both sides are put back.
    if (height() != r.windowClientHeight || width() != r.windowClientWidth)
        resize(r.windowClientWidth, r.windowClientHeight);
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
    if (!m_openOnShow.isEmpty())
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
    if (panel < 0 || panel >= 3)
        return;
    QLabel *label = m_status[std::size_t(panel)];
    const QString t = QString::fromUtf8(text);
    // The panes have fixed widths; the offsets of very large files get a smaller font
    // rather than being cut off.
    QFont font = statusBar()->font();
    while (font.pointSizeF() > 6
           && QFontMetrics(font).horizontalAdvance(t) > label->minimumWidth() - 2)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    if (label->font() != font)
        label->setFont(font);
    label->setText(t);
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

int MainWindow::showMessage(const MessageRequest &request)
{
    return MessageDialog::ask(request, this, [this](int context) { showHelp(context); });
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

int MainWindow::scrollPosition(int barKind) const
{
    return barKind == 1 && m_view ? m_view->vertScrollBar()->value() : 0;
}

int MainWindow::trackPosition(int barKind) const
{
    return barKind == 1 && m_view ? m_view->vertScrollBar()->sliderPosition() : 0;
}

} // namespace vtm
