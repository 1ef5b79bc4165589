// The main window: one fixed-geometry dialog holding every control by its numeric id. It
// turns Qt events into calls - commands and accelerators to WindowActions, named window
// events to the EventTable, the close request through the close decision - and shows what
// the program tells it through the FrontendSurface.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

#include "app/ContextMenu.h"
#include "app/ControlEnabling.h"
#include "app/GuiFrontend.h"
#include "app/OpeningAnimation.h"
#include "app/StatusLine.h"
#include "app/WindowControls.h"
#include "app/WindowEvents.h"
#include "app/WindowLayout.h"

namespace framewise {

struct AppState;
class Frontend;
class Language;
class WindowActions;

class MainWindow : public QDialog, public FrontendSurface {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The shared flags, the texts and the user seam the window's decisions use. Until set,
    // every guard passes and a close request quits.
    void SetCore(AppState& state, const Language& language, Frontend& frontend);
    void SetActions(WindowActions* actions) { m_actions = actions; }
    EventTable& Events() { return m_events; }
    WindowControls& Controls() { return *m_controls; }
    QWidget* Control(int id) const { return m_controls->Get(id); }

    // Start-up settings.
    void SetTitle(const QString& title);
    // "OFF": the progress bar shows only while a transfer runs.
    void SetProgressCtrlOff(bool off);
    // The screen the layout is computed for; the primary screen's size when not set.
    void SetScreenSize(std::optional<QSize> size) { m_screenOverride = size; }

    // Shows the window collapsed and grows it tick by tick; the first paint after that
    // lays it out.
    void StartOpening();
    void TickOpening();
    const OpeningAnimation* Opening() const { return m_opening.get(); }
    void LayoutMainWindow();
    bool LaidOut() const { return m_laidOut; }
    const WindowGeometry& Geometry() const { return m_geometry; }
    int PreviewTop() const { return m_geometry.previewTop; }

    // Texts.
    void SetLanguageMenu(const LanguageMenu& menu);
    void ApplyLanguageSwitch(const LanguageSwitch& change);
    void CreateStatusBar();
    StatusLine* Status() const { return m_status; }
    void SetStatusText(const QString& text);
    const ContextMenuModel& Menu() const { return m_menu; }

    // A reason that disables command controls starts or ends.
    void SetDisabled(DisableReason reason, bool holds);
    const ControlEnabling& Enabling() const { return m_enabling; }
    void ShowConnection(bool connected);

    // Ends the window (the program's modal loop) with code, after the actions' clean-up.
    void EndProgram(int code = 0);
    bool Ending() const { return m_ending; }

    // FrontendSurface.
    void ShowStatusText(const QString& text) override { SetStatusText(text); }
    void ShowProgressRange(int low, int high) override;
    void ShowProgressPos(int pos) override;
    void ShowProgressBar(bool show) override;
    void ShowPictureTotal(const QString& text) override;
    void DeliverEvent(const QString& name, long wParam) override;
    QWidget* DialogParent() override { return this; }
    QString DialogTitle() const override { return windowTitle(); }

  signals:
    // The window's first paint, once (the start-up benchmark watches for it).
    void FirstPainted();

  public slots:
    void OnCommand(int commandId);
    void OnAccelerator(int commandId);
    void OnSynchronize();
    void OnDelete();
    void OnSelectAll();
    void OnMoveUp();
    void OnMoveDown();
    void OnAdd();
    void OnAddAccelerator();
    void OnZoomIn();
    void OnZoomOut();
    void OnRect();
    void OnRotateLeft();
    void OnRotateRight();
    void OnSave();
    void OnSaveAll();
    void OnExit();
    void OnMenuCommand(int commandId);
    void OnAbout();
    // A second start asked this one to come forward.
    void RaiseFromSecondStart();
    // The close box, Exit and Ctrl+E.
    void RequestClose();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSize ScreenSize() const;
    bool DropTaken() const;

    std::unique_ptr<WindowControls> m_controls;
    QPointer<StatusLine> m_status;
    QString m_statusLeft = QStringLiteral("Info:");
    ControlEnabling m_enabling;
    ContextMenuModel m_menu;
    EventTable m_events;
    WindowGeometry m_geometry;
    std::unique_ptr<OpeningAnimation> m_opening;
    QTimer m_openingTimer;
    std::optional<QSize> m_screenOverride;
    bool m_layoutPending = false;
    bool m_laidOut = false;
    bool m_progressCtrlOff = false;
    bool m_ending = false;
    bool m_painted = false;
    AppState* m_state = nullptr;
    const Language* m_language = nullptr;
    Frontend* m_frontend = nullptr;
    WindowActions* m_actions = nullptr;
};

}  // namespace framewise
