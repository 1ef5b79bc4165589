// One run of the program without widgets: work folders, settings and language, the device
// link, the connection, the album folder, list and store, the read and synchronize workers.
// A window is a thin dispatcher over it: each event becomes one call here, and the window
// redraws from the state the session keeps.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "album/AlbumFolder.h"
#include "album/AlbumListModel.h"
#include "album/AlbumStore.h"
#include "codec/JpegDecoder.h"
#include "codec/JpegEncoder.h"
#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "config/LanguageUi.h"
#include "config/Settings.h"
#include "config/WorkPaths.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/SimulatedFrame.h"
#include "transfer/AlbumReader.h"
#include "transfer/DeviceConnection.h"
#include "transfer/FrameRecovery.h"
#include "transfer/Synchronizer.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferWorker.h"

namespace framewise {

struct FrameSessionOptions {
    std::optional<std::filesystem::path> workRoot;       // else the private temp folder
    std::optional<std::filesystem::path> simulateImage;  // a simulated frame over this image
    std::filesystem::path dataFolder;                    // empty: FindDataFolder()
    // The backups before a synchronize and the journal of a write in progress (else
    // DefaultBackupRoot()).
    std::optional<std::filesystem::path> backupRoot;
    // Hear of frames coming and going (the udev monitor; a simulated frame's plug state is
    // watched either way): a window's run. A one-shot run scans once and leaves it off.
    bool hotPlug = false;
    // Faults armed on the simulated frame as soon as it is open (a testing aid): the kind
    // and the command it hits, 1 being the first command of the run.
    std::vector<std::pair<SimFault, uint64_t>> simFaults;
};

// The start-up configuration as the window applies it to its widgets.
struct StartupSettings {
    std::string title = "Framewise";  // the window title: Titlename in place of "Framewise"
    int jpgQuality = 90;              // JpgQuality, within the quality slider's 10..100
    std::string corpLink;             // the About box's link line
    std::string progressCtrl = "ON";  // "OFF": the progress bar shows only during a transfer
    LanguageMenu menu;                // the context menu as built
    LanguageSwitch language;          // the start-up ApplyLanguage(9002 + LangIndex)
};

// What the window does after the session has handled a transfer's end event.
enum class TransferEnd {
    Continue,  // carry on
    Quit,      // the user chose to stop and quit: the album files are gone, end the program
    Removed,   // the frame had gone: its removal is now finished (FinishRemoval)
};

class FrameSession {
  public:
    explicit FrameSession(Frontend& frontend);
    ~FrameSession();
    FrameSession(const FrameSession&) = delete;
    FrameSession& operator=(const FrameSession&) = delete;

    // The start-up: work folders, configuration and language (ApplyLanguage with the stored
    // language included), the device link (scanned once) and everything over it. False with a
    // one-line reason when the run cannot start.
    bool Open(const FrameSessionOptions& options, std::string& error);
    bool DevicePresent() const;
    const StartupSettings& Startup() const { return m_startup; }

    // The window's EnableControls (the sixteen command controls) and the enabling of the folder
    // tree alone, which the session and the workers call, the workers on their own thread. Set
    // them after Open, before the first attach.
    void SetEnableControls(std::function<void(bool)> enable);
    void SetEnableFolderTree(std::function<void()> enable);

    // A language menu command (9002 + index): the texts to apply, the choice recorded, and the
    // picture total written again in the new language.
    LanguageSwitch SwitchLanguage(int commandId, const CaptionState& state);

    // Hot-plug, for a window: watch NotificationFd (-1: call Poll every
    // DeviceLink::kPollInterval instead) and call HandleNotification when it is readable. A
    // change of presence arrives as the event "HIDDEVICECHANGE" (1 found, 0 gone), to be
    // answered with Arrive, or BeginRemoval and FinishRemoval.
    int NotificationFd() const;
    void HandleNotification();
    void Poll();

    // The start-up attach: the frame found by the first scan attached with m_bAttached clear
    // while it runs, as at start-up (an unreadable verify value is then tolerated). Without a
    // frame: the detached status with the insert prompt, and false. True when the frame was
    // attached ("DPFAttach"); the album image list is made for it then.
    bool StartupAttach();
    // The device-arrival steps ("HIDDEVICECHANGE" 1): the earlier connection's buffers and the
    // album (folder, list, AlbumNames, SourcePathList, total bytes) emptied, m_bAttached set,
    // then the attach. True as for StartupAttach. False while a worker runs or a removal waits
    // (once the removal is finished, arrive then if DevicePresent()).
    bool Arrive();

    // What "DPFAttach" starts: the album read on the worker thread, not waited for; its end
    // is "FinishThread" or "TransferFailed". Runs once per attach, and again after a failed
    // read (from an empty album); false when no read is due or one could not start. The first
    // read after an attach begins with the frame's recovery check on the worker: a write cut
    // short (its journal left behind) or an index block unreadable or unmarked while backups
    // of the frame exist is said through the Frontend, with one Yes/No question offering the
    // backup, which is put back before the album is read (LastRecovery tells how it went).
    bool StartAlbumRead();
    // Asks a running read to stop after the picture in hand ("TransferFailed" then).
    void StopAlbumRead();
    // StartAlbumRead waited for: true when the album was read whole (m_bAlbumRead).
    bool ReadAlbum();
    // StartupAttach, then ReadAlbum: a whole run's start.
    bool AttachAndRead();
    // What the recovery check of the last attach came to (None before it has run).
    RecoveryOutcome LastRecovery() const { return m_lastRecovery.load(); }
    // For runs without a window, after FrameRecovery::Restore outside an attach: empties the
    // album and reads it from the frame again (waited for). False as ReadAlbum.
    bool ReadAlbumAgain();

