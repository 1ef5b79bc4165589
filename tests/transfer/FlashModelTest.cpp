#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "transfer/FlashModel.h"

namespace framewise {
namespace {

using namespace flash;

DeviceInfo Info(int flashKB, int indexAddress = 0x30000, int capacity = 500) {
    DeviceInfo info;
    info.flashSizeKB = flashKB;
    info.indexAddress = indexAddress;
    info.capacity = capacity;
    info.lcdWidth = info.lcdHeight = 128;
    return info;
}

void PutEntry(std::vector<uint8_t>& image, int indexAddress, int i, uint8_t flag, uint32_t address,
              uint32_t length) {
    uint8_t* e = image.data() + indexAddress + 16 + 8 * i;
    e[0] = flag;
    Put24(e + 1, address);
    e[4] = 0;
    Put24(e + 5, length);
}

void PutMagic(std::vector<uint8_t>& image, int indexAddress) {
    std::memcpy(image.data() + indexAddress, "TQFS", 4);
}

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

TEST(FlashModel, ParseIndexCountsUsedEntriesAndCompactAlignsTheIndexCopy) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(2048, 196608)));
    auto& image = model.DeviceImage();
    PutMagic(image, 196608);
    PutEntry(image, 196608, 0, 1, 200704, 5000);
    PutEntry(image, 196608, 1, 0, 0, 0);
    PutEntry(image, 196608, 2, 1, 205704, 3000);
    model.LoadIndex();
    EXPECT_EQ(model.ParseIndex(), 2);
    EXPECT_EQ(model.TotalStoredBytes(), 8000);
    EXPECT_EQ(model.UsedEnd(), 208704);
    EXPECT_EQ(model.FreeSpace(), 2048 * 1024 - 208704);
    EXPECT_EQ(model.Record(0).address, 200704);
    EXPECT_EQ(model.Record(1).address, 205704);
    EXPECT_EQ(model.Record(1).state, kStateOnDevice);

    state.m_bReading = true;
    model.CompactRecords(2);
    EXPECT_EQ(Get24(model.IndexCopyEntry(1) + 1), 205704u);
    EXPECT_EQ(Get24(model.IndexCopyEntry(1) + 5), 3000u);
    EXPECT_TRUE(model.IndexEntryFree(2));
    EXPECT_EQ(model.Record(1).address, 205704);  // records stay while reading
}

TEST(FlashModel, IndexWithoutMagicIsEmptyAndEntriesOutsideThePictureAreaAreSkipped) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(1024)));
    auto& image = model.DeviceImage();
    PutEntry(image, 0x30000, 0, 1, 0x31000, 100);
    model.LoadIndex();
    EXPECT_EQ(model.ParseIndex(), 0);
    EXPECT_EQ(model.UsedEnd(), 0x31000);  // an empty album ends where the picture area starts

    PutMagic(image, 0x30000);
    PutEntry(image, 0x30000, 1, 1, 0xFFFFFF, 10);          // erased address
    PutEntry(image, 0x30000, 2, 1, 0x100, 10);             // in the protected area
    PutEntry(image, 0x30000, 3, 1, 0x30010, 10);           // inside the index block
    PutEntry(image, 0x30000, 4, 1, 1024 * 1024 - 5, 10);   // runs past the flash
    PutEntry(image, 0x30000, 5, 2, 0x32000, 10);           // flag other than 1
    PutEntry(image, 0x30000, 6, 1, 1024 * 1024 - 10, 10);  // ends exactly at the flash end
    model.LoadIndex();
    EXPECT_EQ(model.ParseIndex(), 2);
    EXPECT_EQ(model.Record(0).address, 0x31000);
    EXPECT_EQ(model.Record(1).address, 1024 * 1024 - 10);
    EXPECT_EQ(model.TotalStoredBytes(), 110);
}

TEST(FlashModel, FitsNewPictureKeepsRoomForTheLastFourKilobytesAndTheCapacity) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(1024, 0x30000, 3)));
    model.SetTotalStoredBytes(100000);
    EXPECT_TRUE(model.FitsNewPicture(720000, 0));
    EXPECT_FALSE(model.FitsNewPicture(747872, 0));
    EXPECT_TRUE(model.FitsNewPicture(747871, 2));
    EXPECT_FALSE(model.FitsNewPicture(10, 3));  // capacity reached
}

