#include "album/FrameSession.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

#include "config/StartupConfig.h"

namespace framewise {

class FrameSession::EventTap : public Frontend {
  public:
    explicit EventTap(Frontend& inner) : m_inner(inner) {}

    void SetStatusText(const std::string& text) override { m_inner.SetStatusText(text); }
    void SetProgressRange(int low, int high) override { m_inner.SetProgressRange(low, high); }
    void SetProgressPos(int pos) override { m_inner.SetProgressPos(pos); }
    void ShowProgress(bool show) override { m_inner.ShowProgress(show); }
    void SetPictureTotalText(const std::string& text) override {
        m_inner.SetPictureTotalText(text);
    }
    void ShowMessage(const std::string& text) override { m_inner.ShowMessage(text); }
    void ShowWarning(const std::string& title, const std::string& text) override {
        m_inner.ShowWarning(title, text);
    }
    bool AskYesNo(const std::string& text) override { return m_inner.AskYesNo(text); }
    Answer AskYesNoCancel(const std::string& text) override { return m_inner.AskYesNoCancel(text); }
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        return m_inner.ChooseFolder(title);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& defaultExtension,
                                              const std::string& filter) override {
        return m_inner.ChooseSaveFile(defaultExtension, filter);
    }
    // The session is the main window of a headless run: it takes the events itself and
    // passes them on for whoever watches.
    void PostEvent(std::string_view name, long wParam) override {
        {
            std::lock_guard lock(m_mutex);
            m_events.emplace_back(std::string(name), wParam);
        }
        m_inner.PostEvent(name, wParam);
    }

    std::deque<std::pair<std::string, long>> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_events, {});
    }

  private:
    Frontend& m_inner;
    std::mutex m_mutex;
    std::deque<std::pair<std::string, long>> m_events;
};

namespace {

bool Contains(const std::deque<std::pair<std::string, long>>& events, std::string_view name) {
    return std::any_of(events.begin(), events.end(),
                       [&](const auto& e) { return e.first == name; });
}

}  // namespace

FrameSession::FrameSession(Frontend& frontend) : m_tap(std::make_unique<EventTap>(frontend)) {}

FrameSession::~FrameSession() {
    Close();
    ReleaseWorkRoot();
}

void FrameSession::ReleaseWorkRoot() {
    if (m_workRootLock < 0) return;
    ::close(m_workRootLock);  // closing the descriptor drops the lock
    m_workRootLock = -1;
}

bool FrameSession::Open(const FrameSessionOptions& options, std::string& error) {
    if (m_open) {
        error = "the session is already open";
        return false;
    }
    auto paths = WorkPaths::Prepare(options.workRoot, error);
    if (!paths) return false;
    m_paths = *paths;
    m_workRootLock = ::open(m_paths.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_workRootLock < 0 || ::flock(m_workRootLock, LOCK_EX | LOCK_NB) != 0) {
        ReleaseWorkRoot();
        error = "the work folder " + m_paths.root.string() + " is in use by another program";
        return false;
    }

    const std::filesystem::path data =
        options.dataFolder.empty() ? FindDataFolder() : options.dataFolder;
    StartupConfig startup(data, m_paths);
    startup.Run(m_settings, m_language, *m_tap);

    m_context = std::make_unique<TransferContext>(
        TransferContext{*m_tap, m_language, m_settings, m_state, m_paths, {}, {}});

    DeviceLinkOptions linkOptions;
    if (options.simulateImage) {
        m_simulated = SimulatedFrame::Open(*options.simulateImage, error);
        if (!m_simulated) {
            ReleaseWorkRoot();
            return false;
        }
        linkOptions.simulatedFrame = m_simulated;
    }
    linkOptions.useUdev = false;  // one run, one scan: nobody waits for notifications
    linkOptions.languageIndex = [this] { return m_language.LangIndex(); };
    m_link = std::make_unique<DeviceLink>(*m_tap, linkOptions);
    m_link->Start();
    m_commands = std::make_unique<DeviceCommands>(*m_link);
    m_connection = std::make_unique<DeviceConnection>(*m_context, *m_commands);

    m_folder.SetPath(m_paths.albumFolder);
    m_list = std::make_unique<AlbumListModel>(m_folder, m_state);
    m_store = std::make_unique<AlbumStore>(m_paths, m_folder, *m_list, m_state, *m_tap, m_language,
                                           [this] { return Totals(); });
    m_reader = std::make_unique<AlbumReader>(*m_connection, *m_store, m_decoder);
    m_synchronizer = std::make_unique<Synchronizer>(*m_connection, *m_store);
    if (options.backupRoot) m_synchronizer->SetBackupRoot(*options.backupRoot);
    m_open = true;
    return true;
}

