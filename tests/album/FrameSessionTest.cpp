#include <gtest/gtest.h>

#include "FileBytes.h"
#include "TempDir.h"
#include "album/FrameSession.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::FileBytes;

class FrameSessionTest : public ::testing::Test {
  protected:
    FrameSessionTest() {
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    }
    // A session over the simulated frame, work files under the test folder.
    std::unique_ptr<FrameSession> Open(RecordingFrontend& fe, const std::string& root = "work") {
        auto session = std::make_unique<FrameSession>(fe);
        FrameSessionOptions options;
        options.workRoot = dir / root;
        options.simulateImage = image;
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        options.backupRoot = dir / "backups";
        std::string error;
        EXPECT_TRUE(session->Open(options, error)) << error;
        if (session->Simulated()) session->Simulated()->SetBusyPolls(0);
        return session;
    }
    std::vector<uint8_t> Stream(int seed) { return test::EncodeStream(128, 128, seed); }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
};

TEST_F(FrameSessionTest, EmptyFrame) {
    RecordingFrontend fe;
    auto session = Open(fe);
    ASSERT_TRUE(session->DevicePresent());
    ASSERT_TRUE(session->AttachAndRead());
    EXPECT_EQ(session->List().ItemCount(), 0);
    EXPECT_TRUE(session->List().HasImageList());
    EXPECT_EQ(session->List().ThumbWidth(), 64);  // the shipped start-up file
    EXPECT_EQ(session->List().ThumbHeight(), 64);
    EXPECT_EQ(fe.Count("status", "No photos in device!"), 1);
    EXPECT_EQ(fe.LastTotal(), "Total Pictures:\n 0 \n(196 KB / 2048 KB)");
    EXPECT_TRUE(session->State().m_bReady);
    EXPECT_FALSE(session->State().m_bReading);
    EXPECT_TRUE(fe.Messages().empty());
}

TEST_F(FrameSessionTest, ReadsTheAlbumIntoFolderListAndSourcePaths) {
    RecordingFrontend fe;
    auto session = Open(fe);
    std::vector<std::vector<uint8_t>> streams = {Stream(1), Stream(2), Stream(3)};
    test::PokeAlbum(*session->Simulated(), 0x30000, streams);

    ASSERT_TRUE(session->AttachAndRead());
    AlbumFolder& folder = session->Folder();
    ASSERT_EQ(session->List().ItemCount(), 3);
    EXPECT_EQ(folder.AlbumNames(), (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp"}));
    EXPECT_EQ(folder.SourcePathList(),
              (std::vector<std::string>{folder.FilePath(1).string(), folder.FilePath(2).string(),
                                        folder.FilePath(3).string()}));
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{2});
    EXPECT_EQ(session->List().Item(2)->thumbnail.size(), 64u * 64u * 3u);
    int64_t bytes = 0;
    for (auto& s : streams) bytes += static_cast<int64_t>(s.size());
    const std::string used = std::to_string((bytes + 1023) / 1024 + 196);
    EXPECT_EQ(fe.LastTotal(), "Total Pictures:\n 3 \n(" + used + " KB / 2048 KB)");
    EXPECT_TRUE(fe.Messages().empty());

    // Every album file holds what the device stream decodes to.
    JpegDecoder decoder;
    DecodedPicture picture;
    ASSERT_TRUE(decoder.decode(streams[1].data(), streams[1].size(), 128, 128, picture));
    const auto file = FileBytes(folder.FilePath(2));
    const auto rows = test::TransferRig::BottomUp(picture);
    ASSERT_EQ(file.size(), 54u + rows.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54));

    // A new arrival starts from an empty album, then reads the same again.
    fs::path stray = folder.FilePath(7);
    std::ofstream(stray) << "BM";
    ASSERT_TRUE(session->Arrive());
    EXPECT_EQ(session->List().ItemCount(), 0);
    EXPECT_EQ(folder.SourcePathCount(), 0u);
    EXPECT_EQ(folder.AlbumNameCount(), 0u);
    EXPECT_FALSE(fs::exists(stray));
    ASSERT_TRUE(session->ReadAlbum());
    EXPECT_EQ(session->List().ItemCount(), 3);
    EXPECT_FALSE(session->ReadAlbum());  // one read per attach: the album is not listed twice
    EXPECT_EQ(session->List().ItemCount(), 3);

    session->Close();
    EXPECT_FALSE(fs::exists(folder.FilePath(1)));
}

