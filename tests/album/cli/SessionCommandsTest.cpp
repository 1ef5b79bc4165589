// framewise-cli info, pull, backup and restore against a simulated frame.
#include <gtest/gtest.h>

#include <cstdio>

#include "CliRun.h"
#include "FileBytes.h"
#include "TempDir.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

#ifdef FRAMEWISE_HAVE_LIBJPEG
#include <jpeglib.h>
#endif

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::FileBytes;

using test::CliRun;

class SessionCommandsTest : public ::testing::Test {
  protected:
    SessionCommandsTest() {
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    }
    // framewise-cli --simulate IMAGE --work-root DIR args...; stdout and stderr kept apart.
    CliRun Cli(const std::string& args) {
        return test::RunFrameCli(image, dir / "work", args, dir / "stderr.txt");
    }
    // Three pictures as the frame's firmware keeps them.
    void FillFrame() {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        for (int seed = 1; seed <= 3; ++seed) streams.push_back(test::EncodeStream(128, 128, seed));
        test::PokeAlbum(*frame, 0x30000, streams);
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    std::vector<std::vector<uint8_t>> streams;
};

TEST_F(SessionCommandsTest, FreshFrame) {
    CliRun info = Cli("info");
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Firmware:       SIM 1.05\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("LCD:            128 x 128\n"), std::string::npos);
    EXPECT_NE(info.out.find("Flash:          2048 KB (2097152 bytes)\n"), std::string::npos);
    EXPECT_NE(info.out.find("Pictures:       0 (0 bytes)\n"), std::string::npos);
    // Header, protected area and index block are used: 0x30000 + 4096 bytes.
    EXPECT_NE(info.out.find("Used flash:     200704 bytes (196 KB)\n"), std::string::npos);
    EXPECT_NE(info.out.find("Free flash:     1896448 bytes (1852 KB)\n"), std::string::npos);
    EXPECT_EQ(info.err, "");  // no terminal: no bar, no status lines

    CliRun json = Cli("info --json");
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_EQ(json.out.substr(json.out.size() - 2), "}\n");
    EXPECT_NE(json.out.find("\"pictures\": 0,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"freeBytes\": 1896448,"), std::string::npos);
    // An empty album's budget is estimated from the LCD size and quality, bounded by capacity.
    EXPECT_NE(json.out.find("\"averageEstimated\": true,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"morePicturesFit\": "), std::string::npos);

    CliRun pull = Cli("pull '" + (dir / "out").string() + "'");
    ASSERT_EQ(pull.code, 0) << pull.err;
    EXPECT_EQ(pull.out, "Wrote 0 pictures to " + (dir / "out").string() + "\n");
    EXPECT_TRUE(fs::is_directory(dir / "out"));
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    // The album files of the run are gone with it.
    EXPECT_TRUE(fs::is_empty(dir / "work" / "PicsInMiniDPF"));
}

TEST_F(SessionCommandsTest, InfoAndPullOfAFrameWithPictures) {
    FillFrame();
    CliRun json = Cli("info --json");
    ASSERT_EQ(json.code, 0) << json.err;
    // Only the JSON line: the decoder's sampling lines stay out of the result.
    EXPECT_EQ(json.out.find('\n'), json.out.size() - 1) << json.out;
    EXPECT_NE(json.out.find("\"pictures\": 3,"), std::string::npos) << json.out;

    CliRun bmp = Cli("pull '" + (dir / "bmp").string() + "' --format bmp");
    ASSERT_EQ(bmp.code, 0) << bmp.err;
    EXPECT_EQ(bmp.out, "Wrote 3 pictures to " + (dir / "bmp").string() + "\n");
    JpegDecoder decoder;
    for (int n = 1; n <= 3; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.bmp", n);
        const auto file = FileBytes(dir / "bmp" / name);
        DecodedPicture picture;
        ASSERT_TRUE(
            decoder.decode(streams[n - 1].data(), streams[n - 1].size(), 128, 128, picture));
        const auto rows = test::TransferRig::BottomUp(picture);
        ASSERT_EQ(file.size(), 54u + rows.size()) << name;
        EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54)) << name;
    }

    CliRun jpg = Cli("pull '" + (dir / "jpg").string() + "' --format jpg");
    ASSERT_EQ(jpg.code, 0) << jpg.err;
    const auto jfif = FileBytes(dir / "jpg" / "0002.jpg");
    ASSERT_GT(jfif.size(), 20u);
    EXPECT_EQ(jfif[0], 0xFF);
    EXPECT_EQ(jfif[1], 0xD8);
    EXPECT_EQ(std::string(jfif.begin() + 6, jfif.begin() + 10), "JFIF");
    EXPECT_EQ(jfif[jfif.size() - 2], 0xFF);
    EXPECT_EQ(jfif[jfif.size() - 1], 0xD9);
