// The way back from a write cut short: the journal beside the backups, a backup read from the
// frame itself where a synchronize may write, the restore that writes only the album's blocks
// that differ, and what the next attach finds and offers.
#include <fstream>

#include "TransferTestSupport.h"
#include "transfer/FlashBackup.h"
#include "transfer/FrameRecovery.h"
#include "transfer/SyncJournal.h"

namespace framewise::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Block(const std::vector<uint8_t>& flash, uint32_t address) {
    return {flash.begin() + address, flash.begin() + address + 65536};
}

// Pictures of raw bytes (never decoded here) that span the blocks 0x30000 to 0x50000.
std::vector<std::vector<uint8_t>> Spanning() {
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> bytes(50000);
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>(k * 7 + i);
        pictures.push_back(bytes);
    }
    return pictures;
}

TEST(Recovery, TheJournalNamesItsBackupAndKeepsItFromRotation) {
    TransferRig rig;
    rig.AttachAndRead();
    const DeviceInfo& info = rig.connection->Info();
    const fs::path root = rig.dir / "root";
    std::string error;
    EXPECT_FALSE(ReadSyncJournal(root, info));

    fs::path first, later;
    ASSERT_TRUE(SaveFlashBackup(root, info, rig.connection->Model().DeviceImage(), first, error));
    ASSERT_TRUE(
        WriteSyncJournal(root, info, {JournalKind::Synchronize, first, std::nullopt}, error))
        << error;
    // The backup is named by its file name alone, so the folder can move as a whole.
    const auto text = ReadFile(SyncJournalPath(root, info));
    EXPECT_NE(
        std::string(text.begin(), text.end()).find("\nbackup=" + first.filename().string() + "\n"),
        std::string::npos);
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(
            SaveFlashBackup(root, info, rig.connection->Model().DeviceImage(), later, error));
    const auto kept = ListFlashBackups(root, info);
    ASSERT_EQ(kept.size(), 6u);  // the newest five and the one the journal names
    EXPECT_EQ(kept.front(), first);
    EXPECT_EQ(ReadSyncJournal(root, info)->backup, first);

    // A file elsewhere is named by its full path; a journal that makes no sense still tells
    // of an unfinished write, without a backup.
    ASSERT_TRUE(WriteSyncJournal(root, info,
                                 {JournalKind::Restore, rig.dir / "x.img", std::nullopt}, error));
    EXPECT_EQ(ReadSyncJournal(root, info)->backup, rig.dir / "x.img");
    EXPECT_EQ(ReadSyncJournal(root, info)->kind, JournalKind::Restore);
    std::ofstream(SyncJournalPath(root, info)) << "backup=../../etc/passwd\n";
    ASSERT_TRUE(ReadSyncJournal(root, info));
    EXPECT_TRUE(ReadSyncJournal(root, info)->backup.empty());
    EXPECT_TRUE(RemoveSyncJournal(root, info));
    EXPECT_FALSE(ReadSyncJournal(root, info));
}

