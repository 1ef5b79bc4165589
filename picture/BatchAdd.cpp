#include "picture/BatchAdd.h"

#include <mutex>
#include <system_error>

#include "album/FrameSession.h"
#include "config/EventNames.h"
#include "picture/AddPicture.h"
#include "picture/PreviewCanvas.h"

namespace framewise {

BatchAdd::BatchAdd(PictureAdder& adder, PreviewCanvas& canvas) : m_adder(adder), m_canvas(canvas) {}

BatchAdd::~BatchAdd() {
    Join();
}

void BatchAdd::OnWindowThread(const std::function<void()>& step) {
    m_adder.GetFrontend().RunOnWindowThread(step);
}

bool BatchAdd::Start() {
    if (m_running) return false;
    Join();
    // Normally set already where the batch was accepted; a batch started without that is
    // marked here, still on the window's thread.
    m_adder.Session().State().m_bBatchAdding = true;
    m_running = true;
    try {
        m_hWorker = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread: the batch ends before it began, so that the window gets its controls back.
        m_items.clear();
        m_added = 0;
        m_processed = 0;
        m_queued = 0;
        m_progressOff = false;
        End();
        return false;
    }
    return true;
}

void BatchAdd::RunSynchronously() {
    if (m_running) return;
    Join();
    m_adder.Session().State().m_bBatchAdding = true;
    m_running = true;
    Run();
}

void BatchAdd::RequestStop() {
    std::lock_guard lock(m_stopMutex);
    // Only a batch that has been accepted can be stopped; a late request must not stop the
    // next one before it starts.
    if (m_adder.Session().State().m_bBatchAdding) m_stopRequested = true;
}

void BatchAdd::Join() {
    if (m_hWorker.joinable()) m_hWorker.join();
}

void BatchAdd::Run() {
    FrameSession& session = m_adder.Session();
    AppState& state = session.State();
    Frontend& frontend = m_adder.GetFrontend();
    m_added = 0;
    m_processed = 0;
    m_stopped = false;
    const std::vector<std::string> queue = m_adder.AddQueue();
    m_queued = static_cast<int>(queue.size());
    m_items.clear();
    for (const std::string& path : queue) m_items.push_back({path});
    const int total = static_cast<int>(queue.size());
    const int last = total - 1;
    m_progressOff = session.Connection().Context().ProgressCtrlOff();
    if (m_progressOff) frontend.ShowProgress(true);
    // In per cent, as every transfer shows it on the same bar.
    frontend.SetProgressRange(0, 100);
    frontend.SetProgressPos(0);

    for (int i = 0; i <= last; ++i) {
        if (m_stopRequested) {
            m_stopped = true;
            break;
        }
        // The album may have stopped being the frame's (the frame went away, its read was
        // lost): nothing more goes into it.
        if (!state.m_bAlbumRead || !state.m_bAttached) break;
        m_processed = i + 1;
        frontend.SetStatusText(std::to_string(i + 1) + " / " + std::to_string(total));
        const std::string& path = queue[size_t(i)];
        // Read and reduced here, on the worker: the window's thread then only frames the
        // picture and adds it, and stays free for the user while the next file decodes.
        PreparedPicture prepared = PreparePicture(path);
        bool shown = false;
        bool added = false;
        bool room = true;
        bool toldByAdd = false;
        // The picture is shown, and added through the rebuild, on the window's thread; the
        // flash model is the window's too, so the room check runs there as well. The step is
        // whole: a stop takes effect only between pictures, with the album folder, the list,
        // the flash model and SourcePathList in step.
        OnWindowThread([&] {
            AlbumListModel& list = session.List();
            const int before = list.ItemCount();
            const int memFull = m_adder.MemFullShown();
            m_canvas.SetPrepared(std::move(prepared));
            shown = m_canvas.ShowPicture(path);
            if (!shown) return;
            added = list.ItemCount() > before;
            toldByAdd = m_adder.MemFullShown() != memFull;
            if (!added) return;
            // Only a picture that became album picture gets a source entry, so that entry k
            // stays the source of album picture k + 1.
            session.Folder().AppendSourcePath(path);
            BatchItem& item = m_items[size_t(i)];
            item.added = true;
            item.quality = m_adder.LastQuality();
            item.size = m_adder.LastStreamSize();
            room = m_adder.CheckRoom();
        });
        frontend.SetProgressPos((i + 1) * 100 / total);
        if (added) ++m_added;
        // A picture that could not be shown or was refused is skipped; only a full album (the
        // Add said so) or a full flash ends the batch.
        if (!added) {
            if (toldByAdd) break;
            continue;
        }
        if (room) continue;
        const bool inside = i > 0 && i < last;
        if (inside || m_adder.BatchCount() == 1) {
            OnWindowThread([&] {
                m_adder.CountMemFullShown();
                frontend.ShowMessage(session.GetLanguage().Tr(kMemFullKey, kMemFullText));
            });
        }
        break;
    }
    End();
}

void BatchAdd::End() {
    Frontend& frontend = m_adder.GetFrontend();
    frontend.SetProgressPos(0);
    if (m_progressOff) frontend.ShowProgress(false);
    {
        std::lock_guard lock(m_stopMutex);
        m_adder.Session().State().m_bBatchAdding = false;
        m_stopRequested = false;
    }
    m_running = false;
    // The last act: the window's handler may join this thread at once.
    frontend.PostEvent(events::kProcessFinish);
}

void BatchAdd::Finish() {
    Join();
    FrameSession& session = m_adder.Session();
    AlbumListModel& list = session.List();
    list.RefreshAlbumList(false, false);
    session.Store().UpdatePictureTotal(list.ItemCount());
    // A batch that added nothing leaves the album as the frame holds it.
    if (m_added > 0) session.State().m_bModified = true;
    list.SetFocus(true);
    list.EnsureVisible(list.ItemCount() - 1);
    session.State().m_bAdding = false;
    m_adder.EnableControls(true);
}

}  // namespace framewise
