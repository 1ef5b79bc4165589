#include "TransferTestSupport.h"
#include "transfer/TransferWorker.h"

namespace framewise::test {
namespace {

// The pixels an album file should hold for a stream: an independent decode, bottom-up.
std::vector<uint8_t> ExpectedRows(JpegDecoder& decoder, const std::vector<uint8_t>& stream,
                                  int width, int height) {
    DecodedPicture picture;
    EXPECT_TRUE(decoder.decode(stream.data(), stream.size(), width, height, picture));
    return TransferRig::BottomUp(picture);
}

std::vector<uint8_t> FileRows(const std::filesystem::path& file) {
    BmpImage image;
    EXPECT_TRUE(ReadBmp24(file, image, nullptr)) << file;
    return image.rows;
}

std::vector<uint8_t> Garbage(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed * 31 + i * 13);
    return bytes;
}

TEST(AlbumReader, UndecodablePicturesAreDroppedAndTheRestRenumbered) {
    TransferRig rig;
    auto first = EncodeStream(128, 128, 1), third = EncodeStream(128, 128, 3);
    PokeAlbum(*rig.frame, 0x30000, {first, Garbage(3000, 2), third, Garbage(500, 4)});
    rig.AttachAndRead();

    EXPECT_EQ(rig.album->Files(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(FileRows(rig.album->Path(1)), ExpectedRows(rig.decoder, first, 128, 128));
    EXPECT_EQ(FileRows(rig.album->Path(2)), ExpectedRows(rig.decoder, third, 128, 128));
    EXPECT_EQ(rig.fe.Count("message", "The picture is destroyed!"), 1);
    EXPECT_EQ(rig.album->totals.back(), 2);
    EXPECT_EQ(rig.settings.ReadInt("info", "UserPic", 0), 4);

    const FlashModel& model = rig.connection->Model();
    EXPECT_EQ(model.Record(0).address, 0x31000);
    EXPECT_EQ(model.Record(1).address, 0x31000 + static_cast<int>(first.size()) + 3000);
    EXPECT_EQ(model.Record(1).length, static_cast<int>(third.size()));
    EXPECT_EQ(model.Record(1).state, kStateOnDevice);
    EXPECT_EQ(model.TotalStoredBytes(), static_cast<int>(first.size() + third.size()));
    EXPECT_FALSE(model.IndexEntryFree(1));
    EXPECT_TRUE(model.IndexEntryFree(2));

    EXPECT_EQ(rig.fe.Events(), (std::vector<std::string>{"DPFAttach", "FinishThread"}));
    EXPECT_EQ(rig.fe.Texts("status").back(), "Reading Finished!");
    EXPECT_FALSE(rig.state.m_bReading);
    EXPECT_TRUE(rig.state.m_bReady);
    // The picture store equals the device image over the index block and the pictures.
    const int end = model.UsedEnd();
    EXPECT_TRUE(std::equal(model.DeviceImage().begin() + 0x30000, model.DeviceImage().begin() + end,
                           model.PictureStore().begin() + 0x30000));
}

// A corrupt index of a frame that takes 4 pictures: a destroyed picture, and the last picture
// listed far down the index. The album's pictures stay paired with their records, and the
// next synchronize writes every one of them.
TEST(AlbumReader, ACorruptIndexDoesNotPartTheAlbumFromItsRecordsPastADestroyedPicture) {
    FrameImageOptions options;
    options.capacity = 4;
    TransferRig rig(options);
    std::vector<std::vector<uint8_t>> streams = {EncodeStream(128, 128, 1), Garbage(3000, 2),
                                                 EncodeStream(128, 128, 3)};
    PokeAlbum(*rig.frame, 0x30000, streams);
    const std::vector<uint8_t> flash = rig.frame->Flash();
    std::vector<uint8_t> index(flash.begin() + 0x30000, flash.begin() + 0x31000);
    uint8_t* entries = index.data() + 16;
    std::memmove(entries + 8 * 12, entries + 8 * 2, 8);  // the last picture: entry 12
    std::memset(entries + 8 * 2, 0, 8);
    ASSERT_TRUE(rig.frame->Poke(0x30000, index));
    rig.AttachAndRead();

    ASSERT_EQ(rig.album->Files(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(FileRows(rig.album->Path(2)), ExpectedRows(rig.decoder, streams[2], 128, 128));
    const FlashModel& model = rig.connection->Model();
    for (int i = 0; i < 2; ++i) EXPECT_EQ(model.Record(i).inUse, 1) << i;
    EXPECT_EQ(model.Record(1).length, static_cast<int>(streams[2].size()));

    rig.state.m_bModified = true;
    ASSERT_TRUE(rig.sync->Synchronize());
    std::vector<uint32_t> lengths;
    for (const auto& [address, length] : FlashIndex(rig.frame->Flash(), 0x30000))
        lengths.push_back(length);
    EXPECT_EQ(lengths,
              (std::vector<uint32_t>{uint32_t(streams[0].size()), uint32_t(streams[2].size())}));
}

TEST(AlbumReader, ALongPictureIsReadInVerifiedPartsOf64KB) {
    TransferRig rig;
    PokeAlbum(*rig.frame, 0x30000, {Garbage(70000, 9)});
    rig.state.m_bAttached = true;
    rig.connection->Attach();
    rig.channel->sent.clear();
    rig.reader->ReadAlbum();

    std::vector<uint32_t> reads, verifies;
    for (const auto& b : rig.channel->sent) {
        if (IsFlashRead(b)) reads.push_back(Be24(b.data() + 7));
        if (IsVerify(b)) verifies.push_back(uint32_t{b[7]} << 8 | b[8]);
    }
    // The index block, then 16 reads of 4096 for the first part and 4096 + 384 for the second.
    ASSERT_EQ(reads.size(), 1u + 16u + 2u);
    EXPECT_EQ(reads.front(), 4096u);
    EXPECT_EQ(reads[17], 4096u);
    EXPECT_EQ(reads.back(), 384u);
    EXPECT_EQ(verifies, (std::vector<uint32_t>{4096, 0 /* 65536 */, 4464}));
}

TEST(AlbumReader, APictureEndingAtTheFlashEndIsReadWithinTheImages) {
    TransferRig rig;
    const uint32_t flashEnd = 2048 * 1024;
    auto last = EncodeStream(128, 128, 6);
    ASSERT_NE(last.size() % 64, 0u);  // the last READ then reaches past the flash end
    ASSERT_TRUE(rig.frame->Poke(flashEnd - static_cast<uint32_t>(last.size()), last));
    std::vector<uint8_t> index(4096, 0);
    std::memcpy(index.data(), "TQFS", 4);
    const uint32_t a = flashEnd - static_cast<uint32_t>(last.size());
    const uint32_t n = static_cast<uint32_t>(last.size());
    const uint8_t entry[8] = {1, uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16),
                              0, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16)};
    std::memcpy(index.data() + 16, entry, 8);
    ASSERT_TRUE(rig.frame->Poke(0x30000, index));
    int count = 0;
    rig.state.m_bAttached = true;
    rig.connection->Attach();
    ASSERT_TRUE(rig.reader->ReadIndexBlock(count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(rig.connection->Model().UsedEnd(), static_cast<int>(flashEnd));
    EXPECT_EQ(rig.connection->Model().FreeSpace(), 0);
    rig.reader->ReadAlbum();
    ASSERT_EQ(rig.album->Files().size(), 1u);
    EXPECT_EQ(FileRows(rig.album->Path(1)), ExpectedRows(rig.decoder, last, 128, 128));
}

TEST(AlbumReader, NoMagicOrTooManyPicturesIsAnEmptyAlbum) {
    for (bool tooMany : {false, true}) {
        SCOPED_TRACE(tooMany ? "more than the capacity" : "no magic");
        FrameImageOptions o;
        o.capacity = 2;
        TransferRig rig(o);
        if (tooMany)
            PokeAlbum(
                *rig.frame, 0x30000,
                {EncodeStream(128, 128, 1), EncodeStream(128, 128, 2), EncodeStream(128, 128, 3)});
        rig.AttachAndRead();
        EXPECT_TRUE(rig.album->Files().empty());
        EXPECT_EQ(rig.fe.LastStatus(), "No photos in device!");
        EXPECT_EQ(rig.album->totals.back(), 0);
        EXPECT_EQ(rig.enabled, std::vector<bool>{true});
        // The one end of every read, an empty album's included.
        EXPECT_EQ(rig.fe.Events(), (std::vector<std::string>{"DPFAttach", "FinishThread"}));
        EXPECT_TRUE(rig.state.m_bAlbumRead);
        EXPECT_TRUE(rig.state.m_bReady);
        EXPECT_FALSE(rig.state.m_bReading);
        EXPECT_EQ(rig.connection->Model().TotalStoredBytes(), 0);
        for (int i = 16; i < 4096; ++i)
            ASSERT_EQ(rig.connection->Model().PictureStore()[0x30000 + i], 0) << i;
    }
}

TEST(AlbumReader, ThreeMismatchesInOneReadAreToleratedAFourthFails) {
    for (int mismatches : {3, 4}) {
        SCOPED_TRACE(mismatches);
        TransferRig rig;
        PokeAlbum(*rig.frame, 0x30000, {EncodeStream(128, 128, 1)});
        rig.state.m_bAttached = true;
        rig.connection->Attach();
        for (int i = 0; i < mismatches; ++i) rig.frame->InjectFault(SimFault::WrongVerify, 1);
        rig.reader->ReadAlbum();
        if (mismatches == 3) {
            EXPECT_TRUE(rig.fe.Messages().empty());
            EXPECT_EQ(rig.album->Files().size(), 1u);
            EXPECT_FALSE(rig.state.m_bReadStopped);
        } else {
            EXPECT_EQ(rig.fe.Messages(),
                      (std::vector<std::string>{
                          "Verify index failed! Please insert the Device and try again!",
                          "ReadDataFromFlash failed!"}));
            EXPECT_TRUE(rig.state.m_bReadStopped);
            EXPECT_TRUE(rig.state.m_bReady);
            EXPECT_FALSE(rig.state.m_bReading);
            EXPECT_EQ(rig.fe.Count("event", "FinishThread"), 0);
            EXPECT_EQ(rig.fe.Count("event", "TransferFailed"), 1);
            EXPECT_FALSE(rig.state.m_bAlbumRead);
        }
    }
}

TEST(AlbumReader, AnUnplugMidReadLeavesAUsableStateAndARetryReadsEverything) {
    TransferRig rig;
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < 4; ++i) pictures.push_back(EncodeStream(128, 128, i));
    PokeAlbum(*rig.frame, 0x30000, pictures);
    rig.state.m_bAttached = true;
    rig.connection->Attach();
    // Each verified read is its READ commands, a status read and a verify value: the frame
    // goes away at the first command of the third picture.
    auto commands = [](size_t n) { return static_cast<uint64_t>((n + 4095) / 4096 + 2); };
    rig.frame->InjectFault(SimFault::Unplug, commands(4096) + commands(pictures[0].size()) +
                                                 commands(pictures[1].size()) + 1);
    rig.reader->ReadAlbum();
    EXPECT_TRUE(rig.state.m_bReadStopped);
    EXPECT_TRUE(rig.state.m_bReady);
    EXPECT_FALSE(rig.state.m_bReading);
    EXPECT_EQ(rig.fe.Count("event", "FinishThread"), 0);
    EXPECT_EQ(rig.fe.Count("event", "TransferFailed"), 1);
    ASSERT_EQ(rig.album->Files(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(FileRows(rig.album->Path(2)), ExpectedRows(rig.decoder, pictures[1], 128, 128));

    rig.frame->Plug();
    rig.album->Empty();
    TransferWorker worker;
    ASSERT_TRUE(rig.reader->StartRead(worker));
    worker.Join();
    EXPECT_EQ(rig.album->Files().size(), 4u);
    EXPECT_EQ(FileRows(rig.album->Path(4)), ExpectedRows(rig.decoder, pictures[3], 128, 128));
    EXPECT_FALSE(rig.state.m_bReadStopped);
    EXPECT_EQ(rig.fe.Count("event", "FinishThread"), 1);
    EXPECT_EQ(rig.connection->Model().TotalStoredBytes(),
              static_cast<int>(pictures[0].size() + pictures[1].size() + pictures[2].size() +
                               pictures[3].size()));
}

// A corrupt index can list every entry as a picture spanning the whole picture area of a
// 16 MB flash: the lengths add up far beyond what an int holds.
TEST(AlbumReader, AHostileIndexKeepsTheTotalsWithinTheFlash) {
    FrameImageOptions o;
    o.flashKb = 16320;
    TransferRig rig(o);
    const uint32_t flashBytes = o.flashKb * 1024;
    const uint32_t start = 0x31000, length = flashBytes - start;
    std::vector<uint8_t> index(4096, 0);
    std::memcpy(index.data(), "TQFS", 4);
    for (int i = 0; i < 510; ++i) {
        uint8_t* e = index.data() + 16 + 8 * i;
        const uint8_t entry[8] = {1, uint8_t(start),  uint8_t(start >> 8),  uint8_t(start >> 16),
                                  0, uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16)};
        std::memcpy(e, entry, 8);
    }
    ASSERT_TRUE(rig.frame->Poke(0x30000, index));
    rig.state.m_bAttached = true;
    rig.connection->Attach();
    int count = 0;
    ASSERT_TRUE(rig.reader->ReadIndexBlock(count));
    EXPECT_EQ(count, 510);
    const FlashModel& model = rig.connection->Model();
    EXPECT_GE(model.TotalStoredBytes(), 0);
    EXPECT_LE(model.TotalStoredBytes(), static_cast<int>(flashBytes));
    EXPECT_EQ(model.UsedEnd(), static_cast<int>(flashBytes));
    EXPECT_FALSE(rig.connection->Model().FitsNewPicture(1, 0));

    // More pictures than the capacity: the read takes the album for empty.
    rig.state.m_bReady = false;
    rig.reader->ReadAlbum();
    EXPECT_EQ(rig.fe.LastStatus(), "No photos in device!");
    EXPECT_EQ(model.TotalStoredBytes(), 0);
    EXPECT_TRUE(rig.album->Files().empty());
}

}  // namespace
}  // namespace framewise::test
