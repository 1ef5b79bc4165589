#include "app/ControlEnabling.h"

#include <algorithm>

#include "config/ControlIds.h"

namespace framewise {

namespace {

uint32_t Bit(DisableReason reason) {
    return 1u << static_cast<unsigned>(reason);
}

// Whether a reason covers a control.
bool Covers(DisableReason reason, int id) {
    switch (reason) {
        case DisableReason::NoAlbum:
        case DisableReason::Transfer:
        case DisableReason::Batch:
            return std::find(kCommandControls.begin(), kCommandControls.end(), id) !=
                   kCommandControls.end();
        case DisableReason::Thumbnails:
            return id == kIdFolderTree || id == kIdFolderPictureList;
        case DisableReason::MovingUp:
            return id == kIdMoveUp;
        case DisableReason::MovingDown:
            return id == kIdMoveDown;
        case DisableReason::Adding:
            return id == kIdAdd;
        case DisableReason::PictureTools:
            return id == kIdZoomIn || id == kIdZoomOut || id == kIdRotateLeft ||
                   id == kIdRotateRight;
    }
    return false;
}

}  // namespace

bool ControlEnabling::Set(DisableReason reason, bool holds) {
    const auto before = States();
    m_reasons = holds ? (m_reasons | Bit(reason)) : (m_reasons & ~Bit(reason));
    return States() != before;
}

bool ControlEnabling::Holds(DisableReason reason) const {
    return (m_reasons & Bit(reason)) != 0;
}

bool ControlEnabling::Enabled(int controlId) const {
    for (int r = 0; r < kDisableReasonCount; ++r) {
        const auto reason = static_cast<DisableReason>(r);
        if (Holds(reason) && Covers(reason, controlId)) return false;
    }
    return true;
}

std::vector<std::pair<int, bool>> ControlEnabling::States() const {
    std::vector<std::pair<int, bool>> states;
    states.reserve(kCommandControls.size());
    for (int id : kCommandControls) states.emplace_back(id, Enabled(id));
    return states;
}

}  // namespace framewise
