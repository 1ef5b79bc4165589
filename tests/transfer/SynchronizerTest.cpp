#include "TransferTestSupport.h"
#include "config/EventNames.h"
#include "transfer/TransferWorker.h"

namespace framewise::test {
namespace {

std::vector<uint8_t> Bytes(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 29 + (i >> 9));
    return bytes;
}

// Puts raw picture bytes into the model as album picture k + 1 at the given address.
void PlacePicture(TransferRig& rig, int k, int address, const std::vector<uint8_t>& bytes) {
    FlashModel& model = rig.connection->Model();
    std::memcpy(model.PictureStore().data() + address, bytes.data(), bytes.size());
    model.Record(k) = {1, kStateToWrite, address, static_cast<int32_t>(bytes.size())};
    rig.album->count = k + 1;
    rig.state.m_bModified = true;
}

TEST(Synchronizer, WritesTheBlocksOfMarkedPicturesThenTheIndexBlock) {
    struct Case {
        const char* name;
        int address, length;
        std::vector<uint32_t> erased;
    };
    const Case cases[] = {
        {"inside the index's block", 200704, 10000, {0x30000}},
        {"runs into the next block", 262100, 2000, {0x40000, 0x30000}},
        {"inside a later block", 300000, 5000, {0x40000, 0x30000}},
        {"longer than 64 KB", 0x31000 + 5000, 200000, {0x40000, 0x50000, 0x60000, 0x30000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig rig;
        rig.AttachAndRead();
        auto bytes = Bytes(static_cast<size_t>(c.length), 7);
        PlacePicture(rig, 0, c.address, bytes);
        rig.frame->ClearLog();
        ASSERT_TRUE(rig.sync->Synchronize());
        EXPECT_EQ(rig.frame->EraseAddresses(), c.erased);
        EXPECT_EQ(rig.frame->Programs().size(), c.erased.size());
        const auto flash = rig.frame->Flash();
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), flash.begin() + c.address));
        EXPECT_EQ(FlashIndex(flash, 0x30000),
                  (std::vector<std::pair<uint32_t, uint32_t>>{
                      {static_cast<uint32_t>(c.address), static_cast<uint32_t>(c.length)}}));
        EXPECT_EQ(rig.connection->Model().Record(0).state, kStateOnDevice);
        EXPECT_FALSE(rig.state.m_bModified);
        EXPECT_TRUE(rig.state.m_bReady);
        EXPECT_EQ(rig.fe.LastStatus(), "Finished!");
        EXPECT_EQ(rig.fe.Events().back(), "FinishThread");
    }
}

TEST(Synchronizer, RoundTripThroughTheFrame) {
    TransferRig rig;
    rig.AttachAndRead();
    std::vector<std::vector<uint8_t>> streams;
    for (int i = 0; i < 5; ++i) {
        streams.push_back(EncodeStream(128, 128, i + 1, 60 + 8 * i));
        rig.AddPicture(streams.back());
    }
    std::vector<std::vector<uint8_t>> files;
    for (int n = 1; n <= 5; ++n) files.push_back(ReadFile(rig.album->Path(n)));
    ASSERT_TRUE(rig.sync->Synchronize());

    // What a frame would find in its flash, read from the image file itself.
    const auto flash = ReadFile(rig.image);
    const auto index = FlashIndex(flash, 0x30000);
    ASSERT_EQ(index.size(), 5u);
    uint32_t address = 0x31000;
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(index[i].first, address);
        ASSERT_EQ(index[i].second, streams[i].size());
        EXPECT_TRUE(std::equal(streams[i].begin(), streams[i].end(), flash.begin() + address));
        address += index[i].second;
    }
    EXPECT_EQ(flash[0x30000 + 12], 0x00);
    EXPECT_EQ(flash[0x30000 + 13], 0x10);

    rig.Reattach();
    ASSERT_EQ(rig.album->Files().size(), 5u);
    for (int n = 1; n <= 5; ++n) {
        BmpImage read, added;
        ASSERT_TRUE(ReadBmp24(rig.album->Path(n), read, nullptr));
        ASSERT_TRUE(DecodeBmp24(files[n - 1].data(), files[n - 1].size(), added, nullptr));
        EXPECT_EQ(read.rows, added.rows) << n;
    }
}

TEST(Synchronizer, StoppingAfterThreeOfTenLeavesAnIndexOfThree) {
    TransferRig rig;
    rig.AttachAndRead();
    for (int i = 0; i < 10; ++i) rig.AddPicture(EncodeStream(128, 128, i));
    rig.fe.onStatus = [&](const std::string& text) {
        if (text == "Sending.......3/10") rig.state.m_bQuitPending = true;
    };
    ASSERT_TRUE(rig.sync->Synchronize());
    EXPECT_EQ(FlashIndex(rig.frame->Flash(), 0x30000).size(), 3u);
    EXPECT_EQ(rig.fe.Count("status", "Stopping……"), 1);
    EXPECT_EQ(rig.fe.Events().back(), "FinishThread");
}

