#include <gtest/gtest.h>

#include <cstdio>

#include "album/EditSessionSupport.h"
#include "picture/SavePictures.h"

#ifdef FRAMEWISE_HAVE_LIBJPEG
#include <jpeglib.h>
#endif

namespace framewise {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFinished = "All pics were saved!";
constexpr const char* kCannotSave = "cannot save in this file,please choose other path!";

class SavePicturesTest : public test::EditSessionTest {
  protected:
    void SetUp() override {
        OpenWith(5);
        out = dir / "out";
        fs::create_directories(out);
    }
    SaveContext Context() {
        return SaveContext{session->Folder(),      session->List(),    session->State(),     fe,
                           session->GetLanguage(), session->Encoder(), session->Connection()};
    }
    SaveOutcome Save() {
        SaveContext ctx = Context();
        return SavePictures(ctx);
    }
    SaveOutcome SaveAll() {
        SaveContext ctx = Context();
        return SaveAllPictures(ctx);
    }
    std::vector<std::string> Written() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path out;
};

TEST_F(SavePicturesTest, NothingSelectedAsksNothing) {
    Select({});
    EXPECT_FALSE(Save().finished);
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{"You should select one pic at least!"});
    EXPECT_TRUE(fe.Questions().empty());
    EXPECT_TRUE(fe.Texts("folder").empty());
}

TEST_F(SavePicturesTest, SelectedPicturesAreNamedByListPosition) {
    Select({1, 4});
    fe.QueueYesNoCancel(Answer::Yes);
    fe.QueueFolder(out.string());
    const SaveOutcome outcome = Save();
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.written, 2);
    EXPECT_EQ(Written(), (std::vector<std::string>{"0002.bmp", "0005.bmp"}));
    EXPECT_EQ(test::FileBytes(out / "0002.bmp"), AlbumFile(2));
    EXPECT_EQ(test::FileBytes(out / "0005.bmp"), AlbumFile(5));
    EXPECT_EQ(fe.Texts("folder"), std::vector<std::string>{"Choose Save BMP Directory"});
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{kFinished});
}

TEST_F(SavePicturesTest, NoToAnOverwriteKeepsThatFileAndGoesOn) {
    { std::ofstream(out / "0002.bmp") << "keep"; }
    fe.QueueYesNoCancel(Answer::Yes);
    fe.QueueFolder(out.string());
    fe.QueueYesNo(false);
    const SaveOutcome outcome = SaveAll();
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(outcome.written, 4);
    EXPECT_EQ(fe.Questions().back(),
              "File " + (out / "0002.bmp").string() + " existed, want to over write?");
    const auto kept = test::FileBytes(out / "0002.bmp");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");
    EXPECT_EQ(test::FileBytes(out / "0003.bmp"), AlbumFile(3));
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{kFinished});
}

TEST_F(SavePicturesTest, CancelledOrUnusableChoicesWriteNothing) {
    Select({0, 1});
    fe.QueueYesNoCancel(Answer::Cancel);
    EXPECT_FALSE(Save().finished);
    EXPECT_TRUE(fe.Texts("folder").empty());
    fe.QueueYesNoCancel(Answer::No);
    fe.QueueFolder(std::nullopt);
    EXPECT_FALSE(SaveAll().finished);
    EXPECT_EQ(fe.Texts("folder"), std::vector<std::string>{"Choose Save JPG Directory"});
    EXPECT_TRUE(fe.Messages().empty());
    EXPECT_TRUE(fe.Texts("warning").empty());
    fe.QueueYesNoCancel(Answer::Yes);
    fe.QueueFolder(std::string());  // a folder without a file-system path
    EXPECT_FALSE(SaveAll().finished);
    EXPECT_EQ(fe.Texts("warning"), std::vector<std::string>{kCannotSave});
    EXPECT_TRUE(Written().empty());
}

TEST_F(SavePicturesTest, WithoutTheDeviceNothingIsWritten) {
    session->State().m_bAttached = false;
    Select({0, 1});
    fe.QueueYesNoCancel(Answer::Yes);
    fe.QueueFolder(out.string());
    EXPECT_FALSE(Save().finished);
    fe.QueueYesNoCancel(Answer::Yes);
    fe.QueueFolder(out.string());
    EXPECT_FALSE(SaveAll().finished);
    Select({0});
    fe.QueueSaveFile((out / "one.bmp").string());
    EXPECT_FALSE(Save().finished);
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(fe.Messages().empty());
}

