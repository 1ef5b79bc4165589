// The folder browser's presenter: it wires the folder tree and the folder picture list, keeps
// the chosen folder with its picture names, and runs the thumbnails. The window routes the three
// thumbnail events to it and answers a few hooks; everything else happens here.
//
// The window's part, in short:
//   tree = new FolderTreeCtrl(dialog); list = new FolderPictureList(workbench.FolderList(),
//   dialog); FolderBrowser browser(*tree, *list); tree->populateRoots();
//   browser.ApplyLanguage(language); browser.UseWorkbench(workbench);
//   browser.SetHooks({.setThumbnailRunActive = ...,
//       .invalidatePreview = ..., .rememberFolderPicture = ..., .enablePictureButtons = ...});
//   browser.SetEventPoster(frontend's PostEvent); in the event dispatch: browser.HandleEvent(...);
//   at attach: SetThumbnailGeometry(SThumbWidth, SThumbColumn), SetThumbFolder(the work root's
//   "SourceFile"); at close or device removal: CancelRun().
#pragma once

#include <QColor>
#include <QObject>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/FolderPictureList.h"
#include "browser/ThumbnailRun.h"
#include "browser/WaitBoxSeam.h"

namespace framewise {

class FolderTreeCtrl;
class Language;
class Workbench;

// What the browser needs of the window around it. Every hook may be left empty.
struct BrowserHooks {
    std::function<bool()> isReady;  // m_bReady: no album transfer runs
    // A thumbnail run starts (true) or ends (false). Without it the browser disables and
    // enables the tree and the list itself.
    std::function<void(bool running)> setThumbnailRunActive;
    // The preview's current picture is cleared (m_strSourcePath), and the preview repainted.
    std::function<void()> clearPreviewPicture;
    std::function<void()> invalidatePreview;  // InvalidatePreview
    // ShowPicture of a folder picture (the crop frame comes up on); true when shown.
    std::function<bool(const std::string& path)> showFolderPicture;
    // The folder picture last shown, which Delete shows again once the album is empty.
    std::function<void(const std::string& path)> rememberFolderPicture;
    // Zoom In, Zoom Out, Rotate Left and Rotate Right (1004, 1008, 1023, 1011).
    std::function<void(bool enable)> enablePictureButtons;
};

class FolderBrowser : public QObject {
    Q_OBJECT
  public:
    // The widgets are the window's (placed at 1025 and 1070); the list's selection model is
    // the one Add reads.
    FolderBrowser(FolderTreeCtrl& tree, FolderPictureList& list, QObject* parent = nullptr);
    ~FolderBrowser() override;

    // Takes the hooks that are set in hooks; the others stay as they were.
    void SetHooks(const BrowserHooks& hooks);
    // The ready flag and the preview hooks over a workbench's session and canvas; the list
    // keeps its items and selection in the workbench's folder list, which Add reads.
    void UseWorkbench(Workbench& workbench);
    // How events reach the window: its Frontend's PostEvent. Without one, events come back to
    // HandleEvent here through the event loop.
    void SetEventPoster(EventPoster poster) { m_poster = std::move(poster); }
    void SetWaitBoxFactory(WaitBoxFactory factory) { m_waitBoxFactory = std::move(factory); }
    // The thumbnail folder (the work root's "SourceFile") and the frame colour.
    void SetThumbFolder(std::filesystem::path folder) { m_strThumbFolder = std::move(folder); }
    void SetButtonFace(QColor colour) { m_buttonFace = colour; }
    // SThumbWidth and SThumbColumn as read at attach.
    void SetThumbnailGeometry(int sThumbWidth, int sThumbColumn);
    void SetLimits(const ThumbnailLimits& limits) { m_limits = limits; }
    // The captions of the tree's roots in the current language.
    void ApplyLanguage(const Language& language);

    // The window's handlers of the three thumbnail events. Answers true for a browser event.
    bool HandleEvent(std::string_view name, long wParam);
    void OnSourceTileToBmp();
    void OnSourceTileToBmpOne(long index);
    void OnSourceTileToBmpFinish();

    // The tree's selection changed (TVN_SELCHANGED).
    void OnFolderSelected();
    // A click or selection change in the folder picture list.
    void OnFolderPictureClick();
    // Stops a thumbnail run (the window closes, or the device goes).
    void CancelRun();

    bool RunActive() const { return m_run.Active(); }
    const std::string& CurrentFolder() const { return m_strCurrentFolder; }
    const std::vector<std::string>& FolderPictureNames() const { return m_folderPictureNames; }
    int ThumbCount() const { return m_nThumbCount; }
    int FolderSelCount() const { return m_nFolderSelCount; }
    const std::string& FolderPicture() const { return m_strFolderPicture; }

  private:
    void OnExpansionChanged();
    void OnFolderPicturesFound(const std::string& folder, std::vector<std::string> names);
    void Post(std::string_view name, long wParam);
    void SetRunActive(bool active);
    void CloseWaitBox();

    FolderTreeCtrl& m_tree;
    FolderPictureList& m_list;
    BrowserHooks m_hooks;
    EventPoster m_poster;
    WaitBoxFactory m_waitBoxFactory = MakeStandInWaitBox;
    std::unique_ptr<WaitBoxView> m_waitBox;
    ThumbnailRun m_run;
    ThumbnailLimits m_limits;
    QColor m_buttonFace{240, 240, 240};

    std::string m_strCurrentFolder;
    std::vector<std::string> m_folderPictureNames;
    std::filesystem::path m_strThumbFolder;
    std::string m_strThumbName;
    int m_nThumbCount = 0;
    int m_nFolderSelCount = 0;
    std::string m_strFolderPicture;
};

}  // namespace framewise