TEST(Synchronizer, DeletingEveryPictureWritesOnlyTheIndexBlock) {
    TransferRig rig;
    PokeAlbum(*rig.frame, 0x30000,
              {EncodeStream(128, 128, 1), Bytes(70000, 2), EncodeStream(128, 128, 3)});
    rig.AttachAndRead();
    ASSERT_EQ(rig.album->count, 2);
    FlashModel& model = rig.connection->Model();
    for (int n = 1; n <= 2; ++n) model.ClearPicture(n);
    model.CompactRecords(2);
    rig.album->Empty();
    rig.state.m_bModified = true;
    rig.frame->ClearLog();
    ASSERT_TRUE(rig.sync->Synchronize());
    EXPECT_EQ(rig.frame->EraseAddresses(), std::vector<uint32_t>{0x30000});
    ASSERT_EQ(rig.frame->Programs().size(), 1u);
    EXPECT_EQ(rig.frame->Programs()[0].address, 0x30000u);
    const auto flash = rig.frame->Flash();
    EXPECT_TRUE(FlashIndex(flash, 0x30000).empty());
    EXPECT_EQ(0, std::memcmp(flash.data() + 0x30000, "TQFS", 4));
    rig.Reattach();
    EXPECT_EQ(rig.fe.LastStatus(), "No photos in device!");
}

TEST(Synchronizer, FourBadWritesFailWithTheAddressAndASecondRunSucceeds) {
    TransferRig rig;
    rig.AttachAndRead();
    rig.AddPicture(EncodeStream(128, 128, 1));
    const auto folderBefore = ReadFile(rig.album->Path(1));
    for (int i = 0; i < 4; ++i) rig.frame->InjectFault(SimFault::CorruptProgram, 1);
    EXPECT_FALSE(rig.sync->Synchronize());
    EXPECT_EQ(rig.fe.Messages(),
              std::vector<std::string>{"Verify failed after write 65536 length data at address "
                                       "196608 B!"});
    EXPECT_TRUE(rig.state.m_bReady);
    EXPECT_TRUE(rig.state.m_bModified);
    EXPECT_EQ(rig.enabled.back(), true);
    // The read's end, then the synchronize's.
    EXPECT_EQ(rig.fe.Events(),
              (std::vector<std::string>{"DPFAttach", "FinishThread", "TransferFailed"}));
    EXPECT_EQ(rig.fe.Entries().back().value, events::kTransferSynchronize);
    EXPECT_EQ(ReadFile(rig.album->Path(1)), folderBefore);

    ASSERT_TRUE(rig.sync->CanSynchronize());
    ASSERT_TRUE(rig.sync->Synchronize());
    EXPECT_EQ(FlashIndex(rig.frame->Flash(), 0x30000).size(), 1u);

    // The same failure in a Chinese language names the address first.
    std::ofstream(rig.dir / "lang.ini") << "[Language]\nLan_1=Chinese Simplified\n";
    rig.language.SetFile(rig.dir / "lang.ini");
    rig.language.CountLanguages();
    rig.language.SetLangIndex(0);
    rig.AddPicture(EncodeStream(128, 128, 2));
    for (int i = 0; i < 4; ++i) rig.frame->InjectFault(SimFault::CorruptProgram, 1);
    rig.fe.Clear();
    EXPECT_FALSE(rig.sync->Synchronize());
    EXPECT_EQ(rig.fe.Messages(),
              std::vector<std::string>{"在地址196608 B写完长度为65536 的数据后校验失败!"});
}

TEST(Synchronizer, AnUnplugMidWriteLeavesTheAlbumAndASecondRunRepairsTheFrame) {
    TransferRig rig;
    rig.AttachAndRead();
    FlashModel& model = rig.connection->Model();
    auto big = Bytes(150000, 3);
    PlacePicture(rig, 0, 0x31000, big);
    auto encoded = EncodeStream(128, 128, 5);
    std::memcpy(model.PictureStore().data() + 0x31000 + 150000, encoded.data(), encoded.size());
    model.Record(1) = {1, kStateToWrite, 0x31000 + 150000, static_cast<int32_t>(encoded.size())};
    rig.album->count = 2;
    std::ofstream(rig.album->Path(1)) << "first";
    std::ofstream(rig.album->Path(2)) << "second";

    // Wake, then per block: preamble (3), erase, preamble (3), program, verify: 9 commands.
    rig.frame->InjectFault(SimFault::Unplug, 1 + 9 + 5);
    EXPECT_FALSE(rig.sync->Synchronize());
    EXPECT_TRUE(rig.state.m_bReady);
    EXPECT_TRUE(rig.state.m_bModified);
    EXPECT_EQ(rig.album->Files(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(ReadFile(rig.album->Path(2)), (std::vector<uint8_t>{'s', 'e', 'c', 'o', 'n', 'd'}));

    rig.frame->Plug();
    ASSERT_TRUE(rig.sync->Synchronize());
    const auto flash = rig.frame->Flash();
    EXPECT_TRUE(std::equal(big.begin(), big.end(), flash.begin() + 0x31000));
    EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), flash.begin() + 0x31000 + 150000));
    EXPECT_EQ(FlashIndex(flash, 0x30000).size(), 2u);
}

TEST(Synchronizer, TheCommandRunsOnlyWhenReadyAndModifiedOnTheWorkerThread) {
    TransferRig rig;
    rig.AttachAndRead();
    TransferWorker worker;
    EXPECT_FALSE(rig.sync->Command(worker));  // nothing modified
    rig.AddPicture(EncodeStream(128, 128, 2));
    rig.state.m_bBatchAdding = true;
    EXPECT_FALSE(rig.sync->Command(worker));
    rig.state.m_bBatchAdding = false;
    rig.enabled.clear();
    ASSERT_TRUE(rig.sync->Command(worker));
    worker.Join();
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(rig.enabled.front(), false);
    EXPECT_EQ(rig.fe.Events().back(), "FinishThread");
    EXPECT_FALSE(rig.state.m_bModified);
    EXPECT_FALSE(rig.sync->Command(worker));  // unchanged since the last synchronize
}

}  // namespace
}  // namespace framewise::test