TEST(FlashModel, AppendGoesToTheNextAddressAndRepackClosesGapsInAlbumOrder) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(512)));
    const int start = 0x31000;
    const int flashBytes = 512 * 1024;
    const int size = 100000;
    auto a = Pattern(size, 1), b = Pattern(size, 2), c = Pattern(size, 3);
    for (int k = 0; k < 3; ++k) {
        model.CaptureNextAddress();
        ASSERT_TRUE(model.AppendPicture(k, (k == 0 ? a : k == 1 ? b : c).data(), size));
    }
    EXPECT_EQ(model.Record(0).address, start);
    EXPECT_EQ(model.Record(2).address, start + 2 * size);
    EXPECT_EQ(model.Record(2).state, kStateToWrite);
    EXPECT_EQ(model.UsedEnd(), start + 3 * size);

    // Delete the first one as the album command does.
    EXPECT_EQ(model.ClearPicture(1), size);
    model.CompactRecords(3);
    EXPECT_EQ(model.Record(0).address, start + size);
    EXPECT_EQ(model.TotalStoredBytes(), 2 * size);
    for (int i = 0; i < 2; ++i) model.Record(i).state = kStateOnDevice;

    // The fourth does not fit after the used end, but fits the total: a repack makes room.
    const int fourth = flashBytes - (start + 3 * size) + 1000;
    ASSERT_LT(model.FreeSpace(), fourth);
    state.m_bModified = false;
    ASSERT_TRUE(model.FitsNewPicture(fourth, 2));
    EXPECT_TRUE(model.Repacked());
    EXPECT_TRUE(state.m_bModified);
    EXPECT_EQ(model.Record(0).address, start);
    EXPECT_EQ(model.Record(1).address, start + size);
    EXPECT_EQ(model.Record(0).state, kStateToWrite);
    EXPECT_EQ(model.Record(1).state, kStateToWrite);
    EXPECT_EQ(Get24(model.IndexCopyEntry(1) + 1), static_cast<uint32_t>(start + size));
    EXPECT_EQ(model.UsedEnd(), start + 2 * size);
    EXPECT_EQ(0, std::memcmp(model.PictureStore().data() + start, b.data(), size));
    EXPECT_EQ(0, std::memcmp(model.PictureStore().data() + start + size, c.data(), size));
    EXPECT_EQ(0, std::memcmp(model.DeviceImage().data() + start + size, c.data(), size));

    model.CaptureNextAddress();
    auto d = Pattern(fourth, 4);
    ASSERT_TRUE(model.AppendPicture(2, d.data(), d.size()));
    EXPECT_EQ(model.Record(2).address, start + 2 * size);
}

TEST(FlashModel, RepackAfterASwapKeepsEveryPictureIntact) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(512)));
    auto a = Pattern(3000, 10), b = Pattern(5000, 20), c = Pattern(4000, 30);
    const std::vector<uint8_t>* pictures[] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        model.CaptureNextAddress();
        ASSERT_TRUE(model.AppendPicture(k, pictures[k]->data(), pictures[k]->size()));
    }
    model.ClearPicture(1);
    model.CompactRecords(3);   // album: b, c
    model.SwapPictures(1, 2);  // album: c, b — c now lies above b
    model.Repack(2);
    const auto& store = model.PictureStore();
    const int start = model.PictureAreaStart();
    EXPECT_EQ(model.Record(0).address, start);
    EXPECT_EQ(0, std::memcmp(store.data() + model.Record(0).address, c.data(), c.size()));
    EXPECT_EQ(0, std::memcmp(store.data() + model.Record(1).address, b.data(), b.size()));
    EXPECT_EQ(model.Record(1).address, start + 4000);
}

TEST(FlashModel, AppendRefusesAPictureThatWouldLeaveTheFlash) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(256)));
    auto big = Pattern(256 * 1024, 1);
    model.CaptureNextAddress();
    EXPECT_FALSE(model.AppendPicture(0, big.data(), big.size()));
    EXPECT_EQ(model.TotalStoredBytes(), 0);
    EXPECT_EQ(model.Record(0).inUse, 0xFF);
    EXPECT_FALSE(model.AppendPicture(0, "/nonexistent/JPGTmp.jpg"));
    EXPECT_FALSE(model.AppendPicture(kIndexEntries, big.data(), 10));
}

TEST(FlashModel, BuildIndexWritesEntriesAndTheBlockFieldsOnly) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(1024)));
    auto& store = model.PictureStore();
    const int ia = 0x30000;
    std::fill(store.begin() + ia, store.begin() + ia + 4096, 0xEE);
    auto pic = Pattern(0x1234, 5);
    model.CaptureNextAddress();
    ASSERT_TRUE(model.AppendPicture(0, pic.data(), pic.size()));
    model.BuildIndex(1);
    const uint8_t expectHead[16] = {'T',  'Q',  'F',  'S',  0xEE, 0xEE, 0xEE, 0xEE,
                                    0xEE, 0x00, 0x00, 0x03, 0x00, 0x10, 0xEE, 0xEE};
    EXPECT_EQ(0, std::memcmp(store.data() + ia, expectHead, 16));
    const uint8_t expectEntry[8] = {1, 0x00, 0x10, 0x03, 0, 0x34, 0x12, 0x00};
    EXPECT_EQ(0, std::memcmp(store.data() + ia + 16, expectEntry, 8));
    for (int i = 24; i < 4096; ++i) ASSERT_EQ(store[ia + i], 0) << i;
}

TEST(FlashModel, CapacityIsClampedToWhatTheIndexHolds) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(1024, 0x30000, 2000)));
    EXPECT_EQ(model.Capacity(), kIndexEntries);
    // Compacting with the whole table's worth of numbers stays inside the table.
    model.ResetTable();
    model.CompactRecords(1000);
    EXPECT_EQ(model.Record(999).inUse, 0xFF);
}

TEST(FlashModel, AllocateSizesImagesAndBlockFlags) {
    AppState state;
    FlashModel model(state);
    ASSERT_TRUE(model.Allocate(Info(2048)));
    EXPECT_EQ(model.DeviceImage().size(), 2u * 1024 * 1024);
    EXPECT_EQ(model.PictureStore().size(), 2u * 1024 * 1024);
    EXPECT_EQ(model.BlockFlags().size(), 32u);
}

}  // namespace
}  // namespace framewise
