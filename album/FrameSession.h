// One run of the program without widgets: work folders, settings and language, the device
// link, the connection, the album folder, list and store, the read and synchronize workers.
#pragma once

#include <filesystem>
#include <memory>
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
#include "config/Settings.h"
#include "config/WorkPaths.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/SimulatedFrame.h"
#include "transfer/AlbumReader.h"
#include "transfer/DeviceConnection.h"
#include "transfer/Synchronizer.h"
#include "transfer/TransferContext.h"
#include "transfer/TransferWorker.h"

namespace framewise {

struct FrameSessionOptions {
    std::optional<std::filesystem::path> workRoot;       // else the private temp folder
    std::optional<std::filesystem::path> simulateImage;  // a simulated frame over this image
    std::filesystem::path dataFolder;                    // empty: FindDataFolder()
    std::optional<std::filesystem::path> backupRoot;     // backups before a synchronize
    // Faults armed on the simulated frame as soon as it is open (a testing aid): the kind
    // and the command it hits, 1 being the first command of the run.
    std::vector<std::pair<SimFault, uint64_t>> simFaults;
};

class FrameSession {
  public:
    explicit FrameSession(Frontend& frontend);
    ~FrameSession();
    FrameSession(const FrameSession&) = delete;
    FrameSession& operator=(const FrameSession&) = delete;

    // The start-up: work folders, configuration and language, the device link (scanned once)
    // and everything over it. False with a one-line reason when the run cannot start.
    bool Open(const FrameSessionOptions& options, std::string& error);
    bool DevicePresent() const;

    // The device-arrival steps: the earlier connection's buffers and the album (folder, list,
    // AlbumNames, SourcePathList, total bytes) emptied, then the attach. True when the frame
    // was attached ("DPFAttach"); the album image list is made for it then.
    bool Arrive();
    // What "DPFAttach" starts: the album read on the worker thread, waited for. True when the
    // read ended without failure (all pictures stored, or an empty album). Runs once per
    // attach, and again after a failed read (from an empty album): false when no read is due.
    bool ReadAlbum();
    // The same without waiting (a window keeps running meanwhile); false when no read could
    // start. WaitForWorker then waits and handles the events the worker posted.
    bool StartAlbumRead();
    void WaitForWorker();
    // Arrive, then ReadAlbum.
    bool AttachAndRead();

    // The synchronize command run to its end; true on success. False also when nothing
    // needed writing or the state did not allow it.
    bool Synchronize();

    // The exit clean-up: waits for a running worker, deletes the album files, the preview's
    // work files and the temporary files. The destructor runs it too.
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
    TransferWorker& Worker() { return m_worker; }
    // The simulated frame when the run uses one, else null.
    const std::shared_ptr<SimulatedFrame>& Simulated() const { return m_simulated; }

  private:
    // Forwards everything to the caller's Frontend and handles the window events itself.
    class EventTap;

    void HandleEvents();

    std::unique_ptr<EventTap> m_tap;
    AppState m_state;
    Settings m_settings;
    Language m_language;
    WorkPaths m_paths;
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
    TransferWorker m_worker;
    bool m_open = false;
    // Held from Open to Close: one session at a time works in a work root, since the start-up
    // and the close empty its album folder.
    int m_workRootLock = -1;
    void ReleaseWorkRoot();
};

}  // namespace framewise
