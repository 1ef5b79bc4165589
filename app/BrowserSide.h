// The folder browser in the window: the folder tree (1025) and the folder picture list (1070)
// wired to the picture side (the preview, the zoom and rotate buttons, Add's selection), to the
// window's events and enabling, and to the controls' wait box.
#pragma once

#include <memory>

namespace framewise {

class FolderBrowser;
class FolderPictureList;
class FolderTreeCtrl;
class Frontend;
class MainWindow;
class PictureSide;
class Workbench;
struct PictureSideHooks;

class BrowserSide {
  public:
    // The window's controls 1025 and 1070 must be the browser's widgets.
    BrowserSide(MainWindow& window, Workbench& workbench, Frontend& frontend,
                PictureSide& pictures);
    ~BrowserSide();
    BrowserSide(const BrowserSide&) = delete;
    BrowserSide& operator=(const BrowserSide&) = delete;

    // The thumbnail run's events, whether it runs and stopping it, the arrival's clean slate.
    void FillHooks(PictureSideHooks& hooks);
    // After each attach: the thumbnail geometry the connection read (SThumbWidth,
    // SThumbColumn) and the thumbnail folder of the work root.
    void Attached();
    // A frame arrived: no folder chosen, no thumbnails, nothing in the preview.
    void Arrived();

    FolderBrowser& Browser() { return *m_browser; }
    FolderTreeCtrl& Tree() { return m_tree; }
    FolderPictureList& List() { return m_list; }

  private:
    MainWindow& m_window;
    Workbench& m_workbench;
    FolderTreeCtrl& m_tree;
    FolderPictureList& m_list;
    std::unique_ptr<FolderBrowser> m_browser;
};

}  // namespace framewise
