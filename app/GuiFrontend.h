// The core's Frontend on widgets: a call made on the window's thread runs at once; a call
// from a worker is marshalled there, posted for the status, progress, total and events,
// blocking until answered for the message boxes, the choosers and RunOnWindowThread.
#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <set>

#include "config/Frontend.h"

class QWidget;

namespace framewise {

// What the frontend changes on the window; the main window implements it (tests use a
// small dialog of their own). Called on the window's thread only.
class FrontendSurface {
  public:
    virtual ~FrontendSurface() = default;
    virtual void ShowStatusText(const QString& text) = 0;
    virtual void ShowProgressRange(int low, int high) = 0;
    virtual void ShowProgressPos(int pos) = 0;
    virtual void ShowProgressBar(bool show) = 0;
    virtual void ShowPictureTotal(const QString& text) = 0;
    // A named window event (config/EventNames.h).
    virtual void DeliverEvent(const QString& name, long wParam) = 0;
    // The parent and the title of the message boxes and dialogs.
    virtual QWidget* DialogParent() = 0;
    virtual QString DialogTitle() const = 0;
};

class GuiFrontend : public QObject, public Frontend {
    Q_OBJECT
  public:
    // Made on the window's thread; its calls are delivered there.
    explicit GuiFrontend(FrontendSurface& surface, QObject* parent = nullptr);
    ~GuiFrontend() override;

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;
    void ShowProgress(bool show) override;
    void SetPictureTotalText(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
    std::optional<std::string> ChooseSaveFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    void PostEvent(std::string_view name, long wParam = 0) override;
    void RunOnWindowThread(const std::function<void()>& step) override;

    // True on the thread the window's calls are delivered to.
    bool OnWindowThread() const;

    // The window is going away (called on its thread): a worker waiting in a blocking call
    // is released with the safe answer (No, Cancel, nothing chosen, the step not run), and
    // every later call is dropped, so that joining a worker afterwards cannot hang.
    void Close();

  private:
    struct PendingCall;

    template <typename Step>
    void Post(Step&& step);
    template <typename Step>
    void Send(Step&& step);

    FrontendSurface& m_surface;
    std::mutex m_mutex;
    bool m_closed = false;
    std::set<std::shared_ptr<PendingCall>> m_pending;
};

}  // namespace framewise