bool FrameSession::DevicePresent() const {
    return m_link && m_link->IsPresent();
}

PictureTotalInputs FrameSession::Totals() const {
    PictureTotalInputs in;
    if (!m_connection) return PictureTotalInputs{0};
    const DeviceInfo& info = m_connection->Info();
    in.flashSizeKB = info.flashSizeKB;
    in.pictureCapacity = info.capacity;
    in.indexAddress = info.indexAddress;
    in.totalPictureBytes = m_connection->Model().TotalStoredBytes();
    return in;
}

void FrameSession::HandleEvents() {
    for (const auto& [name, wParam] : m_tap->Take()) {
        if (name == "FinishThread") {
            m_context->EnableControls(true);
            m_state.m_bReady = true;
        }
        (void)wParam;
    }
}

bool FrameSession::Arrive() {
    if (!m_open || m_worker.Running()) return false;
    m_tap->Take();
    m_connection->ReleaseBuffers();
    m_folder.ClearSourcePaths();
    m_language.CountLanguages();
    m_tap->SetStatusText(m_language.Tr("DEVICEON_TIPS", "DPF Connected!"));
    m_list->DestroyImageList();
    m_folder.ClearAlbumNames();
    m_state.m_bAttached = true;
    m_state.m_bAlbumRead = false;
    m_context->EnableControls(false);
    m_store->ResetForArrival();
    m_connection->Model().SetTotalStoredBytes(0);

    m_connection->Attach();
    const auto events = m_tap->Take();
    if (!Contains(events, "DPFAttach")) return false;
    m_list->CreateImageList(m_connection->Thumbnails().thumbWidth, m_connection->ThumbHeight(),
                            m_connection->Thumbnails().thumbColumn);
    return true;
}

bool FrameSession::StartAlbumRead() {
    if (!m_open || m_worker.Running()) return false;
    if (m_state.m_bReadStopped) {
        // A read after a failed one starts again from an empty album, as at an arrival.
        m_folder.Empty();
        m_list->DeleteAllItems();
    } else if (!m_state.m_bReading) {
        // A read is due once per attach (the attach sets m_bReading); a second one would list
        // the album twice.
        return false;
    }
    // What "DPFAttach" does: controls off, not ready, the read on the worker thread.
    return m_reader->StartRead(m_worker);
}

void FrameSession::WaitForWorker() {
    m_worker.Join();
    HandleEvents();
}

bool FrameSession::ReadAlbum() {
    if (!StartAlbumRead()) return false;
    WaitForWorker();
    return !m_state.m_bReadStopped.load();
}

bool FrameSession::AttachAndRead() {
    return Arrive() && ReadAlbum();
}

bool FrameSession::Synchronize() {
    if (!m_open || !m_connection->IsConnected()) return false;
    m_tap->Take();
    if (!m_synchronizer->Command(m_worker)) return false;
    m_worker.Join();
    const auto events = m_tap->Take();
    const bool finished = Contains(events, "FinishThread");
    if (finished) {
        m_context->EnableControls(true);
        m_state.m_bReady = true;
    }
    return finished;
}

void FrameSession::Close() {
    if (!m_open) return;
    m_worker.Join();
    m_folder.Empty();
    m_paths.DeleteCanvasFiles();
    m_paths.DeleteTempFiles();
    if (m_link) m_link->Teardown();
    m_open = false;
    ReleaseWorkRoot();
}

}  // namespace framewise