TEST_F(FrameSessionTest, AReadCutShortCanBeRunAgain) {
    RecordingFrontend fe;
    auto session = Open(fe);
    test::PokeAlbum(*session->Simulated(), 0x30000, {Stream(1), Stream(2), Stream(3)});
    ASSERT_TRUE(session->Arrive());
    // The frame drops out in the middle of the pictures and comes back.
    session->Simulated()->InjectFault(SimFault::Unplug, 12);
    EXPECT_FALSE(session->ReadAlbum());
    EXPECT_TRUE(session->State().m_bReadStopped);
    EXPECT_TRUE(session->State().m_bReady);
    EXPECT_LT(session->List().ItemCount(), 3);
    session->Simulated()->Plug();

    ASSERT_TRUE(session->ReadAlbum());
    EXPECT_EQ(session->List().ItemCount(), 3);
    EXPECT_EQ(session->Folder().AlbumNames(),
              (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp"}));
    EXPECT_EQ(session->Folder().SourcePathCount(), 3u);
}

TEST_F(FrameSessionTest, SynchronizedAlbumReadsBackTheSame) {
    std::vector<std::vector<uint8_t>> albumFiles;
    {
        RecordingFrontend fe;
        auto session = Open(fe);
        ASSERT_TRUE(session->AttachAndRead());
        FlashModel& model = session->Connection().Model();
        JpegDecoder decoder;
        for (int k = 0; k < 2; ++k) {
            const auto stream = Stream(10 + k);
            ASSERT_TRUE(model.FitsNewPicture(static_cast<int>(stream.size()), k));
            model.CaptureNextAddress();
            ASSERT_TRUE(model.AppendPicture(k, stream.data(), stream.size()));
            DecodedPicture picture;
            ASSERT_TRUE(decoder.decode(stream.data(), stream.size(), 128, 128, picture));
            session->Store().StoreAlbumPicture(k + 1, test::TransferRig::BottomUp(picture).data(),
                                               128, 128);
        }
        session->State().m_bModified = true;
        ASSERT_TRUE(session->Synchronize()) << ::testing::PrintToString(fe.Messages());
        EXPECT_FALSE(session->State().m_bModified);
        EXPECT_EQ(session->List().ItemCount(), 2);
        for (int n : {1, 2}) albumFiles.push_back(FileBytes(session->Folder().FilePath(n)));
    }
    RecordingFrontend fe;
    auto session = Open(fe, "work2");
    ASSERT_TRUE(session->AttachAndRead());
    ASSERT_EQ(session->List().ItemCount(), 2);
    for (int n : {1, 2}) EXPECT_EQ(FileBytes(session->Folder().FilePath(n)), albumFiles[n - 1]);
}

// What the window applies at start-up and on a language switch is kept by the session.
TEST_F(FrameSessionTest, KeepsTheStartUpSettingsAndTheLanguageForTheWindow) {
    const fs::path data = dir / "data";
    fs::create_directories(data);
    fs::copy_file(fs::path(FRAMEWISE_SOURCE_DIR) / "data" / "LanguageUnicode.ini",
                  data / "LanguageUnicode.ini");
    std::ofstream(data / "StartInfoUnicode.ini")
        << "[info]\nJpgQuality=250\nTitlename=PicFrame\nProgressCtrl=OFF\n"
           "CorpLink=example.org\nLangIndex=0\nThumbWidth=64\nThumbColumn=3\n";
    RecordingFrontend fe;
    FrameSession session(fe);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = image;
    options.dataFolder = data;
    std::string error;
    ASSERT_TRUE(session.Open(options, error)) << error;
    const StartupSettings& s = session.Startup();
    EXPECT_EQ(s.title, "PicFrame");
    EXPECT_EQ(s.jpgQuality, 100);  // the slider's range
    EXPECT_EQ(s.corpLink, "example.org");
    EXPECT_EQ(s.progressCtrl, "OFF");
    EXPECT_TRUE(s.menu.complete);
    EXPECT_EQ(s.menu.entries.size(), 5u);
    ASSERT_TRUE(s.language.applied);
    EXPECT_EQ(s.language.aboutMenuText, "About PicFrame(&A)...");
    EXPECT_TRUE(s.language.entries.at(0).checked);
    EXPECT_EQ(s.language.captions.statusText, "DPF Detached!");
    EXPECT_EQ(s.language.captions.qualityLabelText, "Jpg Quality:100");
    EXPECT_TRUE(s.language.written);
    EXPECT_EQ(session.GetSettings().ReadText("info", "Language", ""), "English");

    std::vector<bool> enabled;
    session.SetEnableControls([&](bool on) { enabled.push_back(on); });
    ASSERT_TRUE(session.AttachAndRead());
    ASSERT_FALSE(enabled.empty());
    EXPECT_FALSE(enabled.front());
    EXPECT_TRUE(enabled.back());

    // Chinese: the texts, the check mark, the choice recorded and the total relabelled.
    const LanguageSwitch chinese = session.SwitchLanguage(9003, {});
    ASSERT_TRUE(chinese.applied);
    EXPECT_EQ(chinese.aboutMenuText, "关于 PicFrame(&A)...");
    EXPECT_TRUE(chinese.entries.at(1).checked);
    EXPECT_EQ(session.GetSettings().ReadInt("info", "LangIndex", -1), 1);
    EXPECT_EQ(fe.LastTotal(), "图片总数:\n 0 \n(196 KB / 2048 KB)");
    EXPECT_FALSE(session.SwitchLanguage(9102, {}).applied);  // no such language
    EXPECT_EQ(session.GetLanguage().LangIndex(), 1);
}

TEST_F(FrameSessionTest, RefusesWhatItCannotOpen) {
    RecordingFrontend fe;
    FrameSession session(fe);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = dir / "missing.img";
    std::string error;
    EXPECT_FALSE(session.Open(options, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(session.Arrive());
    EXPECT_FALSE(session.ReadAlbum());
}

// Two runs sharing a work root would empty each other's album folder: a frame would then be
// synchronized without the pictures just added. The second is refused until the first closes.
TEST_F(FrameSessionTest, OneSessionPerWorkRoot) {
    fs::path other = dir / "other.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(other, FrameImageOptions{}, error)) << error;
    RecordingFrontend fe;
    auto first = Open(fe);
    ASSERT_TRUE(first->AttachAndRead());

    RecordingFrontend fe2;
    FrameSession second(fe2);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = other;
    options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
    EXPECT_FALSE(second.Open(options, error));
    EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;

    {
        options.workRoot = dir / "work2";  // a root of its own is fine meanwhile
        FrameSession third(fe2);
        EXPECT_TRUE(third.Open(options, error)) << error;
    }

    first->Close();
    options.workRoot = dir / "work";
    FrameSession fourth(fe2);
    EXPECT_TRUE(fourth.Open(options, error)) << error;
}

}  // namespace
}  // namespace framewise
