// The program's model of the frame's flash: the device image (what the frame holds), the
// picture store (what the next synchronize writes), the picture table and the index copy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "config/AppState.h"
#include "transfer/DeviceInfo.h"
#include "transfer/FlashLayout.h"

namespace framewise {

// One album picture as the flash model knows it; record k - 1 belongs to album file k.
struct PictureRecord {
    uint8_t inUse = 0xFF;  // 1 in use; 0 deleted or dropped; 0xFF never used
    uint8_t state = 0;     // 1 on the device as recorded; 2 to be written by the next synchronize
    int32_t address = 0;
    int32_t length = 0;
    // Since the last synchronize: added to the album, or moved by a repack while on the frame.
    // For the write plan; neither reaches the frame.
    bool added = false;
    bool moved = false;
};

inline constexpr uint8_t kStateOnDevice = 1;
inline constexpr uint8_t kStateToWrite = 2;

class FlashModel {
  public:
    explicit FlashModel(AppState& state) : m_state(state) { ResetTable(); }

    // Sizes the images and the block flags for a frame and zero-fills them; the table is
    // reset. False when the memory cannot be had (nothing is allocated then).
    bool Allocate(const DeviceInfo& info);
    // Frees the images and the block flags (the device went away, or a new one arrives).
    void Release();
    bool IsAllocated() const { return !m_deviceImage.empty(); }

    // Every record in use 0xFF, state 0, address 0, length 0; the index copy zeroed.
    void ResetTable();

    // Index block of the device image -> index copy; no magic means no album.
    void LoadIndex();
    // Index copy -> picture table, totals, used end and free space; answers the picture count.
    // Entries whose picture would not lie inside the picture area are skipped; the total of
    // a corrupt index (overlapping pictures) is kept within the flash size.
    int ParseIndex();
    // Closes the holes of the index copy among numbers 1..count; the records move along
    // unless the album read is running (m_bReading).
    void CompactRecords(int count);
    // Whether a picture of length bytes may be added to an album of albumCount pictures;
    // repacks first when it only fits after closing the gaps.
    bool FitsNewPicture(int length, int albumCount);
    // Places a device picture stream at the next address as album position k (0-based).
    // False when the file cannot be read or the picture does not fit (nothing changes).
    bool AppendPicture(int k, const std::filesystem::path& streamFile);
    bool AppendPicture(int k, const uint8_t* data, size_t length);
    // Moves the first albumCount pictures back to back from the picture area's start.
    void Repack(int albumCount);
    // Index entries 0..n-1 from the records and the block's own fields, into the picture store.
    void BuildIndex(int n);
    void BuildIndexEntry(int i);
    void BuildIndexFields();
    // Zeroes the index entries (offsets 16..4095 of the index block) of the picture store
    // from entry `from` on.
    void ClearStoreIndexEntries(int from = 0);
    void ClearDeviceImageIndexEntries();
    // Zeroes the index copy's entries from entry `from` on.
    void ClearIndexCopyEntries(int from = 0);

    // For the album commands (numbers are album file numbers, 1-based): clears the entry and
    // the record of a picture and takes its length off the total (not below 0); answers that
    // length.
    int ClearPicture(int number);
    // Exchanges the entries and the records of two pictures (the bytes stay where they are).
    void SwapPictures(int numberA, int numberB);

    // Captures the next address as the used end, before AppendPicture.
    void CaptureNextAddress() { m_nextAddress = m_usedEnd; }

    std::vector<uint8_t>& DeviceImage() { return m_deviceImage; }
    std::vector<uint8_t>& PictureStore() { return m_pictureStore; }
    std::vector<uint8_t>& BlockFlags() { return m_blockFlags; }
    const std::vector<uint8_t>& DeviceImage() const { return m_deviceImage; }
    const std::vector<uint8_t>& PictureStore() const { return m_pictureStore; }
    PictureRecord& Record(int i) { return m_records[static_cast<size_t>(i)]; }
    const PictureRecord& Record(int i) const { return m_records[static_cast<size_t>(i)]; }
    uint8_t* IndexCopy() { return m_indexCopy; }
    const uint8_t* IndexCopyEntry(int i) const {
        return m_indexCopy + flash::kIndexHeadSize + flash::kIndexEntrySize * i;
    }
    bool IndexEntryFree(int i) const {
        uint8_t flag = IndexCopyEntry(i)[0];
        return flag == 0 || flag == 0xFF;
    }

    int TotalStoredBytes() const { return m_totalStoredBytes; }
    void SetTotalStoredBytes(int bytes) { m_totalStoredBytes = bytes; }
    int UsedEnd() const { return m_usedEnd; }
    int FreeSpace() const { return m_freeSpace; }
    int NextAddress() const { return m_nextAddress; }
    bool Repacked() const { return m_repacked; }
    void ClearRepacked() { m_repacked = false; }

    int IndexAddress() const { return m_indexAddress; }
    int FlashBytes() const { return m_flashBytes; }
    int Capacity() const { return m_capacity; }
    // First address of the picture area.
    int PictureAreaStart() const {
        return m_indexAddress + static_cast<int>(flash::kIndexBlockSize);
    }
    // Whether [address, address + length) lies inside the picture area.
    bool InPictureArea(int64_t address, int64_t length) const;

  private:
    uint8_t* IndexCopyEntryMutable(int i) {
        return m_indexCopy + flash::kIndexHeadSize + flash::kIndexEntrySize * i;
    }
    void WriteEntry(uint8_t* entry, uint8_t flag, uint32_t address, uint32_t length);

    AppState& m_state;
    std::vector<uint8_t> m_deviceImage;
    std::vector<uint8_t> m_pictureStore;
    std::vector<uint8_t> m_blockFlags;
    PictureRecord m_records[flash::kRecordCount];
    uint8_t m_indexCopy[flash::kIndexCopySize] = {};

    int m_totalStoredBytes = 0;
    int m_usedEnd = 0;
    int m_freeSpace = 0;
    int m_nextAddress = 0;
    bool m_repacked = false;

    int m_indexAddress = 0x30000;
    int m_flashBytes = 0;
    int m_flashSizeKB = 0;
    int m_capacity = flash::kDefaultCapacity;
};

}  // namespace framewise