TEST_F(SavePicturesTest, ADetachDuringTheWalkStopsItSilently) {
    { std::ofstream(out / "0001.jpg") << "old"; }
    // The frame goes away while the overwrite question of the first picture is open.
    struct DetachingFrontend : RecordingFrontend {
        AppState* state = nullptr;
        bool AskYesNo(const std::string& text) override {
            state->m_bAttached = false;
            return RecordingFrontend::AskYesNo(text);
        }
    } detaching;
    detaching.state = &session->State();
    detaching.QueueYesNoCancel(Answer::No);
    detaching.QueueFolder(out.string());
    SaveContext ctx{session->Folder(),      session->List(),    session->State(),     detaching,
                    session->GetLanguage(), session->Encoder(), session->Connection()};
    const SaveOutcome outcome = SaveAllPictures(ctx);
    EXPECT_FALSE(outcome.finished);
    EXPECT_EQ(outcome.written, 1);
    EXPECT_EQ(Written(), std::vector<std::string>{"0001.jpg"});
    EXPECT_TRUE(detaching.Messages().empty());
}

TEST_F(SavePicturesTest, OnePictureByItsExtension) {
    Select({2});
    fe.QueueSaveFile((out / "three.BMP").string());
    EXPECT_TRUE(Save().finished);
    EXPECT_EQ(test::FileBytes(out / "three.BMP"), AlbumFile(3));
    fe.QueueSaveFile((out / "three.jpeg").string());
    EXPECT_TRUE(Save().finished);
    const auto jfif = test::FileBytes(out / "three.jpeg");
    ASSERT_GT(jfif.size(), 10u);
    EXPECT_EQ(jfif[0], 0xFF);
    EXPECT_EQ(jfif[1], 0xD8);
    EXPECT_EQ(std::string(jfif.begin() + 6, jfif.begin() + 10), "JFIF");
    EXPECT_TRUE(fe.Messages().empty());

    // A target that cannot be written is said so, with its path.
    const fs::path bad = out / "missing" / "x.jpg";
    fe.QueueSaveFile(bad.string());
    EXPECT_FALSE(Save().finished);
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{"Save " + bad.string() + " file failed!"});
}

TEST_F(SavePicturesTest, AMissingAlbumFileIsReportedAndStillSaved) {
    const size_t bufferSize = session->Connection().FrameBuffer.size();
    const fs::path missing = session->Folder().FilePath(1);
    fs::remove(missing);
    Select({2});
    fe.QueueSaveFile((out / "three.jpg").string());
    ASSERT_TRUE(Save().finished);
    Select({0});
    fe.QueueSaveFile((out / "one.jpg").string());
    EXPECT_TRUE(Save().finished);
    EXPECT_EQ(fe.Messages(),
              std::vector<std::string>{"Cannot open file " + missing.string() + "!"});
    // Made of what the buffer held: the picture read before.
    EXPECT_EQ(test::FileBytes(out / "one.jpg"), test::FileBytes(out / "three.jpg"));
    EXPECT_EQ(session->Connection().FrameBuffer.size(), bufferSize);
}

TEST_F(SavePicturesTest, APictureThatWillNotEncodeWritesNothing) {
    session->Connection().StreamBuffer.assign(64, 0);  // far too small for any picture
    Select({0, 1});
    fe.QueueYesNoCancel(Answer::No);
    fe.QueueFolder(out.string());
    EXPECT_FALSE(Save().finished);
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(fe.Messages(),
              std::vector<std::string>{"Save " + (out / "0001.jpg").string() + " file failed!"});
}

TEST(SaveTargetNameTest, OneSeparatorAlsoAtTheRoot) {
    EXPECT_EQ(SaveTargetName("/", 0, true), fs::path("/0001.bmp"));
    EXPECT_EQ(SaveTargetName("/", 11, false), fs::path("/0012.jpg"));
    EXPECT_EQ(SaveTargetName("/media/card/", 1, true), fs::path("/media/card/0002.bmp"));
    EXPECT_EQ(SaveTargetName("/media/card", 1, false), fs::path("/media/card/0002.jpg"));
}

#ifdef FRAMEWISE_HAVE_LIBJPEG
// An independent decoder reads the saved JPEG as the album picture, 4:2:0.
TEST_F(SavePicturesTest, SavedJpegDecodesAsTheAlbumPicture) {
    fe.QueueYesNoCancel(Answer::No);
    fe.QueueFolder(out.string());
    ASSERT_TRUE(SaveAll().finished);
    const auto jfif = test::FileBytes(out / "0004.jpg");
    const auto bmp = AlbumFile(4);
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jfif.data(), static_cast<unsigned long>(jfif.size()));
    ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(cinfo.comp_info[0].h_samp_factor, 2);
    EXPECT_EQ(cinfo.comp_info[0].v_samp_factor, 2);
    jpeg_start_decompress(&cinfo);
    ASSERT_EQ(cinfo.output_width, 128u);
    ASSERT_EQ(cinfo.output_height, 128u);
    std::vector<uint8_t> row(128 * 3);
    double error = 0;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        const uint8_t* src = bmp.data() + 54 + (127 - y) * 128 * 3;  // bottom-up BGR
        for (int x = 0; x < 128; ++x)
            for (int c = 0; c < 3; ++c)
                error += std::abs(int(row[x * 3 + c]) - int(src[x * 3 + 2 - c]));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    EXPECT_LT(error / (128 * 128 * 3), 4.0);
}
#endif

}  // namespace
}  // namespace framewise
