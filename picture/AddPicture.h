// Add: the framed part of the preview becomes the next album picture, encoded small enough
// for its share of the free flash, placed in the picture store and decoded back into the album.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "picture/FolderSelection.h"
#include "picture/Geometry.h"

namespace framewise {

class FrameSession;
class Frontend;
class PreviewCanvas;

// The message shown when no more pictures fit.
inline constexpr const char* kMemFullKey = "MEMFULL_TIPS_1";
inline constexpr const char* kMemFullText =
    "The maximum number of images has been reached.  Delete some images before adding any more.";

class PictureAdder {
  public:
    PictureAdder(FrameSession& session, PreviewCanvas& canvas, FolderSelection& folderList,
                 Frontend& frontend);

    // EnableControls of the window and the Add button (control 1019); either may be empty.
    void SetEnableControls(std::function<void(bool)> enable) {
        m_enableControls = std::move(enable);
    }
    void SetAddButtonHandler(std::function<void(bool)> enable) { m_enableAdd = std::move(enable); }
    void EnableControls(bool enable) {
        if (m_enableControls) m_enableControls(enable);
    }

    // The Add command. True when a picture was added to the album; false when it was ignored,
    // refused, or turned into a batch of the selected folder pictures (see BatchRequested).
    bool AddPicture();
    // A left double-click: inside the crop frame it adds the picture without moving on in the
    // folder list. True when a picture was added.
    bool AddByDoubleClick(Point p);
    // Whether one more picture of the temporary JPEG file's size fits (repacking first when
    // that makes room); shows MEMFULL_TIPS_1 once when it does not while an Add runs.
    bool CheckRoom();

    // Files and folders dropped on the window: while the album may change (CanChangeAlbum)
    // the pictures among them become a batch (AcceptBatch). False when the drop is swallowed.
    bool DropFiles(const std::vector<std::string>& items);

    // Whether the album may take pictures now: ready, attached, the frame's album read in full
    // for this connection, and no batch running.
    bool CanChangeAlbum() const;
    // Accepts a batch of paths on the window's thread: controls off, the add queue filled,
    // m_bBatchAdding set and "ReceivePic" posted, whose handler starts BatchAdd. False, with
    // nothing changed, when the album may not change now.
    bool AcceptBatch(std::vector<std::string> paths);

    // The add queue the batch worker takes its paths from, in order.
    void SetAddQueue(std::vector<std::string> paths);
    std::vector<std::string> AddQueue() const;

    // The quality slider (10..100); the device's quality byte replaces it at attach.
    void SetJpgQuality(int quality);
    int JpgQuality() const { return m_nJpgQuality; }
    // Called after an attach: the starting quality comes from the device.
    void TakeDeviceQuality();

    bool AddButtonEnabled() const { return m_bAddEnabled; }
    int AddingNumber() const { return m_nAddingNumber; }
    int BatchCount() const { return m_nBatchCount; }
    long long Budget() const { return m_nBudget; }
    // Times MEMFULL_TIPS_1 was shown by Add or CheckRoom (the batch avoids showing it twice).
    int MemFullShown() const { return m_nMemFullShown; }
    void CountMemFullShown() { ++m_nMemFullShown; }
    // The last Add's stream: quality and size (0 when none was accepted).
    int LastQuality() const { return m_nLastQuality; }
    size_t LastStreamSize() const { return m_nLastSize; }

    FrameSession& Session() { return m_session; }
    Frontend& GetFrontend() { return m_frontend; }

    bool m_bAdvance = true;  // select the next folder picture after a single Add

  private:
    // A way out of Add after it started: the flag cleared, the Add button back.
    bool Leave(bool inBatch);
    void ShowMemFull();
    void EnableAdd(bool enable);
    bool StartBatchFromSelection();
    // Shows why and answers true when the frame's album is read-only.
    bool RefusedReadOnly();

    FrameSession& m_session;
    PreviewCanvas& m_canvas;
    FolderSelection& m_folderList;
    Frontend& m_frontend;
    std::function<void(bool)> m_enableControls;
    std::function<void(bool)> m_enableAdd;

    mutable std::mutex m_queueMutex;
    std::vector<std::string> m_addQueue;

    int m_nJpgQuality = 90;
    long long m_nBudget = 0;
    int m_nAddingNumber = 0;
    int m_nBatchCount = 0;
    int m_nMemFullShown = 0;
    int m_nLastQuality = 0;
    size_t m_nLastSize = 0;
    bool m_bAddEnabled = true;
};

}  // namespace framewise
