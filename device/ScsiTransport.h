// The two transfers every vendor command rides on: one command block with data moving
// from the device (in) or to it (out); each answers only whether the command got through.
#pragma once

#include <cstdint>

namespace framewise {

class ScsiTransport {
  public:
    virtual ~ScsiTransport();

    // Sends cdb (cdbLength bytes, at most 16) and reads dataLength bytes into data.
    // False when the platform call fails or the command never reached the device (device
    // gone, time-out). SCSI status and sense data are not examined.
    virtual bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                            uint8_t* data) = 0;
    // Sends cdb and dataLength bytes of data; dataLength 0 with a null data is a command
    // without data. Same results as SendDataIn.
    virtual bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                             const uint8_t* data) = 0;
};

}  // namespace framewise
