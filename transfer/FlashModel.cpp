#include "transfer/FlashModel.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

namespace framewise {

using namespace flash;

bool FlashModel::Allocate(const DeviceInfo& info) {
    Release();
    m_flashSizeKB = info.flashSizeKB;
    m_flashBytes = static_cast<int>(info.FlashBytes());
    m_indexAddress = info.indexAddress;
    m_capacity = std::clamp(info.capacity, 0, kIndexEntries);
    if (m_flashBytes <= 0) return false;
    try {
        m_deviceImage.assign(static_cast<size_t>(m_flashBytes), 0);
        m_pictureStore.assign(static_cast<size_t>(m_flashBytes), 0);
        // A flash whose size is not a whole number of blocks still gets a flag for its last part.
        m_blockFlags.assign(static_cast<size_t>((m_flashSizeKB + 63) / 64), 0);
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    ResetTable();
    m_totalStoredBytes = 0;
    m_usedEnd = PictureAreaStart();
    m_freeSpace = m_flashBytes - m_usedEnd;
    m_nextAddress = 0;
    m_repacked = false;
    return true;
}

void FlashModel::Release() {
    std::vector<uint8_t>().swap(m_deviceImage);
    std::vector<uint8_t>().swap(m_pictureStore);
    std::vector<uint8_t>().swap(m_blockFlags);
}

void FlashModel::ResetTable() {
    for (auto& record : m_records) record = PictureRecord{};
    std::memset(m_indexCopy, 0, sizeof m_indexCopy);
}

bool FlashModel::InPictureArea(int64_t address, int64_t length) const {
    return length >= 0 && address >= PictureAreaStart() && address + length <= m_flashBytes;
}

void FlashModel::LoadIndex() {
    std::memset(m_indexCopy, 0, sizeof m_indexCopy);
    if (m_indexAddress < 0 || static_cast<int64_t>(m_indexAddress) + kIndexBlockSize >
                                  static_cast<int64_t>(m_deviceImage.size()))
        return;
    std::memcpy(m_indexCopy, m_deviceImage.data() + m_indexAddress, kIndexBlockSize);
    if (std::memcmp(m_indexCopy, kMagic, 4) != 0) std::memset(m_indexCopy, 0, sizeof m_indexCopy);
}

int FlashModel::ParseIndex() {
    int count = 0;
    // Each entry lies inside the flash, but a corrupt index may list overlapping pictures
    // whose lengths add up far past what an int holds: summed wide, kept within the flash.
    int64_t total = m_totalStoredBytes;
    m_usedEnd = PictureAreaStart();
    for (int i = 0; i < kIndexEntries; ++i) {
        const uint8_t* entry = IndexCopyEntry(i);
        uint32_t address = Get24(entry + 1);
        uint32_t length = Get24(entry + 5);
        if (entry[0] != 1 || address == 0 || address == 0xFFFFFF) continue;
        // A picture that would lie outside the picture area cannot be one of ours; reading
        // or moving it would reach past the images.
        if (!InPictureArea(address, length)) continue;
        PictureRecord& record = m_records[count++];
        record = {1, kStateOnDevice, static_cast<int32_t>(address), static_cast<int32_t>(length)};
        total += length;
        m_usedEnd = std::max(m_usedEnd, static_cast<int>(address + length));
    }
    m_totalStoredBytes = static_cast<int>(std::clamp<int64_t>(total, 0, m_flashBytes));
    m_freeSpace = m_flashBytes - m_usedEnd;
    return count;
}

void FlashModel::CompactRecords(int count) {
    // Every entry the index parse may take a picture from is looked at: an index listing a
    // picture past twice the capacity (a corrupt one) would otherwise keep that entry where it
    // is while its record moves down, and after a destroyed picture the album's pictures and
    // their records parted. Numbers above the picture table cannot hold a record.
    const int highest = std::min(kIndexEntries, kRecordCount);
    count = std::min(count, highest);
    for (int n = 1; n <= count; ++n) {
        if (!IndexEntryFree(n - 1)) continue;
        int m = n + 1;
        while (m <= highest && IndexEntryFree(m - 1)) ++m;
        if (m > highest) continue;
        uint8_t* to = IndexCopyEntryMutable(n - 1);
        uint8_t* from = IndexCopyEntryMutable(m - 1);
        std::memcpy(to, from, kIndexEntrySize);
        std::memset(from, 0, kIndexEntrySize);
        if (!m_state.m_bReading) {
            m_records[n - 1] = m_records[m - 1];
            m_records[m - 1] = PictureRecord{0, 0, 0, 0};
        }
    }
}

bool FlashModel::FitsNewPicture(int length, int albumCount) {
    const int64_t limit =
        (static_cast<int64_t>(m_flashSizeKB) - 4) * 1024 - m_indexAddress - m_totalStoredBytes;
    if (!(length < limit && albumCount < m_capacity)) return false;
    if (m_freeSpace < length) Repack(albumCount);
    return true;
}

bool FlashModel::AppendPicture(int k, const std::filesystem::path& streamFile) {
    std::ifstream in(streamFile, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    return AppendPicture(k, bytes.data(), bytes.size());
}

bool FlashModel::AppendPicture(int k, const uint8_t* data, size_t length) {
    const int64_t address = m_nextAddress;
    if (k < 0 || k >= kIndexEntries || !IsAllocated()) return false;
    if (length > 0xFFFFFF || !InPictureArea(address, static_cast<int64_t>(length))) return false;
    const int len = static_cast<int>(length);
    if (len > 0) {
        std::memcpy(m_pictureStore.data() + address, data, length);
        std::memcpy(m_deviceImage.data() + address, data, length);
    }
    WriteEntry(IndexCopyEntryMutable(k), 1, static_cast<uint32_t>(address),
               static_cast<uint32_t>(len));
    m_records[k] = {1, kStateToWrite, static_cast<int32_t>(address), len};
    m_records[k].added = true;
    m_totalStoredBytes += len;
    m_freeSpace -= len;
    m_usedEnd += len;
    return true;
}

void FlashModel::Repack(int albumCount) {
    albumCount = std::clamp(albumCount, 0, kRecordCount);
    // The pictures are copied from a snapshot: after Move Up/Down the album order is no longer
    // the address order, and moving in place would overwrite a picture not yet moved.
    const std::vector<uint8_t> source = m_pictureStore;
    int64_t target = PictureAreaStart();
    for (int i = 0; i < albumCount; ++i) {
        PictureRecord& record = m_records[i];
        if (record.inUse != 1) continue;
        if (!InPictureArea(record.address, record.length) || !InPictureArea(target, record.length))
            continue;
        if (record.address != target) {
            std::memcpy(m_pictureStore.data() + target, source.data() + record.address,
                        static_cast<size_t>(record.length));
            std::memcpy(m_deviceImage.data() + target, source.data() + record.address,
                        static_cast<size_t>(record.length));
            record.address = static_cast<int32_t>(target);
            record.state = kStateToWrite;
            if (!record.added) record.moved = true;
            if (i < kIndexCopyEntries)
                Put24(IndexCopyEntryMutable(i) + 1, static_cast<uint32_t>(target));
        }
        target += record.length;
    }
    m_repacked = true;
    m_state.m_bModified = true;
    m_usedEnd = static_cast<int>(target);
    m_freeSpace = m_flashBytes - m_usedEnd;
}

void FlashModel::BuildIndex(int n) {
    ClearStoreIndexEntries(0);
    for (int i = 0; i < n; ++i) BuildIndexEntry(i);
    BuildIndexFields();
}

void FlashModel::BuildIndexEntry(int i) {
    if (i < 0 || i >= kIndexEntries || !IsAllocated()) return;
    const PictureRecord& record = m_records[i];
    WriteEntry(m_pictureStore.data() + m_indexAddress + kIndexHeadSize + kIndexEntrySize * i,
               record.inUse, static_cast<uint32_t>(record.address),
               static_cast<uint32_t>(record.length));
}

void FlashModel::BuildIndexFields() {
    if (!IsAllocated()) return;
    uint8_t* block = m_pictureStore.data() + m_indexAddress;
    std::memcpy(block, kMagic, 4);
    Put24(block + 9, static_cast<uint32_t>(m_indexAddress));
    block[12] = 0x00;
    block[13] = 0x10;
}

void FlashModel::ClearStoreIndexEntries(int from) {
    if (!IsAllocated()) return;
    from = std::clamp(from, 0, kIndexEntries);
    uint8_t* block = m_pictureStore.data() + m_indexAddress;
    std::memset(block + kIndexHeadSize + kIndexEntrySize * from, 0,
                kIndexBlockSize - kIndexHeadSize - kIndexEntrySize * from);
}

void FlashModel::ClearDeviceImageIndexEntries() {
    if (!IsAllocated()) return;
    std::memset(m_deviceImage.data() + m_indexAddress + kIndexHeadSize, 0,
                kIndexBlockSize - kIndexHeadSize);
}

void FlashModel::ClearIndexCopyEntries(int from) {
    from = std::clamp(from, 0, kIndexCopyEntries);
    std::memset(m_indexCopy + kIndexHeadSize + kIndexEntrySize * from, 0,
                kIndexCopySize - kIndexHeadSize - kIndexEntrySize * from);
}

int FlashModel::ClearPicture(int number) {
    if (number < 1 || number > kRecordCount) return 0;
    PictureRecord& record = m_records[number - 1];
    const int length = record.length;
    std::memset(IndexCopyEntryMutable(number - 1), 0, kIndexEntrySize);
    record = PictureRecord{0, 0, 0, 0};
    m_totalStoredBytes = std::max(0, m_totalStoredBytes - length);
    return length;
}

void FlashModel::SwapPictures(int numberA, int numberB) {
    if (numberA < 1 || numberB < 1 || numberA > kRecordCount || numberB > kRecordCount) return;
    uint8_t saved[kIndexEntrySize];
    uint8_t* a = IndexCopyEntryMutable(numberA - 1);
    uint8_t* b = IndexCopyEntryMutable(numberB - 1);
    std::memcpy(saved, a, kIndexEntrySize);
    std::memcpy(a, b, kIndexEntrySize);
    std::memcpy(b, saved, kIndexEntrySize);
    std::swap(m_records[numberA - 1], m_records[numberB - 1]);
}

void FlashModel::WriteEntry(uint8_t* entry, uint8_t flag, uint32_t address, uint32_t length) {
    entry[0] = flag;
    Put24(entry + 1, address);
    entry[4] = 0;
    Put24(entry + 5, length);
}

}  // namespace framewise