#ifdef FRAMEWISE_HAVE_LIBJPEG
    // An independent decoder reads it as the album picture, 4:2:0, at quality 100.
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jfif.data(), static_cast<unsigned long>(jfif.size()));
    ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(cinfo.image_width, 128u);
    EXPECT_EQ(cinfo.image_height, 128u);
    EXPECT_EQ(cinfo.comp_info[0].h_samp_factor, 2);
    EXPECT_EQ(cinfo.comp_info[0].v_samp_factor, 2);
    jpeg_start_decompress(&cinfo);
    std::vector<uint8_t> rgb(128 * 128 * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + cinfo.output_scanline * 128 * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    const auto album = FileBytes(dir / "bmp" / "0002.bmp");
    double error = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const uint8_t* b = album.data() + 54 + (127 - y) * 384 + x * 3;
            const uint8_t* j = rgb.data() + (y * 128 + x) * 3;
            error += std::abs(b[2] - j[0]) + std::abs(b[1] - j[1]) + std::abs(b[0] - j[2]);
        }
    }
    EXPECT_LT(error / (128 * 128 * 3), 6.0);  // chroma halved: small, not zero
#endif
}

TEST_F(SessionCommandsTest, BackupAndRestore) {
    FillFrame();
    const auto before = FileBytes(image);
    CliRun backup = Cli("backup '" + (dir / "b.img").string() + "'");
    ASSERT_EQ(backup.code, 0) << backup.err;
    EXPECT_EQ(FileBytes(dir / "b.img"), before);
    // An earlier backup is never replaced unasked.
    std::ofstream(dir / "old.img", std::ios::binary) << "earlier";
    EXPECT_EQ(Cli("backup '" + (dir / "old.img").string() + "'").code, 1);
    EXPECT_EQ(FileBytes(dir / "old.img").size(), 7u);
    EXPECT_EQ(Cli("backup '" + (dir / "old.img").string() + "' --force").code, 0);
    EXPECT_EQ(FileBytes(dir / "old.img"), before);

    // The album is lost on the frame, then put back.
    {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        ASSERT_TRUE(frame->Poke(0x30000, std::vector<uint8_t>(4096, 0xFF)));
    }
    EXPECT_NE(Cli("info --json").out.find("\"pictures\": 0,"), std::string::npos);
    CliRun restore = Cli("restore '" + (dir / "b.img").string() + "'");
    ASSERT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(FileBytes(image), before);
    EXPECT_NE(Cli("info --json").out.find("\"pictures\": 3,"), std::string::npos);

    // A file of the wrong size is refused and nothing is written.
    std::ofstream(dir / "short.img", std::ios::binary) << std::string(1000, 'x');
    CliRun wrong = Cli("restore '" + (dir / "short.img").string() + "'");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.err.find("framewise-cli: "), std::string::npos);
    EXPECT_EQ(FileBytes(image), before);

    // So is the flash of another frame of the same flash size.
    FrameImageOptions other;
    other.lcdWidth = 160;
    std::string error;
    ASSERT_TRUE(CreateFrameImage(dir / "other.img", other, error)) << error;
    CliRun foreign = Cli("restore '" + (dir / "other.img").string() + "'");
    EXPECT_EQ(foreign.code, 1);
    EXPECT_EQ(FileBytes(image), before);
}

TEST_F(SessionCommandsTest, UsageAndMissingFrame) {
    EXPECT_EQ(Cli("pull").code, 2);
    EXPECT_EQ(Cli("pull x --format png").code, 2);
    EXPECT_EQ(Cli("info extra").code, 2);
    EXPECT_EQ(Cli("backup").code, 2);
    EXPECT_EQ(Cli("restore a b").code, 2);
    fs::remove(image);
    CliRun missing = Cli("info");
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1) << missing.err;  // one line
}

}  // namespace
}  // namespace framewise
