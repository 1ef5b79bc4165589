#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "IniFiles.h"
#include "config/WorkPaths.h"
#include "tests/TempDir.h"

using namespace framewise;
namespace fs = std::filesystem;

TEST(WorkPaths, RootIsPrivateAndHoldsTheWorkFiles) {
    test::TempDir dir;
    fs::create_directory(dir / "root");
    fs::permissions(dir / "root", fs::perms::all);
    std::string error;
    auto paths = WorkPaths::Prepare(dir / "root", error);
    ASSERT_TRUE(paths) << error;
    struct stat st {};
    ASSERT_EQ(::stat((dir / "root").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::is_directory(paths->albumFolder));
    EXPECT_TRUE(fs::is_directory(paths->thumbFolder));
    EXPECT_EQ(paths->albumFolder, dir / "root" / "PicsInMiniDPF");
    EXPECT_EQ(paths->thumbFolder, dir / "root" / "SourceFile");
    EXPECT_EQ(paths->jpgTmp, dir / "root" / "JPGTmp.jpg");
    EXPECT_EQ(paths->bmpTmp, dir / "root" / "BMPTmp.bmp");
    EXPECT_EQ(paths->forShowBmp, dir / "root" / "ForShowBMP.bmp");

    // The environment names the root when no option does.
    ::setenv("FRAMEWISE_WORK_ROOT", (dir / "env").c_str(), 1);
    auto fromEnv = WorkPaths::Prepare(std::nullopt, error);
    ::unsetenv("FRAMEWISE_WORK_ROOT");
    ASSERT_TRUE(fromEnv) << error;
    EXPECT_EQ(fromEnv->root, dir / "env");

    test::WriteBytes(paths->forCut, "x");
    test::WriteBytes(paths->forShow, "x");
    paths->DeleteCanvasFiles();
    EXPECT_FALSE(fs::exists(paths->forCut));
    EXPECT_FALSE(fs::exists(paths->forShow));
}

TEST(WorkPaths, RefusesLinkedForeignOrNonFolderRoots) {
    test::TempDir dir;
    std::string error;
    fs::create_directory(dir / "real");
    fs::create_directory_symlink(dir / "real", dir / "link");
    EXPECT_FALSE(WorkPaths::Prepare(dir / "link", error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;

    // A planted link for the album folder inside our own root is refused as well.
    fs::create_directory(dir / "root");
    fs::create_directory_symlink(dir / "real", dir / "root" / "PicsInMiniDPF");
    EXPECT_FALSE(WorkPaths::Prepare(dir / "root", error));

    test::WriteBytes(dir / "file", "x");
    EXPECT_FALSE(WorkPaths::Prepare(dir / "file", error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

    // A folder of someone else: as root we make one, otherwise "/" is one.
    fs::path foreign = "/";
    if (::geteuid() == 0) {
        foreign = dir / "foreign";
        fs::create_directory(foreign);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    EXPECT_FALSE(WorkPaths::Prepare(foreign, error));
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
}

TEST(WorkPaths, DataFolderBesideTheProgramThenUnderItsPrefix) {
    test::TempDir dir;
    const fs::path fallback = dir / "configured/share/framewise";
    const auto touch = [](const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "[info]\n";
    };
    // An installation moved to a prefix it was not configured for still finds its files.
    const fs::path bin = dir / "opt/fw/bin";
    fs::create_directories(bin);
    EXPECT_EQ(FindDataFolderFor(bin, fallback), fallback);
    touch(dir / "opt/fw/share/framewise/StartInfoUnicode.ini");
    EXPECT_EQ(FindDataFolderFor(bin, fallback), dir / "opt/fw/share/framewise");
    // A build tree keeps the files beside the programs; they win over an installed set.
    touch(bin / "StartInfoUnicode.ini");
    EXPECT_EQ(FindDataFolderFor(bin, fallback), bin);
    // A folder of that name is not the file.
    const fs::path other = dir / "other/bin";
    fs::create_directories(other / "StartInfoUnicode.ini");
    EXPECT_EQ(FindDataFolderFor(other, fallback), fallback);
    EXPECT_EQ(FindDataFolderFor({}, fallback), fallback);
}
