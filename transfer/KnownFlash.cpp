#include "transfer/KnownFlash.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace framewise {

void KnownFlash::Reset(uint32_t flashBytes) {
    std::vector<uint8_t>().swap(m_bytes);
    std::vector<bool>().swap(m_known);
    try {
        m_bytes.assign(flashBytes, 0);
        m_known.assign(flashBytes, false);
    } catch (const std::bad_alloc&) {
        // Without the memory nothing is known: every backup asks the frame.
        std::vector<uint8_t>().swap(m_bytes);
        std::vector<bool>().swap(m_known);
    }
}

void KnownFlash::Learn(uint32_t address, const uint8_t* bytes, uint32_t length) {
    if (address >= m_bytes.size()) return;
    length = std::min<uint32_t>(length, static_cast<uint32_t>(m_bytes.size()) - address);
    std::memcpy(m_bytes.data() + address, bytes, length);
    std::fill(m_known.begin() + address, m_known.begin() + address + length, true);
}

void KnownFlash::Forget(uint32_t address, uint32_t length) {
    if (address >= m_known.size()) return;
    length = std::min<uint32_t>(length, static_cast<uint32_t>(m_known.size()) - address);
    std::fill(m_known.begin() + address, m_known.begin() + address + length, false);
}

bool KnownFlash::Recall(uint32_t address, uint32_t length, uint8_t* dest) const {
    if (uint64_t{address} + length > m_known.size()) return false;
    const auto first = m_known.begin() + address;
    if (std::find(first, first + length, false) != first + length) return false;
    if (dest) std::memcpy(dest, m_bytes.data() + address, length);
    return true;
}

}  // namespace framewise