    // Puts the backup file of the attached frame back on the worker thread - only the blocks
    // that differ, each verified, with progress - and then reads the album again from an empty
    // one (edits not synchronized are dropped). Ends as a read does ("FinishThread" or
    // "TransferFailed"); how the restore went is said through the Frontend first and kept in
    // LastRestore. False when it could not start: not ready, reading, a batch or a worker
    // running, or no frame.
    bool StartRestore(const std::filesystem::path& backup);
    struct RestoreReport {
        bool ran = false;
        bool restored = false;
        RestoreResult result;
        std::string error;
    };
    RestoreReport LastRestore() const;

    // The Synchronize command (1001) without waiting; its end is "FinishThread" or
    // "TransferFailed". False when nothing was started (the guards, or a read-only album,
    // which is refused with its message).
    bool StartSynchronize();
    // StartSynchronize waited for; true when it ended with "FinishThread".
    bool Synchronize();

    // The session's halves of the window's handlers of the two end events: the ended worker
    // joined (at once: it has returned), the controls and m_bReady as the outcome wants, the
    // quit asked for during a synchronize, the removal that waited for the worker.
    TransferEnd OnFinishThread();
    TransferEnd OnTransferFailed(long which);
    // Waits for the running worker and handles its end event as above; for runs without a
    // window. Answers what the last end event asked for.
    TransferEnd WaitForWorker();

    // Device removal ("HIDDEVICECHANGE" 0) in two halves, so that a window never waits on
    // the worker: BeginRemoval clears m_bAttached, shows the detached status and asks a
    // running worker to stop; it answers whether a worker still runs. FinishRemoval then
    // detaches, resets the picture table, frees the images and buffers and clears the album
    // flags: at once when nothing ran, else from the worker's end event (OnFinishThread and
    // OnTransferFailed do it themselves). False, freeing nothing, while a worker runs.
    bool BeginRemoval();
    bool FinishRemoval();
    bool RemovalPending() const { return m_removalPending; }

    // The exit clean-up: stops a running read and waits for the worker (never call it while
    // the worker may wait for this thread), deletes the album files, the preview's work files
    // and the temporary files. The destructor runs it too.
    void Close();

    // The numbers of the picture total for the current connection.
    PictureTotalInputs Totals() const;

    AppState& State() { return m_state; }
    Settings& GetSettings() { return m_settings; }
    Language& GetLanguage() { return m_language; }
    const WorkPaths& Paths() const { return m_paths; }
    DeviceLink& Link() { return *m_link; }
    DeviceCommands& Commands() { return *m_commands; }
    DeviceConnection& Connection() { return *m_connection; }
    AlbumFolder& Folder() { return m_folder; }
    AlbumListModel& List() { return *m_list; }
    AlbumStore& Store() { return *m_store; }
    AlbumReader& Reader() { return *m_reader; }
    // The one decoder and encoder of the run (Add, Save and the read share them, one at a time).
    JpegDecoder& Decoder() { return m_decoder; }
    JpegEncoder& Encoder() { return m_encoder; }
    Synchronizer& GetSynchronizer() { return *m_synchronizer; }
    FrameRecovery& Recovery() { return *m_recovery; }
    TransferWorker& Worker() { return m_worker; }
    // The simulated frame when the run uses one, else null.
    const std::shared_ptr<SimulatedFrame>& Simulated() const { return m_simulated; }

  private:
    // Forwards everything to the caller's Frontend; holds back the events a worker job posts
    // until the job has returned, and notes the events for runs without a window.
    class EventTap;

    bool AttachFrame(bool arrival);
    void JoinEndedWorker();
    TransferEnd QuitAfterTransfer();
    void ReleaseWorkRoot();

    std::unique_ptr<EventTap> m_tap;
    AppState m_state;
    Settings m_settings;
    Language m_language;
    WorkPaths m_paths;
    StartupSettings m_startup;
    std::unique_ptr<TransferContext> m_context;
    std::shared_ptr<SimulatedFrame> m_simulated;
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<DeviceCommands> m_commands;
    std::unique_ptr<DeviceConnection> m_connection;
    JpegDecoder m_decoder;
    JpegEncoder m_encoder{90};
    AlbumFolder m_folder;
    std::unique_ptr<AlbumListModel> m_list;
    std::unique_ptr<AlbumStore> m_store;
    std::unique_ptr<AlbumReader> m_reader;
    std::unique_ptr<Synchronizer> m_synchronizer;
    std::unique_ptr<FrameRecovery> m_recovery;
    // The next read is the first after an attach: the recovery check runs before it.
    bool m_recoveryDue = false;
    std::atomic<RecoveryOutcome> m_lastRecovery{RecoveryOutcome::None};
    TransferWorker m_worker;
    bool m_open = false;
    bool m_removalPending = false;
    void RestoreOnWorker(const std::filesystem::path& backup);
    mutable std::mutex m_restoreMutex;
    RestoreReport m_lastRestore;
    // Held from Open to Close: one session at a time works in a work root, since the start-up
    // and the close empty its album folder.
    int m_workRootLock = -1;
};

}  // namespace framewise
