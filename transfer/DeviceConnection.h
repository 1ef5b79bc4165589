// One connection to a frame: attaching it (clock, firmware, flash header, buffers, start-up
// file), the verified flash transfers every worker uses, and detaching.
#pragma once

#include <cstdint>
#include <vector>

#include "config/DeviceKeys.h"
#include "device/DeviceCommands.h"
#include "transfer/DeviceInfo.h"
#include "transfer/FlashModel.h"
#include "transfer/KnownFlash.h"
#include "transfer/TransferContext.h"

namespace framewise {

// The largest LCD side the codecs and the album files are built for.
inline constexpr int kMaxLcdSide = 2048;

class DeviceConnection {
  public:
    DeviceConnection(TransferContext& context, DeviceCommands& commands);

    // The whole attach; success shows as the posted "DPFAttach". The start-up attach runs
    // with m_bAttached clear, an arrival attach with it set. Until the read that follows has
    // completed, the album counts as not read (m_bAlbumRead).
    void Attach();
    // Clock, version, header, images, geometry; false (with the reason shown) leaves the
    // connection without buffers.
    bool AttachDevice();
    bool ReadFlashHeader();
    // The device's verify value of a range, read up to 4 times; kept as the last value.
    bool ReadVerifyChecked(uint32_t address, uint32_t length);
    // Whether the 16-bit byte sum of the buffer equals the last verify value.
    bool SumMatches(const uint8_t* buffer, size_t length) const;
    void Detach(bool prompt);
    void ShowTransferWarning();
    // Frees the images and the shared buffers (a new arrival, the device gone).
    void ReleaseBuffers();

    // Reads a flash range into dest in verified 64 KB parts, three mismatches tolerated in all.
    // dest needs exactly length bytes (the reads round up to 64 bytes in a scratch buffer).
    bool ReadChecked(uint8_t* dest, uint32_t length, uint32_t address);
    // How a verified read ended.
    enum class ReadOutcome {
        Read,        // every part matched its verify value
        NoTransfer,  // a transfer failed or the verify value could not be had
        Mismatched,  // a part still disagreed after three mismatches
    };
    // ReadChecked without its message and without touching m_bReady: for the backups and the
    // restore, which say themselves what a failure means.
    ReadOutcome ReadVerified(uint8_t* dest, uint32_t length, uint32_t address);
    // What the frame holds in a range: from what this connection has read back verified or
    // written verified since the attach when that covers the whole range, else read as
    // ReadVerified does. For the backups: the range need not travel over the link twice.
    ReadOutcome ReadKnown(uint8_t* dest, uint32_t length, uint32_t address);
    // Whether this connection knows what the frame holds in a range (read or written verified
    // since the attach, as ReadKnown uses it); copies the bytes to dest when so and dest is set.
    bool RecallKnown(uint32_t address, uint32_t length, uint8_t* dest = nullptr) const {
        return m_known.Recall(address, length, dest);
    }
    // Erase (on a 64 KB boundary), program and verify a block, up to 4 attempts.
    bool WriteBlockChecked(const uint8_t* buffer, uint32_t length, uint32_t address);

    bool IsConnected() const { return m_model.IsAllocated() && !FrameBuffer.empty(); }
    // Whether the attached frame's album can be written back (see transfer/AlbumWritable.h);
    // reading, viewing and saving work either way.
    bool AlbumWritable() const;
    DeviceInfo& Info() { return m_info; }
    const DeviceInfo& Info() const { return m_info; }
    FlashModel& Model() { return m_model; }
    DeviceCommands& Commands() { return m_commands; }
    TransferContext& Context() { return m_context; }

    const ThumbnailKeys& Thumbnails() const { return m_thumbnails; }
    int ThumbHeight() const { return m_thumbHeight; }    // album thumbnails
    int SThumbHeight() const { return m_sThumbHeight; }  // folder thumbnails (square)
    uint8_t LastVerifyHigh() const { return m_verifyHigh; }
    uint8_t LastVerifyLow() const { return m_verifyLow; }

    // Pixels of one LCD-sized picture, and one encoded device picture (W4 x H4 x 9 each).
    std::vector<uint8_t> FrameBuffer;
    std::vector<uint8_t> StreamBuffer;

  private:
    // Whether the codecs can hold a picture of the LCD size (16-bit MCU index, album files).
    static bool LcdSizeUsable(int width, int height);
    bool AllocateSharedBuffers();

    TransferContext& m_context;
    DeviceCommands& m_commands;
    DeviceInfo m_info;
    FlashModel m_model;
    std::vector<uint8_t> m_thirdBuffer;
    std::vector<uint8_t> m_scratch;
    KnownFlash m_known;
    ThumbnailKeys m_thumbnails;
    int m_thumbHeight = 0;
    int m_sThumbHeight = 0;
    uint8_t m_verifyHigh = 0;
    uint8_t m_verifyLow = 0;
};

}  // namespace framewise
