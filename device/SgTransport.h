// The Linux transport: each command is one SG_IO request on an open /dev/sgN node, the
// request header filled by a pure function so its fields can be checked without a device.
#pragma once

#include <scsi/sg.h>

#include <array>
#include <cstdint>

#include "device/ScsiTransport.h"

namespace framewise {

inline constexpr unsigned kSgTimeoutMs = 200 * 1000;  // 200 s
inline constexpr unsigned char kSgSenseLength = 26;
inline constexpr int kSgMaxCdbLength = 16;

enum class SgDirection { In, Out, None };

// Storage a request points into: the copy of the command block and the sense area.
struct SgRequestBuffers {
    std::array<unsigned char, kSgMaxCdbLength> cdb{};
    std::array<unsigned char, kSgSenseLength> sense{};
};

// Fills hdr for one command; false when cdbLength is not 1..16. A data-out of length 0
// (or without data) is sent as a command without data.
bool FillSgIoHeader(sg_io_hdr_t& hdr, SgRequestBuffers& buffers, SgDirection direction,
                    const uint8_t* cdb, int cdbLength, uint32_t dataLength, void* data);

// Whether a completed request reached the device: host and driver report no error.
// A check condition (sense data present) still counts as delivered.
bool SgRequestDelivered(const sg_io_hdr_t& hdr);

class SgTransport : public ScsiTransport {
  public:
    // Does not own fd.
    explicit SgTransport(int fd) : m_fd(fd) {}

    bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength, uint8_t* data) override;
    bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                     const uint8_t* data) override;

  private:
    bool Send(SgDirection direction, const uint8_t* cdb, int cdbLength, uint32_t dataLength,
              void* data);

    int m_fd;
};

}  // namespace framewise
