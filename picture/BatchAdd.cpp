#include "picture/BatchAdd.h"

#include "album/FrameSession.h"
#include "picture/AddPicture.h"
#include "picture/PreviewCanvas.h"

namespace framewise {

BatchAdd::BatchAdd(PictureAdder& adder, PreviewCanvas& canvas) : m_adder(adder), m_canvas(canvas) {}

BatchAdd::~BatchAdd() {
    Join();
}

void BatchAdd::OnGui(const std::function<void()>& step) {
    if (m_guiCall)
        m_guiCall(step);
    else
        step();
}

bool BatchAdd::Start() {
    if (m_running) return false;
    Join();
    m_running = true;
    m_hWorker = std::thread([this] { Run(); });
    return true;
}

void BatchAdd::RunSynchronously() {
    if (m_running) return;
    Join();
    m_running = true;
    Run();
}

void BatchAdd::Join() {
    if (m_hWorker.joinable()) m_hWorker.join();
}

void BatchAdd::Run() {
    AppState& state = m_adder.Session().State();
    state.m_bBatchAdding = true;
    m_added = 0;
    const std::vector<std::string> queue = m_adder.AddQueue();
    m_items.clear();
    for (const std::string& path : queue) m_items.push_back({path});
    const int last = static_cast<int>(queue.size()) - 1;
    for (int i = 0; i <= last; ++i) {
        const std::string& path = queue[size_t(i)];
        bool shown = false;
        bool added = false;
        bool room = true;
        bool toldByAdd = false;
        // The picture is shown, and added through the rebuild, on the window's thread; the
        // flash model is the window's too, so the room check runs there as well.
        OnGui([&] {
            AlbumListModel& list = m_adder.Session().List();
            const int before = list.ItemCount();
            const int memFull = m_adder.MemFullShown();
            shown = m_canvas.ShowPicture(path);
            if (!shown) return;
            added = list.ItemCount() > before;
            toldByAdd = m_adder.MemFullShown() != memFull;
            // Only a picture that became album picture gets a source entry, so that entry k
            // stays the source of album picture k + 1.
            if (added) {
                m_adder.Session().Folder().AppendSourcePath(path);
                BatchItem& item = m_items[size_t(i)];
                item.added = true;
                item.quality = m_adder.LastQuality();
                item.size = m_adder.LastStreamSize();
            }
            room = m_adder.CheckRoom();
        });
        if (added) ++m_added;
        if (!shown || room) continue;
        const bool inside = i > 0 && i < last;
        if ((inside || m_adder.BatchCount() == 1) && !toldByAdd) {
            OnGui([&] {
                m_adder.CountMemFullShown();
                m_adder.GetFrontend().ShowMessage(
                    m_adder.Session().GetLanguage().Tr(kMemFullKey, kMemFullText));
            });
        }
        break;
    }
    state.m_bBatchAdding = false;
    m_running = false;
    m_adder.GetFrontend().PostEvent("ProcessFinish");
}

void BatchAdd::Finish() {
    Join();
    FrameSession& session = m_adder.Session();
    AlbumListModel& list = session.List();
    list.RefreshAlbumList(false, false);
    session.Store().UpdatePictureTotal(list.ItemCount());
    session.State().m_bModified = true;
    list.SetFocus(true);
    list.EnsureVisible(list.ItemCount() - 1);
    session.State().m_bAdding = false;
    m_adder.EnableControls(true);
}

}  // namespace framewise
