// The thumbnail run: a folder's pictures decoded ahead on worker threads, each thumbnail also
// written to the thumbnail folder, and handed to the GUI thread one by one in list order.
#pragma once

#include <QColor>
#include <QImage>
#include <QThreadPool>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "browser/ThumbnailRender.h"

namespace framewise {

// Posts a window event by name ("SourceTileToBmpONE" with the picture's index); called from
// the worker threads, so it must be safe to call from any thread.
using EventPoster = std::function<void(std::string_view name, long wParam)>;

struct ThumbnailJob {
    std::string folderPrefix;           // the folder, ending in "/"
    std::vector<std::string> names;     // FolderPictureNames, in list order
    int side = 48;                      // SThumbWidth
    QColor buttonFace{240, 240, 240};   // the frame colour
    std::filesystem::path thumbFolder;  // emptied at the start; empty: no files written
    ThumbnailLimits limits;
};

class ThumbnailRun {
  public:
    // threads: decoders working ahead at once (the GUI thread only places the results).
    explicit ThumbnailRun(int threads = 2);
    // Cancels the run and waits for the decoders, each finishing at most the file in hand.
    ~ThumbnailRun();
    ThumbnailRun(const ThumbnailRun&) = delete;
    ThumbnailRun& operator=(const ThumbnailRun&) = delete;

    // Cancels a run in progress, empties the thumbnail folder and starts decoding; poster
    // announces each finished picture.
    void Start(ThumbnailJob job, EventPoster poster);
    // Stops the run: nothing more is decoded, written or handed over.
    void Cancel();

    // What the GUI thread takes next, in list order.
    enum class Next {
        NotReady,   // the next picture is still being decoded (or no run)
        Thumbnail,  // index and framed are set
        Skipped,    // index is set: the picture could not be read; it leaves no gap
        Done,       // every picture has been handed over; answered once per run
    };
    Next TakeNext(int& index, QImage& framed);
    // After Done: posts "SourceTileToBmpFinish" once the run's thumbnail files are written.
    void FinishAfterFiles();

    // A run has started and has not yet posted its end (nor been cancelled).
    bool Active() const;
    int Count() const;
    // The name of the running run's picture index (as its job was given it).
    std::string Name(int index) const;

  private:
    struct State;
    void Decode(const std::shared_ptr<State>& state, int index);

    QThreadPool m_pool;    // the decoders
    QThreadPool m_writer;  // one thread: empties the thumbnail folder, then writes the files
    std::shared_ptr<State> m_state;
};

}  // namespace framewise
