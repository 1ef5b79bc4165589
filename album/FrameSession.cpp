#include "album/FrameSession.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

#include "config/ControlIds.h"
#include "config/EventNames.h"
#include "config/StartupConfig.h"

namespace framewise {

class FrameSession::EventTap : public Frontend {
  public:
    using Event = std::pair<std::string, long>;

    EventTap(Frontend& inner, const TransferWorker& worker) : m_inner(inner), m_worker(worker) {}

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
    void RunOnWindowThread(const std::function<void()>& step) override {
        m_inner.RunOnWindowThread(step);
    }
    // An event a worker job posts is held until the job has returned and the worker is idle
    // (ReleaseHeld): its handler may then join the worker at once or start the next job.
    void PostEvent(std::string_view name, long wParam) override {
        {
            std::lock_guard lock(m_mutex);
            if (m_worker.OnWorkerThread()) {
                m_held.emplace_back(std::string(name), wParam);
                return;
            }
            m_noted.emplace_back(std::string(name), wParam);
        }
        m_inner.PostEvent(name, wParam);
    }

    // Run by the worker after each job, on its thread.
    void ReleaseHeld() {
        std::deque<Event> held;
        {
            std::lock_guard lock(m_mutex);
            held = std::exchange(m_held, {});
            m_noted.insert(m_noted.end(), held.begin(), held.end());
        }
        for (const auto& [name, wParam] : held) m_inner.PostEvent(name, wParam);
    }

    // The events noted since the last call: a run without a window handles them itself.
    std::deque<Event> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_noted, {});
    }

  private:
    Frontend& m_inner;
    const TransferWorker& m_worker;
    std::mutex m_mutex;
    std::deque<Event> m_held;
    std::deque<Event> m_noted;
};

FrameSession::FrameSession(Frontend& frontend)
    : m_tap(std::make_unique<EventTap>(frontend, m_worker)) {
    m_worker.SetJobEndHook([this] { m_tap->ReleaseHeld(); });
}

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
    m_startup.title = startup.WindowCaption();
    // The quality slider's range; a hand-edited start-up file may say anything.
    m_startup.jpgQuality = std::clamp(startup.m_nJpgQuality, 10, 100);
    m_startup.corpLink = startup.m_strCorpLink;
    m_startup.progressCtrl = startup.m_strProgressCtrl;
    m_startup.menu = startup.m_menu;

    m_context = std::make_unique<TransferContext>(
        TransferContext{*m_tap, m_language, m_settings, m_state, m_paths, {}, {}});

    DeviceLinkOptions linkOptions;
    if (options.simulateImage) {
        m_simulated = SimulatedFrame::Open(*options.simulateImage, error);
        if (!m_simulated) {
            ReleaseWorkRoot();
            return false;
        }
        for (const auto& [kind, command] : options.simFaults)
            m_simulated->InjectFault(kind, command);
        linkOptions.simulatedFrame = m_simulated;
    }
    linkOptions.useUdev = options.hotPlug;
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
    const std::filesystem::path backupRoot =
        options.backupRoot ? *options.backupRoot : DefaultBackupRoot();
    m_synchronizer->SetBackupRoot(backupRoot);
    m_recovery = std::make_unique<FrameRecovery>(*m_connection, backupRoot);
    m_open = true;

    // The window's captions as the start-up applies them: the crop rectangle off, no frame
    // attached yet.
    m_startup.language = SwitchLanguage(
        kCmdLanguage(m_language.LangIndex()),
        CaptionState{.m_bCropNext = false, .attached = false, .quality = m_startup.jpgQuality});
    return true;
}

void FrameSession::SetEnableControls(std::function<void(bool)> enable) {
    if (m_context) m_context->enableControls = std::move(enable);
}

void FrameSession::SetEnableFolderTree(std::function<void()> enable) {
    if (m_context) m_context->enableFolderTree = std::move(enable);
}

LanguageSwitch FrameSession::SwitchLanguage(int commandId, const CaptionState& state) {
    LanguageSwitch result =
        ApplyLanguage(commandId, m_language, m_settings, state, m_startup.title, *m_tap);
    if (result.applied && m_store && !m_worker.Running())
        m_store->UpdatePictureTotal(m_list->ItemCount());
    return result;
}

bool FrameSession::DevicePresent() const {
    return m_link && m_link->IsPresent();
}

int FrameSession::NotificationFd() const {
    return m_link ? m_link->NotificationFd() : -1;
}

void FrameSession::HandleNotification() {
    if (m_link) m_link->HandleNotification();
}

