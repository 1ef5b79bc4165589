#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "TempDir.h"
#include "album/AlbumFolder.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AlbumFolder, NamesAndNumbers) {
    EXPECT_EQ(AlbumFolder::FileName(1), "0001.bmp");
    EXPECT_EQ(AlbumFolder::FileName(12), "0012.bmp");
    EXPECT_EQ(AlbumFolder::NumberOf("0012.bmp"), 12);
    EXPECT_EQ(AlbumFolder::NumberOf("abc.bmp"), 0);
    EXPECT_EQ(AlbumFolder::NumberOf(""), 0);

    AlbumFolder folder("/w/PicsInMiniDPF/");
    EXPECT_EQ(folder.FilePath(3), fs::path("/w/PicsInMiniDPF/0003.bmp"));
    EXPECT_TRUE(folder.IsAlbumFilePath("/w/PicsInMiniDPF/0007.bmp"));
    EXPECT_TRUE(folder.IsAlbumFilePath("/w/./PicsInMiniDPF/0007.bmp"));
    // A picture elsewhere whose path merely mentions the folder's name is not an album file.
    EXPECT_FALSE(folder.IsAlbumFilePath("/home/u/temp/PicsInMiniDPF/holiday/0007.bmp"));
    EXPECT_FALSE(folder.IsAlbumFilePath("/w/PicsInMiniDPF"));
}

TEST(AlbumFolder, EnumerateListsOnlyAlbumPictures) {
    test::TempDir dir;
    AlbumFolder folder(dir.path());
    folder.SetAlbumNames({"kept.bmp"});
    EXPECT_FALSE(folder.EnumerateAlbumFolder());  // empty folder: names stay
    EXPECT_EQ(folder.AlbumNames(), std::vector<std::string>{"kept.bmp"});

    WriteFile(dir / "0010.bmp", "BMrest");
    WriteFile(dir / "0002.bmp", "BMrest");
    WriteFile(dir / "0001.bmp", "BM");
    WriteFile(dir / "0003.txt", "BMrest");   // not a bitmap name
    WriteFile(dir / ".0004.bmp", "BMrest");  // hidden
    WriteFile(dir / "0005.bmp", "MBrest");   // not a bitmap
    WriteFile(dir / "0006.bmp", "B");        // too short to be one
    fs::create_directory(dir / "0007.bmp");  // a folder
    fs::create_symlink(dir / "0001.bmp", dir / "0008.bmp");
    ASSERT_EQ(::mkfifo((dir / "0009.bmp").c_str(), 0600), 0);  // never opened, never blocks

    ASSERT_TRUE(folder.EnumerateAlbumFolder());
    EXPECT_EQ(folder.AlbumNames(), (std::vector<std::string>{"0001.bmp", "0002.bmp", "0010.bmp"}));

    AlbumFolder missing(dir / "nothere");
    missing.SetAlbumNames({"x"});
    EXPECT_FALSE(missing.EnumerateAlbumFolder());
    EXPECT_EQ(missing.AlbumNames(), std::vector<std::string>{"x"});
}

TEST(AlbumFolder, CompactAlbumNumbersClosesGapsAndSourcePathsFollow) {
    test::TempDir dir;
    AlbumFolder folder(dir.path());
    // The list before the delete showed 0001 .. 0006; 0003 and 0006 were deleted.
    folder.SetAlbumNames({"0001.bmp", "0002.bmp", "0003.bmp", "0004.bmp", "0005.bmp", "0006.bmp"});
    for (int n : {1, 2, 4, 5}) WriteFile(folder.FilePath(n), "BM" + std::to_string(n));
    // Entries as the delete left them: one per remaining picture, in album order. Picture 4
    // came from a batch add of a file whose path mentions the folder's name.
    const std::string batchFile = (dir / "temp" / "PicsInMiniDPF" / "x.jpg").string();
    for (auto p : {folder.FilePath(1).string(), folder.FilePath(2).string(), batchFile,
                   folder.FilePath(5).string()}) {
        folder.AppendSourcePath(p);
    }

    folder.CompactAlbumNumbers();

    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp", "0004.bmp"}));
    EXPECT_EQ(ReadFile(folder.FilePath(3)), "BM4");
    EXPECT_EQ(ReadFile(folder.FilePath(4)), "BM5");
    EXPECT_EQ(folder.SourcePathList(),
              (std::vector<std::string>{folder.FilePath(1).string(), folder.FilePath(2).string(),
                                        batchFile, folder.FilePath(4).string()}));
}

TEST(AlbumFolder, CompactAlbumNumbersAfterDeletingTheFirst) {
    test::TempDir dir;
    AlbumFolder folder(dir.path());
    folder.SetAlbumNames({"0001.bmp", "0002.bmp", "0003.bmp"});
    WriteFile(folder.FilePath(2), "BM2");
    WriteFile(folder.FilePath(3), "BM3");
    folder.CompactAlbumNumbers();
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(ReadFile(folder.FilePath(1)), "BM2");
    EXPECT_EQ(ReadFile(folder.FilePath(2)), "BM3");
}

TEST(AlbumFolder, SwapAlbumPictures) {
    test::TempDir dir;
    AlbumFolder folder(dir.path());
    WriteFile(folder.FilePath(2), "BM two");
    WriteFile(folder.FilePath(3), "BM three");
    ASSERT_TRUE(AlbumFolder::SwapAlbumPictures(folder.FilePath(2), folder.FilePath(3)));
    EXPECT_EQ(ReadFile(folder.FilePath(2)), "BM three");
    EXPECT_EQ(ReadFile(folder.FilePath(3)), "BM two");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0002.bmp", "0003.bmp"}));

    // The partner is gone: the first rename is undone and no "_tmp" file stays.
    EXPECT_FALSE(AlbumFolder::SwapAlbumPictures(folder.FilePath(2), folder.FilePath(9)));
    EXPECT_EQ(ReadFile(folder.FilePath(2)), "BM three");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0002.bmp", "0003.bmp"}));

    // The first file is gone: nothing changes.
    EXPECT_FALSE(AlbumFolder::SwapAlbumPictures(folder.FilePath(8), folder.FilePath(3)));
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0002.bmp", "0003.bmp"}));
}

TEST(AlbumFolder, EmptyRemovesBitmapsAndLists) {
    test::TempDir dir;
    AlbumFolder folder(dir.path());
    WriteFile(folder.FilePath(1), "BM");
    WriteFile(dir / "UPPER.BMP", "BM");
    WriteFile(dir / "notes.txt", "x");
    folder.SetAlbumNames({"0001.bmp"});
    folder.AppendSourcePath("a");
    folder.Empty();
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(folder.AlbumNameCount(), 0u);
    EXPECT_EQ(folder.SourcePathCount(), 0u);
}

}  // namespace
}  // namespace framewise
