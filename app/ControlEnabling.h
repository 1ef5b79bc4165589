// Which command controls are enabled, computed from every reason that currently disables
// one, so that one reason ending never re-enables what another still holds disabled.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace framewise {

enum class DisableReason : uint8_t {
    NoAlbum,        // no frame attached, or its album not read yet (start-up, detach)
    Transfer,       // the album read or a synchronize runs
    Batch,          // a batch add runs (dropped files, Add with several pictures)
    Thumbnails,     // the thumbnail run: the folder tree and the folder picture list
    MovingUp,       // Move Up runs: the Up button
    MovingDown,     // Move Down runs: the Down button
    PictureTools,   // after a batch: zoom and rotate wait for a single folder picture
    Adding,         // an Add runs: the Add button
};
inline constexpr int kDisableReasonCount = 8;

// The sixteen command controls in the order they are switched.
inline constexpr std::array<int, 16> kCommandControls{1025, 1005, 1004, 1008, 1023, 1012,
                                                     1011, 1019, 1001, 1006, 1033, 1034,
                                                     1009, 1070, 1021, 1022};

class ControlEnabling {
  public:
    // Sets or clears one reason; answers whether any control's state changed.
    bool Set(DisableReason reason, bool holds);
    bool Holds(DisableReason reason) const;

    // A command control is enabled when no reason that covers it holds; any other id is
    // always enabled (Exit, the quality slider, the status bar).
    bool Enabled(int controlId) const;
    // Every command control with its state, in switching order.
    std::vector<std::pair<int, bool>> States() const;

  private:
    uint32_t m_reasons = 0;
};

}  // namespace framewise
