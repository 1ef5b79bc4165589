// Which dropped files and folders are queued for a batch add.
#include <gtest/gtest.h>

#include <fstream>

#include "TempDir.h"
#include "picture/DropRules.h"

namespace framewise {
namespace {

void Touch(const std::filesystem::path& file) {
    std::ofstream(file) << "x";
}

TEST(DropRules, DroppedFilesByTheEndOfTheirName) {
    EXPECT_TRUE(IsDroppedPictureFile("/home/Ann/photo.JPG"));
    EXPECT_TRUE(IsDroppedPictureFile("/p/a.jpeg"));
    EXPECT_TRUE(IsDroppedPictureFile("/p/a.Gif"));
    EXPECT_TRUE(IsDroppedPictureFile(".bmp"));
    EXPECT_FALSE(IsDroppedPictureFile("/p/notes.txt"));
    EXPECT_FALSE(IsDroppedPictureFile("/p/x.jpg.txt"));
    EXPECT_FALSE(IsDroppedPictureFile("/p/a.png"));
    EXPECT_TRUE(IsDroppedFolderPicture("x.jpg.txt"));
    EXPECT_FALSE(IsDroppedFolderPicture("x.png"));
}

TEST(DropRules, QueueKeepsPathsAsGivenAndTakes125Items) {
    test::TempDir dir;
    std::vector<std::string> items;
    for (int i = 0; i < 200; ++i) {
        const auto file = dir / ("Pic" + std::to_string(1000 + i) + ".JPG");
        Touch(file);
        items.push_back(file.string());
    }
    std::vector<std::string> queue = QueueDroppedItems(items);
    ASSERT_EQ(queue.size(), 125u);
    EXPECT_EQ(queue.front(), items.front());  // not lower-cased
    EXPECT_EQ(queue.back(), items[124]);

    const auto notes = dir / "notes.txt";
    Touch(notes);
    queue = QueueDroppedItems({notes.string(), items[0]});
    EXPECT_EQ(queue, std::vector<std::string>{items[0]});
}

TEST(DropRules, DroppedFolderGivesItsFilesNotItsSubfolders) {
    test::TempDir dir;
    const auto folder = dir / "Holiday";
    std::filesystem::create_directories(folder / "Sub");
    std::filesystem::create_directories(folder / "Album.jpg");  // a folder, not a picture
    Touch(folder / "x.jpg.txt");
    Touch(folder / "B.Bmp");
    Touch(folder / "readme.md");
    Touch(folder / "Sub" / "deep.jpg");
    const std::vector<std::string> expected = {(folder / "B.Bmp").string(),
                                               (folder / "x.jpg.txt").string()};
    EXPECT_EQ(ScanDroppedFolder(folder.string()), expected);
    EXPECT_EQ(QueueDroppedItems({folder.string()}), expected);
    EXPECT_TRUE(ScanDroppedFolder((dir / "gone").string()).empty());

    // Only the first 125 items are looked at: a folder dropped as the 126th adds nothing.
    std::vector<std::string> items(125, (dir / "none.txt").string());
    items.push_back(folder.string());
    EXPECT_TRUE(QueueDroppedItems(items).empty());
}

}  // namespace
}  // namespace framewise
