// What a connection knows the frame's flash to hold: every byte it has read back verified or
// written verified since the attach, so that a backup need not ask the frame for it again.
#pragma once

#include <cstdint>
#include <vector>

namespace framewise {

class KnownFlash {
  public:
    // Nothing known of a flash of this size (0: no flash; without the memory for it, nothing
    // is ever known).
    void Reset(uint32_t flashBytes);

    // Bytes the frame holds at address, verified; ranges past the flash are cut off.
    void Learn(uint32_t address, const uint8_t* bytes, uint32_t length);
    // A range whose content is no longer sure (a block being erased and written).
    void Forget(uint32_t address, uint32_t length);
    // Whether every byte of the range is known; copies them to dest when so (and dest is set).
    bool Recall(uint32_t address, uint32_t length, uint8_t* dest) const;

  private:
    std::vector<uint8_t> m_bytes;
    std::vector<bool> m_known;
};

}  // namespace framewise
