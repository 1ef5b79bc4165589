// The window state flags that the main window, the workers and the commands share.
// Every flag is read across threads, so every flag is atomic.
#pragma once

#include <atomic>

namespace framewise {

struct AppState {
    std::atomic<bool> m_bReady{true};         // no album transfer runs
    std::atomic<bool> m_bAttached{false};     // a device counts as attached
    std::atomic<bool> m_bReading{false};      // the album read runs
    std::atomic<bool> m_bReadStopped{false};  // the album read ended early on an error
    // A read has completed for the current connection. Until it has, the album on the PC may
    // be only part of the frame's: nothing writes to the frame or changes the album.
    std::atomic<bool> m_bAlbumRead{false};
    std::atomic<bool> m_bModified{false};     // the album differs from what the device holds
    std::atomic<bool> m_bQuitPending{false};  // the user chose to stop synchronizing and quit
    std::atomic<bool> m_bBatchAdding{false};  // a batch add runs
    std::atomic<bool> m_bAdding{false};       // an Add runs
    std::atomic<bool> m_bDeleting{false};     // Delete runs
    std::atomic<bool> m_bMoving{false};       // Move Up or Move Down runs
};

}  // namespace framewise
