// The command line's answers to the questions on the way: a command answers its own question,
// --yes answers the rest, a terminal is asked, and without one a risky Yes is never assumed.
#include <gtest/gtest.h>

#include <sstream>

#include "CliRun.h"
#include "TempDir.h"
#include "cli/TerminalFrontend.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

TEST(TerminalFrontend, AnswersAsTheCommandLineSaysElseAsksElseNo) {
    const std::string backup = "Write to the frame anyway?";
    {
        std::ostringstream err;
        std::istringstream in("y\n");
        cli::TerminalFrontend fe(err, in, false);  // no terminal
        fe.ExpectQuestion("Delete the selected photo(s)?", Answer::Yes);
        EXPECT_TRUE(fe.AskYesNo("Delete the selected photo(s)?"));
        EXPECT_EQ(err.str(), "");  // the command's own question: no word about it
        EXPECT_FALSE(fe.AskYesNo(backup));
        EXPECT_EQ(fe.AskYesNoCancel("BMP or JPG?"), Answer::Cancel);
        EXPECT_EQ(err.str(), "assumed No: " + backup +
                                 "; run with --yes to answer Yes\n"
                                 "assumed Cancel: BMP or JPG?; run with --yes to answer Yes\n");
        EXPECT_EQ(in.tellg(), 0);  // nothing was read
    }
    {
        std::ostringstream err;
        std::istringstream in;
        cli::TerminalFrontend fe(err, in, false);
        fe.SetAssumeYes(true);
        fe.ExpectQuestion("BMP or JPG?", Answer::No);  // the command's answer stands
        EXPECT_TRUE(fe.AskYesNo(backup));
        EXPECT_EQ(fe.AskYesNoCancel("BMP or JPG?"), Answer::No);
        EXPECT_EQ(err.str(), "assumed Yes: " + backup + "\n");
    }
    {
        // On a terminal the user is asked, except for the command's own question.
        std::ostringstream err;
        std::istringstream in("n\ny\n");
        cli::TerminalFrontend fe(err, in, true);
        fe.ExpectQuestion("Delete the selected photo(s)?", Answer::Yes);
        EXPECT_TRUE(fe.AskYesNo("Delete the selected photo(s)?"));
        EXPECT_FALSE(fe.AskYesNo(backup));
        EXPECT_TRUE(fe.AskYesNo(backup));
        EXPECT_EQ(err.str(), backup + " [y/n] " + backup + " [y/n] ");
    }
}

class QuestionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
        auto frame = SimulatedFrame::Open(image, error);
        ASSERT_TRUE(frame) << error;
        test::PokeAlbum(*frame, 0x30000,
                        {test::EncodeStream(128, 128, 1), test::EncodeStream(128, 128, 2)});
        ASSERT_TRUE(WritePicture(dir / "p.bmp"));
    }
    // A small picture file for add: a grey 40 x 30 BMP.
    static bool WritePicture(const fs::path& file) {
        std::vector<uint8_t> rows(size_t(BmpRowStride(40)) * 30, 0x80);
        return WriteBmp24(file, 40, 30, rows.data(), 0);
    }
    // backups: where the backup before each write goes; a path under a plain file cannot
    // take one.
    CliRun Cli(const std::string& args, const fs::path& backups) {
        return test::RunFrameCli(image, dir / "work", args, dir / "stderr.txt",
                                 "XDG_DATA_HOME='" + backups.string() + "'");
    }
    size_t FramePictures() {
        std::string error;
        auto frame = SimulatedFrame::Open(image, error);
        return frame ? test::FlashIndex(frame->Flash(), 0x30000).size() : 0;
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
};

// Without a terminal the question "the backup failed, write anyway?" was answered Yes: the
// frame was written with no copy of what it held.
TEST_F(QuestionsTest, NoWriteWithoutABackupUnlessTheUserSaidSo) {
    std::ofstream(dir / "not-a-folder") << "x";
    const fs::path noBackups = dir / "not-a-folder";
    const std::string assumedNo = "assumed No: The frame's album could not be backed up (";
    const std::string picture = "'" + (dir / "p.bmp").string() + "'";

    CliRun add = Cli("add " + picture, noBackups);
    EXPECT_EQ(add.code, 1);
    EXPECT_NE(add.err.find(assumedNo), std::string::npos) << add.err;
    EXPECT_NE(add.err.find("Write to the frame anyway?; run with --yes to answer Yes\n"),
              std::string::npos)
        << add.err;
    // delete answers its own question, not this one.
    CliRun del = Cli("delete 1", noBackups);
    EXPECT_EQ(del.code, 1);
    EXPECT_NE(del.err.find(assumedNo), std::string::npos) << del.err;
    EXPECT_EQ(del.err.find("Delete the selected"), std::string::npos) << del.err;
    EXPECT_EQ(FramePictures(), 2u);

    CliRun yes = Cli("--yes add " + picture, noBackups);
    EXPECT_EQ(yes.code, 0) << yes.err;
    EXPECT_NE(yes.err.find("assumed Yes: The frame's album could not be backed up ("),
              std::string::npos)
        << yes.err;
    EXPECT_EQ(FramePictures(), 3u);

    // Where the backup can be made, delete needs no --yes.
    CliRun fine = Cli("delete 3", dir / "data");
    EXPECT_EQ(fine.code, 0) << fine.err;
    EXPECT_EQ(FramePictures(), 2u);
}

// pull into a folder that already holds the pictures keeps the user's files.
TEST_F(QuestionsTest, PullKeepsExistingFilesUnlessTheUserSaidSo) {
    const fs::path out = dir / "out";
    ASSERT_EQ(Cli("pull '" + out.string() + "'", dir / "data").code, 0);
    std::ofstream(out / "0001.bmp", std::ios::trunc) << "mine";

    CliRun again = Cli("pull '" + out.string() + "'", dir / "data");
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "Wrote 0 pictures to " + out.string() + " (kept 2 existing)\n");
    EXPECT_NE(again.err.find("assumed No: File " + (out / "0001.bmp").string()), std::string::npos)
        << again.err;
    EXPECT_EQ(fs::file_size(out / "0001.bmp"), 4u);

    CliRun yes = Cli("--yes pull '" + out.string() + "'", dir / "data");
    EXPECT_EQ(yes.code, 0) << yes.err;
    EXPECT_EQ(yes.out, "Wrote 2 pictures to " + out.string() + "\n");
    EXPECT_GT(fs::file_size(out / "0001.bmp"), 4u);
}

}  // namespace
}  // namespace framewise
