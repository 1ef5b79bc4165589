// The picture side of one run: the frame session's album with a preview canvas, Add and the
// batch worker wired together, as the command line and the window use them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "picture/AddPicture.h"
#include "picture/BatchAdd.h"
#include "picture/FolderSelection.h"
#include "picture/PreviewCanvas.h"

namespace framewise {

class FrameSession;
class Frontend;

// How a picture is framed for the LCD: the centred crop frame at the first zoom size, or the
// crop frame off and the whole picture stretched to the LCD.
enum class FitMode { Crop, Stretch };

class Workbench {
  public:
    // frontend: the one the session was made with.
    Workbench(FrameSession& session, Frontend& frontend);

    // After an attach: the LCD size, the dpf decoder and the device's starting quality.
    void Attached();
    // The window's own work after each rebuild (drawing); a running batch adds after it.
    void SetRebuiltHandler(std::function<void()> handler) { m_onRebuilt = std::move(handler); }
    // How the following pictures are framed.
    void SetFitMode(FitMode mode);

    // Accepts the paths as a batch and runs it to its end on this thread, "ProcessFinish"
    // included; answers the pictures added (0, with no batch run, when the album may not
    // change now).
    int AddAll(const std::vector<std::string>& paths);

    FrameSession& Session() { return m_session; }
    PreviewCanvas& Canvas() { return m_canvas; }
    PictureAdder& Adder() { return m_adder; }
    BatchAdd& Batch() { return m_batch; }
    FolderSelection& FolderList() { return m_folderList; }

  private:
    FrameSession& m_session;
    FolderSelection m_folderList;
    PreviewCanvas m_canvas;
    PictureAdder m_adder;
    BatchAdd m_batch;
    std::function<void()> m_onRebuilt;
};

}  // namespace framewise
