// A frame session against simulated frames that fail or are laid out unusually: an album read
// in part is never written back, a frame whose index is not on a block boundary is never
// written at all, and the run's own attach tolerates what only a hot-plugged frame may not.
#include <gtest/gtest.h>

#include "EditSessionSupport.h"
#include "album/AlbumCommands.h"
#include "album/FrameSession.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

class SessionFaultsTest : public ::testing::Test {
  protected:
    AlbumCommands Commands(FrameSession& session, Frontend& fe) {
        return AlbumCommands(session.Folder(), session.List(), session.Connection().Model(),
                             session.State(), fe, session.GetLanguage(),
                             [&session](int c) { session.Store().UpdatePictureTotal(c); });
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
};

// Ten pictures, of which the read breaks off at one whose verification keeps failing: the
// pictures read so far must never be written back as the whole album.
TEST_F(SessionFaultsTest, AnAlbumReadInPartIsNeverWrittenBackAndTheReadCanBeRepeated) {
    std::vector<std::vector<uint8_t>> streams;
    for (int seed = 1; seed <= 10; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
    test::CreateFrameWith(image, {}, streams);
    test::HookedFrontend fe;
    auto session = test::OpenSession(fe, dir.path(), image);
    SimulatedFrame& frame = *session->Simulated();
    // Picture `failAt` fails its verification four times in a row, once per read.
    std::string failAt = "6 / 10";
    fe.onStatus = [&](const std::string& text) {
        if (text != failAt) return;
        failAt.clear();
        for (int i = 0; i < 4; ++i) frame.InjectFault(SimFault::WrongVerify, 1);
    };
    const auto flashBefore = frame.Flash();

    EXPECT_FALSE(session->AttachAndRead());
    ASSERT_EQ(session->List().ItemCount(), 5);
    EXPECT_FALSE(session->State().m_bAlbumRead);
    EXPECT_TRUE(session->State().m_bReady);  // ready for another read, not for edits

    AlbumCommands commands = Commands(*session, fe);
    frame.ClearLog();
    session->List().ClearSelection();
    session->List().SetItemSelected(0, true);
    EXPECT_FALSE(commands.DeleteSelected().deleted);
    session->List().SetItemSelected(0, false);
    session->List().SetItemSelected(1, true);
    EXPECT_FALSE(commands.MoveUp());
    EXPECT_EQ(session->List().ItemCount(), 5);
    EXPECT_TRUE(fe.Questions().empty());
    session->State().m_bModified = true;  // as if an edit had slipped through
    EXPECT_FALSE(session->GetSynchronizer().CanSynchronize());
    EXPECT_FALSE(session->Synchronize());
    EXPECT_TRUE(frame.EraseAddresses().empty());
    EXPECT_TRUE(frame.Programs().empty());
    EXPECT_EQ(frame.Flash(), flashBefore);
    session->State().m_bModified = false;

    // The read again, cut short once more at another picture, then a third time in full.
    failAt = "3 / 10";
    EXPECT_FALSE(session->ReadAlbum());
    EXPECT_EQ(session->List().ItemCount(), 2);
    EXPECT_FALSE(session->State().m_bAlbumRead);
    ASSERT_TRUE(session->ReadAlbum());
    ASSERT_EQ(session->List().ItemCount(), 10);
    EXPECT_TRUE(session->State().m_bAlbumRead);
    EXPECT_EQ(session->Folder().SourcePathCount(), 10u);
    EXPECT_EQ(session->Connection().Model().Record(9).length,
              static_cast<int32_t>(streams[9].size()));

    // Now the edit goes through and the frame keeps the other nine.
    session->List().ClearSelection();
    session->List().SetItemSelected(0, true);
    ASSERT_TRUE(commands.DeleteSelected().deleted);
    ASSERT_TRUE(session->Synchronize());
    const auto index = test::FlashIndex(frame.Flash(), 0x30000);
    ASSERT_EQ(index.size(), 9u);
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(index[i].second, streams[i + 1].size()) << i;
}

// Index at 0x31000: the block holding it also holds protected bytes, so it can never be erased.
TEST_F(SessionFaultsTest, AFrameWithAnUnalignedIndexIsReadOnly) {
    FrameImageOptions options;
    options.indexAddress = 0x31000;
    std::vector<std::vector<uint8_t>> streams = {test::EncodeStream(128, 128, 1),
                                                 test::EncodeStream(128, 128, 2)};
    test::CreateFrameWith(image, options, streams);
    const std::string english =
        "This frame keeps its album index at 0x31000, which does not start a 64 KB flash "
        "block: its pictures can be viewed and saved, but the album cannot be changed or "
        "written to the frame.";
    for (bool chinese : {false, true}) {
        SCOPED_TRACE(chinese ? "Chinese" : "English");
        test::HookedFrontend fe;
        auto session = test::OpenSession(fe, dir.path(), image);
        if (chinese) {
            std::ofstream(dir / "lang.ini") << "[Language]\nLan_1=Chinese Simplified\n";
            session->GetLanguage().SetFile(dir / "lang.ini");
            session->GetLanguage().CountLanguages();
            session->GetLanguage().SetLangIndex(0);
        }
        SimulatedFrame& frame = *session->Simulated();
        ASSERT_TRUE(session->AttachAndRead());
        ASSERT_EQ(session->List().ItemCount(), 2);
        const auto file = test::FileBytes(session->Folder().FilePath(2));
        JpegDecoder decoder;
        DecodedPicture picture;
        ASSERT_TRUE(decoder.decode(streams[1].data(), streams[1].size(), 128, 128, picture));
        const auto rows = test::TransferRig::BottomUp(picture);
        ASSERT_EQ(file.size(), 54 + rows.size());
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54));
        EXPECT_FALSE(session->Connection().AlbumWritable());

        const auto flashBefore = frame.Flash();
        frame.ClearLog();
        test::AddStream(*session, test::EncodeStream(128, 128, 3));
        EXPECT_FALSE(session->Synchronize());
        AlbumCommands commands = Commands(*session, fe);
        session->List().ClearSelection();
        session->List().SetItemSelected(1, true);
        EXPECT_FALSE(commands.DeleteSelected().deleted);
        EXPECT_FALSE(commands.MoveUp());
        EXPECT_EQ(session->List().ItemCount(), 3);

        const std::string text =
            chinese ? "此相框的相册索引位于 0x31000, 不在 64 KB 闪存块的起点: 可以查看和保存其中的"
                      "图片, 但不能修改相册, 也不能把相册写入相框。"
                    : english;
        EXPECT_EQ(fe.Messages(), std::vector<std::string>(3, text));
        EXPECT_TRUE(fe.Questions().empty());
        EXPECT_TRUE(frame.EraseAddresses().empty());
        EXPECT_TRUE(frame.Programs().empty());
        EXPECT_EQ(frame.WakeCount(), 0);
        EXPECT_EQ(frame.Flash(), flashBefore);
        EXPECT_FALSE(fs::exists(dir / "backups"));
    }
}

