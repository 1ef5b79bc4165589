#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScreen>

#include <map>

#include "app/AboutBox.h"
#include "app/Accelerators.h"
#include "app/CloseRequest.h"
#include "app/ControlFactory.h"
#include "app/DropCollector.h"
#include "app/StatusLine.h"
#include "app/WindowActions.h"
#include "config/ControlIds.h"
#include "config/Language.h"

namespace framewise {

namespace {

// The command table: control id -> the slot that handles its command.
using Slot = void (MainWindow::*)();
const std::map<int, Slot>& CommandSlots() {
    static const std::map<int, Slot> table{
        {kIdSynchronize, &MainWindow::OnSynchronize}, {kIdDelete, &MainWindow::OnDelete},
        {kIdSelectAll, &MainWindow::OnSelectAll},     {kIdMoveUp, &MainWindow::OnMoveUp},
        {kIdMoveDown, &MainWindow::OnMoveDown},       {kIdAdd, &MainWindow::OnAdd},
        {kIdZoomIn, &MainWindow::OnZoomIn},           {kIdZoomOut, &MainWindow::OnZoomOut},
        {kIdRect, &MainWindow::OnRect},               {kIdRotateLeft, &MainWindow::OnRotateLeft},
        {kIdRotateRight, &MainWindow::OnRotateRight}, {kIdSave, &MainWindow::OnSave},
        {kIdSaveAll, &MainWindow::OnSaveAll},         {kIdExit, &MainWindow::OnExit},
        {kCmdAddAccelerator, &MainWindow::OnAddAccelerator},
    };
    return table;
}

bool IsSwallowedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_controls(std::make_unique<WindowControls>(this)) {
    setWindowTitle(QStringLiteral("Framewise"));
    setFixedSize(kCanvasWidth, kCanvasHeight);
    setAcceptDrops(true);
    for (const auto& [id, button] : m_controls->CommandButtons())
        connect(button, &QAbstractButton::clicked, this, [this, id = id] { OnCommand(id); });
    InstallAccelerators(this, [this](int id) { OnAccelerator(id); });
    m_openingTimer.setInterval(OpeningAnimation::kTickMs);
    connect(&m_openingTimer, &QTimer::timeout, this, &MainWindow::TickOpening);
    // Enter and Escape, and the tooltips while a transfer runs, are caught before any
    // control of the window sees them.
    qApp->installEventFilter(this);
    CreateStatusBar();
    m_controls->ApplyEnabling(m_enabling);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::SetCore(AppState& state, const Language& language, Frontend& frontend) {
    m_state = &state;
    m_language = &language;
    m_frontend = &frontend;
}

void MainWindow::SetTitle(const QString& title) {
    setWindowTitle(title);
}

void MainWindow::SetProgressCtrlOff(bool off) {
    m_progressCtrlOff = off;
    Control(kIdProgress)->setVisible(!off);
}

QSize MainWindow::ScreenSize() const {
    if (m_screenOverride) return *m_screenOverride;
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(kCanvasWidth, kCanvasHeight);
}

// ---- Opening and layout ----

void MainWindow::StartOpening() {
    m_opening = std::make_unique<OpeningAnimation>(QSize(kCanvasWidth, kCanvasHeight),
                                                   ScreenSize());
    const QRect start = m_opening->Start();
    move(start.topLeft());
    setFixedSize(start.size().expandedTo(QSize(1, 1)));  // a window cannot be 0 x 0
    show();
    m_openingTimer.start();
}

void MainWindow::TickOpening() {
    if (!m_opening || m_opening->Finished()) return;
    const QRect next = m_opening->Tick(size());
    move(next.topLeft());
    setFixedSize(next.size().expandedTo(QSize(1, 1)));
    if (m_opening->Finished()) {
        m_openingTimer.stop();
        m_layoutPending = true;
        update();
    }
}

void MainWindow::paintEvent(QPaintEvent* event) {
    if (m_layoutPending && !m_laidOut) {
        // Laid out once, after this paint has finished: geometry is not changed mid-paint.
        m_layoutPending = false;
        QMetaObject::invokeMethod(this, &MainWindow::LayoutMainWindow, Qt::QueuedConnection);
    }
    QDialog::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        emit FirstPainted();
    }
}

void MainWindow::LayoutMainWindow() {
    const QSize screen = ScreenSize();
    m_geometry = ComputeLayout(screen, screen, QSize(kCanvasWidth, kCanvasHeight));
    // The layout's size is the whole window's, frame and title bar included, as a window
    // covering a small screen must be: the client area is what the frame leaves of it.
    const QSize frame = frameGeometry().size() - size();
    move(m_geometry.window.topLeft());
    setFixedSize(m_geometry.window.size() - frame);
    m_controls->Place(m_geometry);
    m_laidOut = true;
    CreateStatusBar();
}

// ---- Texts ----

void MainWindow::SetLanguageMenu(const LanguageMenu& menu) {
    m_menu.Set(menu);
}

void MainWindow::ApplyLanguageSwitch(const LanguageSwitch& change) {
    if (!change.applied) return;
    m_controls->ApplyCaptions(change.captions);
    m_controls->ApplyTooltips(change.tooltips);
    m_menu.Update(change);
    m_statusLeft = QString::fromStdString(change.captions.statusBarLeft);
    CreateStatusBar();
    SetStatusText(QString::fromStdString(change.captions.statusText));
}

void MainWindow::CreateStatusBar() {
    delete m_status;
    m_status = new StatusLine(m_statusLeft, this);
    m_status->setGeometry(0, height() - StatusLine::kHeight, width(), StatusLine::kHeight);
    m_status->show();
}

void MainWindow::SetStatusText(const QString& text) {
    if (m_status) m_status->SetStatusText(text);
}

void MainWindow::SetDisabled(DisableReason reason, bool holds) {
    if (m_enabling.Set(reason, holds)) m_controls->ApplyEnabling(m_enabling);
}

void MainWindow::ShowConnection(bool connected) {
    factory::ShowConnection(Control(kIdConnection), connected);
}

// ---- FrontendSurface ----

void MainWindow::ShowProgressRange(int low, int high) {
    factory::SetProgressRange(Control(kIdProgress), low, high);
}

void MainWindow::ShowProgressPos(int pos) {
    factory::SetProgressPos(Control(kIdProgress), pos);
}

void MainWindow::ShowProgressBar(bool show) {
    // With ProgressCtrl other than "OFF" the bar is never hidden.
    if (show || m_progressCtrlOff) Control(kIdProgress)->setVisible(show);
}

void MainWindow::ShowPictureTotal(const QString& text) {
    static_cast<QLabel*>(Control(kIdPictureTotal))->setText(text);
}

void MainWindow::DeliverEvent(const QString& name, long wParam) {
    m_events.Dispatch(name.toStdString(), wParam);
}

// ---- Commands ----

void MainWindow::OnCommand(int commandId) {
    const auto it = CommandSlots().find(commandId);
    if (it != CommandSlots().end()) (this->*(it->second))();
}

void MainWindow::OnAccelerator(int commandId) {
    // An accelerator acts as its button does: not while the button is disabled.
    if (commandId != kCmdAddAccelerator && !m_enabling.Enabled(commandId)) return;
    OnCommand(commandId);
}

void MainWindow::OnSynchronize() { if (m_actions) m_actions->Synchronize(); }
void MainWindow::OnDelete() { if (m_actions) m_actions->DeleteSelected(); }
void MainWindow::OnSelectAll() { if (m_actions) m_actions->SelectAll(); }
void MainWindow::OnMoveUp() { if (m_actions) m_actions->MoveUp(); }
void MainWindow::OnMoveDown() { if (m_actions) m_actions->MoveDown(); }
void MainWindow::OnAdd() { if (m_actions) m_actions->Add(); }
void MainWindow::OnZoomIn() { if (m_actions) m_actions->ZoomIn(); }
void MainWindow::OnZoomOut() { if (m_actions) m_actions->ZoomOut(); }
void MainWindow::OnRect() { if (m_actions) m_actions->ToggleRect(); }
void MainWindow::OnRotateLeft() { if (m_actions) m_actions->RotateLeft(); }
void MainWindow::OnRotateRight() { if (m_actions) m_actions->RotateRight(); }
void MainWindow::OnSave() { if (m_actions) m_actions->Save(); }
void MainWindow::OnSaveAll() { if (m_actions) m_actions->SaveAll(); }
void MainWindow::OnExit() { RequestClose(); }

void MainWindow::OnAddAccelerator() {
    const bool addEnabled = m_enabling.Enabled(kIdAdd) && Control(kIdAdd)->isEnabled();
    if (m_state ? AddAcceleratorAllowed(*m_state, addEnabled) : addEnabled) OnAdd();
}

void MainWindow::OnMenuCommand(int commandId) {
    if (commandId == kCmdAbout) {
        OnAbout();
    } else if (commandId == kIdRead && m_actions) {
        m_actions->ReadAgain();
    } else if (commandId >= kCmdFirstLanguage && commandId <= kCmdLastLanguage && m_actions) {
        m_actions->SwitchLanguage(commandId);
    }
}

void MainWindow::OnAbout() {
    auto* box = new AboutBox(m_actions ? m_actions->About() : AboutTexts{}, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::RaiseFromSecondStart() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

// ---- Closing ----

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_ending) {
        event->accept();
        return;
    }
    event->ignore();
    RequestClose();
}

void MainWindow::RequestClose() {
    if (m_ending) return;
    const CloseOutcome outcome = m_state ? HandleCloseRequest(*m_state, *m_language, *m_frontend)
                                         : CloseOutcome::Quit;
    // Stopping: the synchronize's end event ends the program (QuitAfterTransfer).
    if (outcome == CloseOutcome::Quit) EndProgram(0);
}

void MainWindow::EndProgram(int code) {
    if (m_ending) return;
    m_ending = true;
    m_openingTimer.stop();
    if (m_actions) m_actions->Quit();
    done(code);
}

// ---- Mouse, drops and filtered events ----

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (m_state && !ContextMenuAllowed(*m_state)) return;
    QString readAgain;
    if (m_actions && m_actions->ReadAgainOffered()) {
        readAgain = QString::fromStdString(
            m_language ? m_language->Pick(kReadAgainEnglish, kReadAgainChinese) : kReadAgainEnglish);
    }
    QMenu* menu = m_menu.Build(this, [this](int id) { OnMenuCommand(id); }, readAgain);
    menu->popup(event->globalPos());
}

bool MainWindow::DropTaken() const {
    return !m_state || AcceptsDrop(*m_state);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && DropTaken()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls() && DropTaken()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!m_state || !event->mimeData()->hasUrls()) return;
    const std::vector<std::string> queue = CollectDrop(*m_state, event->mimeData()->urls());
    event->acceptProposedAction();
    if (queue.empty()) return;
    // The batch runs with the window in view at its laid-out place.
    if (isMinimized()) showNormal();
    if (m_laidOut) move(m_geometry.window.topLeft());
    if (m_actions) m_actions->FilesDropped(queue);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            if (IsSwallowedKey(event)) return true;
            if (event->type() == QEvent::ToolTip && m_state && !TooltipsShown(*m_state))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace framewise
