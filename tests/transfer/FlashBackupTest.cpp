#include "TransferTestSupport.h"
#include "transfer/FlashBackup.h"

namespace framewise::test {
namespace {

TEST(FlashBackup, SynchronizeSavesTheFrameAsItWasBeforeWriting) {
    TransferRig rig;
    auto first = EncodeStream(128, 128, 1), second = EncodeStream(128, 128, 2);
    PokeAlbum(*rig.frame, 0x30000, {first, second});
    const auto before = rig.frame->Flash();
    rig.AttachAndRead();
    // Delete the first picture and repack: the second moves down in both images, over the
    // first's bytes. The backup must still be the frame's old state.
    FlashModel& model = rig.connection->Model();
    model.ClearPicture(1);
    model.CompactRecords(2);
    rig.album->count = 1;
    model.Repack(1);
    ASSERT_EQ(model.Record(0).address, 0x31000);
    ASSERT_TRUE(rig.sync->Synchronize());
    const size_t used = 0x31000 + first.size() + second.size();

    const auto backups = ListFlashBackups(rig.dir / "backups", rig.connection->Info());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].parent_path().filename(), FrameId(rig.connection->Info()));
    const auto saved = ReadFile(backups[0]);
    ASSERT_EQ(saved.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 64, saved.begin()));
    EXPECT_TRUE(
        std::equal(before.begin() + 0x30000, before.begin() + used, saved.begin() + 0x30000));
    EXPECT_EQ(FlashIndex(saved, 0x30000).size(), 2u);
    EXPECT_EQ(FlashIndex(rig.frame->Flash(), 0x30000).size(), 1u);
}

TEST(FlashBackup, OnlyTheNewestFiveAreKept) {
    TransferRig rig;
    rig.AttachAndRead();
    const auto root = rig.dir / "kept";
    std::filesystem::path last;
    std::string error;
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(SaveFlashBackup(root, rig.connection->Info(),
                                    rig.connection->Model().DeviceImage(), last, error))
            << error;
    const auto files = ListFlashBackups(root, rig.connection->Info());
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files.back(), last);
}

TEST(FlashBackup, WholeFlashBackupAndRestorePutTheFrameBack) {
    TransferRig rig;
    PokeAlbum(*rig.frame, 0x30000, {EncodeStream(128, 128, 1), EncodeStream(128, 128, 2)});
    rig.AttachAndRead();
    const auto file = rig.dir / "whole.img";
    std::string error;
    ASSERT_TRUE(BackupWholeFlash(*rig.connection, file, error)) << error;
    const auto original = rig.frame->Flash();
    EXPECT_EQ(ReadFile(file), original);

    rig.connection->Model().ClearPicture(1);
    rig.connection->Model().CompactRecords(2);
    rig.album->count = 1;
    rig.state.m_bModified = true;
    ASSERT_TRUE(rig.sync->Synchronize());
    ASSERT_NE(rig.frame->Flash(), original);

    ASSERT_TRUE(RestoreFlash(*rig.connection, file, error)) << error;
    EXPECT_EQ(rig.frame->Flash(), original);
    rig.Reattach();
    EXPECT_EQ(rig.album->Files().size(), 2u);
}

TEST(FlashBackup, RestoreRefusesAnotherSizeOrAnotherFrame) {
    TransferRig rig;
    rig.AttachAndRead();
    const auto original = rig.frame->Flash();
    std::string error;

    auto wrongSize = original;
    wrongSize.resize(original.size() / 2);
    std::ofstream(rig.dir / "half.img", std::ios::binary)
        .write(reinterpret_cast<const char*>(wrongSize.data()), wrongSize.size());
    EXPECT_FALSE(RestoreFlash(*rig.connection, rig.dir / "half.img", error));

    auto other = original;
    other[35] ^= 0x01;  // another LCD width
    std::fill(other.begin() + 0x30000, other.end(), 0x00);
    std::ofstream(rig.dir / "other.img", std::ios::binary)
        .write(reinterpret_cast<const char*>(other.data()), other.size());
    EXPECT_FALSE(RestoreFlash(*rig.connection, rig.dir / "other.img", error));
    EXPECT_NE(error.find("another frame"), std::string::npos);
    EXPECT_EQ(rig.frame->Flash(), original);
}

}  // namespace
}  // namespace framewise::test