// Commands of an attach: clock, firmware version, READ header, status, verify value (the 5th).
void MakeHeaderVerifyUnreadable(SimulatedFrame& frame) {
    for (int i = 0; i < 4; ++i) frame.InjectFault(SimFault::FailTransfer, 5 + i);
}

TEST_F(SessionFaultsTest, TheRunsOwnAttachToleratesAnUnreadableVerifyValueAHotPlugDoesNot) {
    test::CreateFrameWith(image, {}, {});
    RecordingFrontend fe;
    auto session = test::OpenSession(fe, dir.path(), image);
    MakeHeaderVerifyUnreadable(*session->Simulated());
    ASSERT_TRUE(session->AttachAndRead());
    EXPECT_EQ(fe.Count("status", "Cannot read the verify value from the DPF!"), 0);
    EXPECT_TRUE(session->State().m_bAttached);
    EXPECT_TRUE(session->State().m_bAlbumRead);

    fe.Clear();
    MakeHeaderVerifyUnreadable(*session->Simulated());
    EXPECT_FALSE(session->Arrive());
    EXPECT_EQ(fe.Count("status", "Cannot read the verify value from the DPF!"), 1);
    EXPECT_FALSE(session->Connection().IsConnected());
    EXPECT_FALSE(session->State().m_bAlbumRead);
}

}  // namespace
}  // namespace framewise
