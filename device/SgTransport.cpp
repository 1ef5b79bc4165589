#include "device/SgTransport.h"

#include <sys/ioctl.h>

#include <cstring>

namespace framewise {

namespace {
// Host status values are all errors but 0 (DID_OK); of the driver status, the low three
// bits carry the driver's verdict (timeout, error, ...) while 0x08 only says that sense
// data came back.
constexpr unsigned kDriverVerdictMask = 0x07;
}  // namespace

bool FillSgIoHeader(sg_io_hdr_t& hdr, SgRequestBuffers& buffers, SgDirection direction,
                    const uint8_t* cdb, int cdbLength, uint32_t dataLength, void* data) {
    if (cdb == nullptr || cdbLength < 1 || cdbLength > kSgMaxCdbLength) return false;
    if (dataLength > 0 && data == nullptr) return false;
    std::memset(&hdr, 0, sizeof hdr);
    buffers.cdb.fill(0);
    buffers.sense.fill(0);
    std::memcpy(buffers.cdb.data(), cdb, static_cast<size_t>(cdbLength));
    if (dataLength == 0) direction = SgDirection::None;

    hdr.interface_id = 'S';
    switch (direction) {
        case SgDirection::In:
            hdr.dxfer_direction = SG_DXFER_FROM_DEV;
            break;
        case SgDirection::Out:
            hdr.dxfer_direction = SG_DXFER_TO_DEV;
            break;
        case SgDirection::None:
            hdr.dxfer_direction = SG_DXFER_NONE;
            break;
    }
    hdr.cmd_len = static_cast<unsigned char>(cdbLength);
    hdr.cmdp = buffers.cdb.data();
    hdr.mx_sb_len = kSgSenseLength;
    hdr.sbp = buffers.sense.data();
    hdr.dxfer_len = dataLength;
    hdr.dxferp = dataLength > 0 ? data : nullptr;
    hdr.timeout = kSgTimeoutMs;
    return true;
}

bool SgRequestDelivered(const sg_io_hdr_t& hdr) {
    return hdr.host_status == 0 && (hdr.driver_status & kDriverVerdictMask) == 0;
}

bool SgTransport::SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                             uint8_t* data) {
    return Send(SgDirection::In, cdb, cdbLength, dataLength, data);
}

bool SgTransport::SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                              const uint8_t* data) {
    // SG_IO only reads from the buffer of a data-out request.
    return Send(SgDirection::Out, cdb, cdbLength, dataLength, const_cast<uint8_t*>(data));
}

bool SgTransport::Send(SgDirection direction, const uint8_t* cdb, int cdbLength,
                       uint32_t dataLength, void* data) {
    if (m_fd < 0) return false;
    sg_io_hdr_t hdr;
    SgRequestBuffers buffers;
    if (!FillSgIoHeader(hdr, buffers, direction, cdb, cdbLength, dataLength, data)) return false;
    // No retry on EINTR: the command may already have reached the device, and repeating a
    // program or erase behind the caller's back is worse than reporting the failure.
    if (ioctl(m_fd, SG_IO, &hdr) < 0) return false;
    return SgRequestDelivered(hdr);
}

}  // namespace framewise
