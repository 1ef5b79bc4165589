// What the command set talks to: whether a frame is open, and the two transfers to it.
// DeviceLink is the real one; tests put recorders in its place.
#pragma once

#include <cstdint>

namespace framewise {

class DeviceChannel {
  public:
    virtual ~DeviceChannel() = default;

    virtual bool IsPresent() const = 0;
    virtual bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                            uint8_t* data) = 0;
    virtual bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                             const uint8_t* data) = 0;
};

}  // namespace framewise