TEST(Recovery, TheBackupIsReadFromTheFrameAndTheRestoreWritesOnlyAlbumBlocksThatDiffer) {
    TransferRig rig;
    PokeAlbum(*rig.frame, 0x30000, Spanning());
    // Bytes of the frame that no picture holds, in a block a picture ends in and far beyond.
    ASSERT_TRUE(rig.frame->Poke(0x31000 + 150000 + 10, {0x5A}));
    ASSERT_TRUE(rig.frame->Poke(0x70000, {0xA5}));
    rig.AttachAndRead();
    const auto original = rig.frame->Flash();
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(ReadAlbumArea(*rig.connection, image, error)) << error;
    ASSERT_EQ(image.size(), original.size());
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 64, image.begin()));
    EXPECT_TRUE(
        std::all_of(image.begin() + 64, image.begin() + 0x30000, [](uint8_t b) { return b == 0; }));
    for (uint32_t block : {0x30000u, 0x40000u, 0x50000u})
        EXPECT_EQ(Block(image, block), Block(original, block));
    EXPECT_TRUE(
        std::all_of(image.begin() + 0x60000, image.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(AlbumBlocks(image, rig.connection->Info()),
              (std::vector<uint32_t>{0x30000, 0x40000, 0x50000}));
    fs::path saved;
    ASSERT_TRUE(SaveFlashBackup(rig.dir / "root", rig.connection->Info(), image, saved, error));

    // What a cut-short synchronize leaves: the index block erased, a picture block half
    // written; and free flash changed since.
    ASSERT_TRUE(rig.frame->Poke(0x30000, std::vector<uint8_t>(65536, 0xFF)));
    ASSERT_TRUE(rig.frame->Poke(0x40000, std::vector<uint8_t>(100, 0x00)));
    ASSERT_TRUE(rig.frame->Poke(0x60000, std::vector<uint8_t>(100, 0x11)));
    const auto damaged = rig.frame->Flash();
    rig.frame->ClearLog();
    RestoreResult result;
    ASSERT_TRUE(RestoreFlash(*rig.connection, saved, error, &result)) << error;
    EXPECT_EQ(result.blocksCompared, 3);
    EXPECT_EQ(result.blocksWritten, 2);
    EXPECT_EQ(rig.frame->EraseAddresses(), (std::vector<uint32_t>{0x40000, 0x30000}));
    const auto restored = rig.frame->Flash();
    for (uint32_t block : {0x30000u, 0x40000u, 0x50000u})
        EXPECT_EQ(Block(restored, block), Block(original, block));
    EXPECT_TRUE(std::equal(damaged.begin() + 0x60000, damaged.end(), restored.begin() + 0x60000));
}

TEST(Recovery, TheAttachFindsAnUnfinishedWriteOrAnIndexGoneWhileBackupsExist) {
    TransferRig rig;
    rig.AttachAndRead();
    const fs::path root = rig.dir / "root";
    FrameRecovery recovery(*rig.connection, root);
    EXPECT_FALSE(recovery.Find());  // no backups, no journal
    // A new frame holds no album index; a backup without pictures (of it, or of another frame
    // of its model) is nothing to offer for it.
    std::vector<uint8_t> image;
    fs::path saved;
    std::string error;
    ASSERT_TRUE(ReadAlbumArea(*rig.connection, image, error) &&
                SaveFlashBackup(root, rig.connection->Info(), image, saved, error));
    EXPECT_FALSE(recovery.Find());

    PokeAlbum(*rig.frame, 0x30000, {EncodeStream(128, 128, 1), EncodeStream(128, 128, 2)});
    rig.Reattach();

    rig.AddPicture(EncodeStream(128, 128, 3));
    rig.sync->SetBackupRoot(root);
    // The index block's program fails four times: the synchronize ends with it erased.
    for (int i = 0; i < 4; ++i) rig.frame->InjectFault(SimFault::CorruptProgram, 1);
    rig.fe.onStatus = [&](const std::string& text) {
        if (text.rfind("Sending", 0) == 0) {
            EXPECT_TRUE(ReadSyncJournal(root, rig.connection->Info()));
        }
    };
    ASSERT_FALSE(rig.sync->Synchronize());
    rig.fe.onStatus = nullptr;
    const auto backups = ListFlashBackups(root, rig.connection->Info());
    ASSERT_EQ(backups.size(), 2u);
    auto offer = recovery.Find();
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->reason, RecoveryOffer::Reason::UnfinishedSynchronize);
    EXPECT_EQ(offer->backup, backups[1]);
    EXPECT_NE(recovery.OfferText(*offer).find(", 2 pictures)"), std::string::npos);

    // A second failed run takes no backup of the frame it finds half written and keeps
    // naming the one from before the first; a run that finishes leaves no journal.
    rig.frame->InjectFault(SimFault::Unplug, 5);
    ASSERT_FALSE(rig.sync->Synchronize());
    rig.frame->Plug();
    EXPECT_EQ(ListFlashBackups(root, rig.connection->Info()), backups);
    EXPECT_EQ(recovery.Find()->backup, backups[1]);
    ASSERT_TRUE(rig.sync->Synchronize());
    EXPECT_FALSE(ReadSyncJournal(root, rig.connection->Info()));
    EXPECT_FALSE(recovery.Find());

    // An index block without its mark, or one that never reads back right: the newest backup.
    auto index = Block(rig.frame->Flash(), 0x30000);
    index[0] = 'X';
    ASSERT_TRUE(rig.frame->Poke(0x30000, index));
    offer = recovery.Find();
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->reason, RecoveryOffer::Reason::IndexUnmarked);
    EXPECT_EQ(offer->backup, ListFlashBackups(root, rig.connection->Info()).back());
    index[0] = 'T';
    ASSERT_TRUE(rig.frame->Poke(0x30000, index));
    for (int i = 0; i < 12; ++i) rig.frame->InjectFault(SimFault::WrongVerify, 1);
    EXPECT_EQ(recovery.Find()->reason, RecoveryOffer::Reason::IndexUnreadable);
    // A frame that does not answer at all is no reason to offer anything.
    rig.frame->InjectFault(SimFault::Unplug, 1);
    EXPECT_FALSE(recovery.Find());
}

TEST(Recovery, ARestoreCutShortIsOfferedAgainAndAWriteWithoutBackupIsTold) {
    TransferRig rig;
    PokeAlbum(*rig.frame, 0x30000, Spanning());
    rig.AttachAndRead();
    const fs::path root = rig.dir / "root";
    const DeviceInfo& info = rig.connection->Info();
    FrameRecovery recovery(*rig.connection, root);
    std::string error;
    ASSERT_TRUE(WriteSyncJournal(root, info, {JournalKind::Synchronize, {}, std::nullopt}, error));
    EXPECT_EQ(recovery.OfferAtAttach(), RecoveryOutcome::Told);
    EXPECT_NE(rig.fe.Messages().back().find("no backup of the frame is at hand"),
              std::string::npos);

    std::vector<uint8_t> image;
    fs::path saved;
    ASSERT_TRUE(ReadAlbumArea(*rig.connection, image, error) &&
                SaveFlashBackup(root, info, image, saved, error))
        << error;
    ASSERT_TRUE(
        WriteSyncJournal(root, info, {JournalKind::Synchronize, saved, std::nullopt}, error));
    const auto original = rig.frame->Flash();
    ASSERT_TRUE(rig.frame->Poke(0x40000, std::vector<uint8_t>(65536, 0xFF)));
    ASSERT_TRUE(rig.frame->Poke(0x30000, std::vector<uint8_t>(65536, 0xFF)));
    // Pulled out as the restore begins to write: 18 commands find the index block damaged,
    // 1 wakes the flash and 18 read the first picture block back.
    rig.frame->InjectFault(SimFault::Unplug, 38);
    EXPECT_EQ(recovery.OfferAtAttach(), RecoveryOutcome::Failed);
    EXPECT_NE(rig.fe.Messages().back().find("offered again"), std::string::npos);
    ASSERT_EQ(ReadSyncJournal(root, info)->kind, JournalKind::Restore);
    rig.frame->Plug();
    EXPECT_EQ(recovery.OfferAtAttach(), RecoveryOutcome::Restored);
    EXPECT_NE(rig.fe.Questions().back().find("The last restore"), std::string::npos);
    EXPECT_EQ(rig.frame->Flash(), original);
    EXPECT_FALSE(ReadSyncJournal(root, info));
}

}  // namespace
}  // namespace framewise::test