void FrameSession::Poll() {
    if (m_link) m_link->Poll();
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

bool FrameSession::AttachFrame(bool arrival) {
    if (!m_open || m_worker.Running() || m_removalPending) return false;
    JoinEndedWorker();
    m_tap->Take();
    // What a connection before this one left: its buffers and its album.
    m_connection->ReleaseBuffers();
    m_folder.ClearSourcePaths();
    if (arrival) {
        m_language.CountLanguages();
        m_tap->SetStatusText(m_language.Tr("DEVICEON_TIPS", "DPF Connected!"));
    }
    m_list->DestroyImageList();
    m_folder.ClearAlbumNames();
    m_state.m_bModified = false;
    m_state.m_bReadStopped = false;
    // An arrival counts the frame as attached before the attach; the start-up attach does not,
    // and so goes on without a verify value the frame cannot give.
    m_state.m_bAttached = arrival;
    m_context->EnableControls(false);
    m_store->ResetForArrival();
    m_connection->Model().SetTotalStoredBytes(0);

    m_recoveryDue = false;
    m_lastRecovery = RecoveryOutcome::None;
    m_connection->Attach();
    const auto posted = m_tap->Take();
    const bool attached = std::any_of(posted.begin(), posted.end(),
                                      [](const auto& e) { return e.first == events::kDpfAttach; });
    if (!attached) return false;
    m_recoveryDue = true;
    m_list->CreateImageList(m_connection->Thumbnails().thumbWidth, m_connection->ThumbHeight(),
                            m_connection->Thumbnails().thumbColumn);
    return true;
}

bool FrameSession::StartupAttach() {
    if (!m_open) return false;
    if (!DevicePresent()) {
        m_connection->Detach(true);
        return false;
    }
    return AttachFrame(false);
}

bool FrameSession::Arrive() {
    return AttachFrame(true);
}

bool FrameSession::StartAlbumRead() {
    if (!m_open || m_worker.Running() || m_removalPending || !m_state.m_bAttached) return false;
    JoinEndedWorker();
    m_tap->Take();
    if (m_state.m_bReadStopped) {
        // A read after a failed one starts again from an empty album, as at an arrival.
        m_folder.Empty();
        m_list->DeleteAllItems();
    } else if (!m_state.m_bReading) {
        // A read is due once per attach (the attach sets m_bReading); a second one would list
        // the album twice.
        return false;
    }
    // What "DPFAttach" does: controls off, not ready, the read on the worker thread; after an
    // attach, the frame's recovery check first, so that a backup put back is what is read.
    std::function<void()> prologue;
    if (m_recoveryDue) prologue = [this] { m_lastRecovery = m_recovery->OfferAtAttach(); };
    if (!m_reader->StartRead(m_worker, std::move(prologue))) return false;
    m_recoveryDue = false;
    return true;
}

void FrameSession::StopAlbumRead() {
    if (m_reader) m_reader->RequestStop();
}

bool FrameSession::ReadAlbum() {
    if (!StartAlbumRead()) return false;
    WaitForWorker();
    return m_state.m_bAlbumRead.load();
}

bool FrameSession::AttachAndRead() {
    return StartupAttach() && ReadAlbum();
}

bool FrameSession::ReadAlbumAgain() {
    if (!m_open || m_worker.Running() || m_removalPending || !m_state.m_bAttached ||
        !m_connection->IsConnected())
        return false;
    // The read after a failed one starts from an empty album and a fresh model: the same
    // path serves a frame whose flash changed under the album read before.
    m_recoveryDue = false;
    m_state.m_bReadStopped = true;
    m_state.m_bReady = true;
    return ReadAlbum();
}

bool FrameSession::StartRestore(const std::filesystem::path& backup) {
    if (!m_open || m_worker.Running() || m_removalPending || !m_state.m_bAttached ||
        !m_connection->IsConnected() || !m_state.m_bReady || m_state.m_bReading ||
        m_state.m_bBatchAdding)
        return false;
    JoinEndedWorker();
    m_tap->Take();
    {
        std::lock_guard lock(m_restoreMutex);
        m_lastRestore = RestoreReport{};
    }
    // What the frame holds changes under the album: the read that follows starts from an empty
    // album and a fresh model, as a read after a failed one does.
    const bool wasStopped = m_state.m_bReadStopped;
    m_state.m_bReadStopped = true;
    m_folder.Empty();
    m_list->DeleteAllItems();
    m_state.m_bModified = false;
    m_recoveryDue = false;
    if (m_reader->StartRead(m_worker, [this, backup] { RestoreOnWorker(backup); })) return true;
    m_state.m_bReadStopped = wasStopped;
    return false;
}

void FrameSession::RestoreOnWorker(const std::filesystem::path& backup) {
    m_connection->ShowTransferWarning();
    m_tap->SetStatusText(m_language.Tr("RESTORING_TIPS", "Restoring the backup......"));
    if (m_context->ProgressCtrlOff()) m_tap->ShowProgress(true);
    RestoreReport report;
    report.ran = true;
    report.restored = m_recovery->Restore(backup, report.error, &report.result);
    m_context->ResetProgress();
    {
        std::lock_guard lock(m_restoreMutex);
        m_lastRestore = report;
    }
    const auto fill = [](std::string text, const std::string& one, const std::string& two) {
        if (auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, one);
        if (auto at = text.find("%2"); at != std::string::npos) text.replace(at, 2, two);
        return text;
    };
    if (report.restored)
        m_tap->ShowMessage(fill(m_language.Tr("RESTORE_DONE_TIPS",
                                              "The backup is back in the frame (%1 of %2 blocks "
                                              "rewritten)."),
                                std::to_string(report.result.blocksWritten),
                                std::to_string(report.result.blocksCompared)));
    else
        m_tap->ShowMessage(fill(m_language.Tr("RESTORE_FAIL_TIPS",
                                              "The backup could not be put back: %1"),
                                report.error, {}));
}

FrameSession::RestoreReport FrameSession::LastRestore() const {
    std::lock_guard lock(m_restoreMutex);
    return m_lastRestore;
}

bool FrameSession::StartSynchronize() {
    if (!m_open || !m_connection->IsConnected() || m_worker.Running() || m_removalPending)
        return false;
    JoinEndedWorker();
    m_tap->Take();
    return m_synchronizer->Command(m_worker);
}

bool FrameSession::Synchronize() {
    if (!StartSynchronize()) return false;
    m_worker.Join();
    bool finished = false;
    for (const auto& [name, wParam] : m_tap->Take()) {
        if (name == events::kFinishThread) {
            finished = true;
            OnFinishThread();
        } else if (name == events::kTransferFailed) {
            OnTransferFailed(wParam);
        }
    }
    return finished;
}

void FrameSession::JoinEndedWorker() {
    // Only a worker whose job has returned is joined here: a running one may be waiting for
    // an answer from this very thread.
    if (!m_worker.Running()) m_worker.Join();
}

TransferEnd FrameSession::QuitAfterTransfer() {
    m_folder.Empty();
    m_paths.DeleteCanvasFiles();
    return TransferEnd::Quit;
}

TransferEnd FrameSession::OnFinishThread() {
    JoinEndedWorker();
    if (m_removalPending) return FinishRemoval() ? TransferEnd::Removed : TransferEnd::Continue;
    // An end that arrives after the frame's removal was finished changes nothing.
    if (!m_state.m_bAttached) return TransferEnd::Continue;
    m_context->EnableControls(true);
    m_state.m_bReady = true;
    if (m_state.m_bQuitPending) return QuitAfterTransfer();
    return TransferEnd::Continue;
}

TransferEnd FrameSession::OnTransferFailed(long which) {
    JoinEndedWorker();
    if (m_removalPending) return FinishRemoval() ? TransferEnd::Removed : TransferEnd::Continue;
    if (!m_state.m_bAttached) return TransferEnd::Continue;
    // A stop asked for to quit ends the program whether the stopped synchronize succeeded or
    // failed. After a failed read the controls stay off until a read completes; the read can
    // be run again. After a failed synchronize the synchronizer has enabled them already.
    m_state.m_bReady = true;
    if (which == events::kTransferSynchronize && m_state.m_bQuitPending) return QuitAfterTransfer();
    return TransferEnd::Continue;
}

TransferEnd FrameSession::WaitForWorker() {
    m_worker.Join();
    TransferEnd end = TransferEnd::Continue;
    for (const auto& [name, wParam] : m_tap->Take()) {
        if (name == events::kFinishThread)
            end = OnFinishThread();
        else if (name == events::kTransferFailed)
            end = OnTransferFailed(wParam);
    }
    return end;
}

bool FrameSession::BeginRemoval() {
    if (!m_open) return false;
    m_state.m_bAttached = false;
    m_tap->SetStatusText(m_language.Tr("DEVICEOFF_TIPS", "DPF Detached!"));
    // The read checks m_bAttached before and after each picture and the synchronize before
    // each; the read's stop request also ends it between pictures.
    m_reader->RequestStop();
    m_removalPending = true;
    return m_worker.Running();
}

bool FrameSession::FinishRemoval() {
    if (!m_open || m_worker.Running()) return false;
    m_worker.Join();
    m_connection->Detach(false);
    m_state.m_bReading = false;
    m_state.m_bModified = false;
    m_state.m_bReadStopped = false;
    m_state.m_bAlbumRead = false;
    m_connection->Model().SetTotalStoredBytes(0);
    m_store->UpdatePictureTotal(0);
    m_connection->ReleaseBuffers();
    m_context->ResetProgress();
    m_removalPending = false;
    return true;
}

void FrameSession::Close() {
    if (!m_open) return;
    // A read still running is of no use any more; a synchronize is let finish.
    m_reader->RequestStop();
    m_worker.Join();
    m_folder.Empty();
    m_paths.DeleteCanvasFiles();
    m_paths.DeleteTempFiles();
    if (m_link) m_link->Teardown();
    m_open = false;
    ReleaseWorkRoot();
}

}  // namespace framewise
