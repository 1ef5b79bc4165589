#include "app/BrowserSide.h"

#include <QPointer>

#include "album/FrameSession.h"
#include "app/ControlEnabling.h"
#include "app/MainWindow.h"
#include "app/PictureSide.h"
#include "app/PictureSideHooks.h"
#include "browser/FolderBrowser.h"
#include "browser/FolderTreeCtrl.h"
#include "config/ControlIds.h"
#include "config/Frontend.h"
#include "controls/WaitBox.h"
#include "picture/Workbench.h"

namespace framewise {

namespace {

template <typename T>
T& Widget(MainWindow& window, int id) {
    T* widget = qobject_cast<T*>(window.Control(id));
    Q_ASSERT(widget);
    return *widget;
}

// The controls' wait box as the thumbnail run shows it: made and changed on the window's
// thread, closed when the run lets it go.
class WaitBoxOnWindow : public WaitBoxView {
  public:
    explicit WaitBoxOnWindow(QWidget* parent) : m_box(new WaitBox(parent)) { m_box->show(); }
    ~WaitBoxOnWindow() override { delete m_box.data(); }
    void SetText(const QString& text) override {
        if (m_box) m_box->SetText(text);
    }

  private:
    QPointer<WaitBox> m_box;
};

}  // namespace

BrowserSide::BrowserSide(MainWindow& window, Workbench& workbench, Frontend& frontend,
                         PictureSide& pictures)
    : m_window(window),
      m_workbench(workbench),
      m_tree(Widget<FolderTreeCtrl>(window, kIdFolderTree)),
      m_list(Widget<FolderPictureList>(window, kIdFolderPictureList)) {
    m_browser = std::make_unique<FolderBrowser>(m_tree, m_list);
    // The list's items and selection are the ones Add, the batch and the click read.
    m_browser->UseWorkbench(workbench);
    m_browser->SetButtonFace(window.palette().color(QPalette::Button));
    m_browser->ApplyLanguage(workbench.Session().GetLanguage());
    m_browser->SetEventPoster(
        [&frontend](std::string_view name, long wParam) { frontend.PostEvent(name, wParam); });
    m_browser->SetWaitBoxFactory(
        [](QWidget* parent) { return std::make_unique<WaitBoxOnWindow>(parent); });
    BrowserHooks hooks;
    hooks.setThumbnailRunActive = [&window](bool running) {
        window.SetDisabled(DisableReason::Thumbnails, running);
    };
    hooks.invalidatePreview = [&pictures] { pictures.InvalidatePreview(); };
    hooks.showFolderPicture = [&pictures](const std::string& path) {
        return pictures.ShowFolderPicture(path);
    };
    hooks.rememberFolderPicture = [&pictures](const std::string& path) {
        pictures.RememberFolderPicture(path);
    };
    hooks.enablePictureButtons = [&pictures](bool enable) {
        pictures.EnablePictureButtons(enable);
    };
    m_browser->SetHooks(hooks);
}

BrowserSide::~BrowserSide() = default;

void BrowserSide::FillHooks(PictureSideHooks& hooks) {
    hooks.thumbnailsRunning = [this] { return m_browser->RunActive(); };
    hooks.stopThumbnails = [this] { m_browser->CancelRun(); };
    hooks.thumbnailEvent = [this](const std::string& name, long wParam) {
        m_browser->HandleEvent(name, wParam);
    };
    RunBefore(hooks.frameArrived, [this] { Arrived(); });
    RunBefore(hooks.frameAttached, [this] { Attached(); });
}

void BrowserSide::Attached() {
    const ThumbnailKeys& keys = m_workbench.Session().Connection().Thumbnails();
    m_browser->SetThumbnailGeometry(keys.sThumbWidth, keys.sThumbColumn);
    m_browser->SetThumbFolder(m_workbench.Session().Paths().thumbFolder);
}

void BrowserSide::Arrived() {
    m_browser->CancelRun();
    m_tree.setCurrentItem(nullptr);
    m_list.DeleteAllItems();
}

}  // namespace framewise
