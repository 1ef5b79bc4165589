#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "TempDir.h"
#include "album/AlbumListModel.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

// Stands in for the bitmap loader: a thumbnail whose first byte says which file it was.
struct FakeLoader {
    std::vector<std::string>* loaded;
    std::vector<uint8_t> operator()(const fs::path& p, int w, int h) const {
        loaded->push_back(p.filename().string());
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0);
        rgb[0] = static_cast<uint8_t>(AlbumFolder::NumberOf(p.filename().string()));
        return rgb;
    }
};

class AlbumListModelTest : public ::testing::Test {
  protected:
    AlbumListModelTest() : folder(dir.path()), model(folder, state, FakeLoader{&loaded}) {
        model.CreateImageList(64, 51, 3);
        model.SetChangeListener([this](const AlbumListChange& c) { changes.push_back(c); });
    }
    void Store(int n) { std::ofstream(folder.FilePath(n), std::ios::binary) << "BM"; }
    void Append(int n) {
        Store(n);
        model.RefreshAlbumList(true, true, n);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& item : model.Items()) names.push_back(item.name);
        return names;
    }

    test::TempDir dir;
    AppState state;
    AlbumFolder folder;
    std::vector<std::string> loaded;
    std::vector<AlbumListChange> changes;
    AlbumListModel model;
};

TEST(AlbumGeometry, ThumbHeightAndItemPositions) {
    EXPECT_EQ(AlbumThumbHeight(128, 128, 64), 64);
    EXPECT_EQ(AlbumThumbHeight(160, 128, 64), 51);
    EXPECT_EQ(AlbumThumbHeight(128, 160, 96), 120);
    EXPECT_EQ(AlbumThumbHeight(0, 128, 64), 0);

    int x = -1, y = -1;
    AlbumListModel::ItemPosition(4, 64, 51, 3, x, y);  // column 1, row 1
    EXPECT_EQ(x, 64 + 6);
    EXPECT_EQ(y, 51 + 21);
    AlbumListModel::ItemPosition(2, 64, 51, 3, x, y);
    EXPECT_EQ(x, 2 * 70);
    EXPECT_EQ(y, 0);
    AlbumListModel::ItemPosition(2, 64, 51, 0, x, y);  // no columns configured: one column
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 2 * 72);
}

TEST_F(AlbumListModelTest, AppendSelectsExactlyTheNewLastItem) {
    for (int n = 1; n <= 5; ++n) Append(n);

    EXPECT_EQ(Names(), (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp", "0004.bmp",
                                                 "0005.bmp"}));
    EXPECT_EQ(folder.AlbumNames(), Names());
    // Each append loads only the new picture.
    EXPECT_EQ(loaded, Names());
    EXPECT_EQ(model.SelectedIndices(), std::vector<int>{4});
    EXPECT_EQ(model.FocusedItem(), 4);
    EXPECT_EQ(model.SelectionMark(), 4);
    EXPECT_EQ(model.LastEnsuredVisible(), 4);
    EXPECT_TRUE(model.HasFocus());

    auto item = *model.Item(4);
    EXPECT_EQ(item.x, 64 + 6);
    EXPECT_EQ(item.y, 51 + 21);
    ASSERT_EQ(item.thumbnail.size(), 64u * 51u * 3u);
    EXPECT_EQ(item.thumbnail[0], 5);

    int added = 0;
    for (const auto& c : changes) added += c.kind == AlbumListChange::ItemAdded;
    EXPECT_EQ(added, 5);
    EXPECT_EQ(changes.back().kind, AlbumListChange::EnsureVisible);
    EXPECT_EQ(changes.back().index, 4);
}

TEST_F(AlbumListModelTest, AppendKeepsOtherSelectionsButDropsThePreviousLast) {
    Append(1);
    Append(2);
    Append(3);
    model.SetItemSelected(0, true);
    Append(4);
    EXPECT_EQ(model.SelectedIndices(), (std::vector<int>{0, 3}));
}

TEST_F(AlbumListModelTest, FullRebuildEnumeratesTheFolder) {
    for (int n : {1, 2, 3}) Store(n);
    std::ofstream(dir / "0004.txt") << "BM";
    model.RefreshAlbumList(false, false);
    EXPECT_EQ(Names(), (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp"}));
    EXPECT_EQ(model.SelectedIndices(), std::vector<int>{2});
    EXPECT_EQ(model.FocusedItem(), 2);

    // A folder without pictures leaves the list as it is.
    folder.Empty();
    folder.SetAlbumNames({"0001.bmp", "0002.bmp", "0003.bmp"});
    model.RefreshAlbumList(false, false);
    EXPECT_EQ(model.ItemCount(), 3);
}

TEST_F(AlbumListModelTest, WhileMovingNeitherEnumeratesNorSelects) {
    for (int n : {1, 2}) Append(n);
    Store(3);  // a file the list does not know yet
    loaded.clear();
    state.m_bMoving = true;
    model.RefreshAlbumList(false, false);
    state.m_bMoving = false;
    EXPECT_EQ(Names(), (std::vector<std::string>{"0001.bmp", "0002.bmp"}));
    EXPECT_EQ(loaded, Names());  // every thumbnail reloaded
    EXPECT_TRUE(model.SelectedIndices().empty());
    EXPECT_EQ(model.FocusedItem(), -1);
}

TEST_F(AlbumListModelTest, WithoutImageListOrFolder) {
    model.DestroyImageList();
    EXPECT_FALSE(model.HasImageList());
    Append(1);
    ASSERT_EQ(model.ItemCount(), 1);
    EXPECT_TRUE(model.Item(0)->thumbnail.empty());  // a blank slot, the item is still listed
    EXPECT_TRUE(loaded.empty());

    AlbumFolder nowhere;
    AlbumListModel idle(nowhere, state, FakeLoader{&loaded});
    idle.RefreshAlbumList(true, true, 1);
    EXPECT_EQ(idle.ItemCount(), 0);
    EXPECT_EQ(nowhere.AlbumNameCount(), 0u);
}

TEST_F(AlbumListModelTest, GrowsOnAWorkerWhileAViewReads) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int n = 1; n <= 40; ++n) Append(n);
        done = true;
    });
    // The view reads as the listener would make it: every snapshot is consistent.
    while (!done) {
        const auto items = model.Items();
        int selected = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].name, AlbumFolder::FileName(static_cast<int>(i) + 1));
            selected += items[i].selected;
        }
        EXPECT_LE(selected, 1);
    }
    worker.join();
    EXPECT_EQ(model.ItemCount(), 40);
    EXPECT_EQ(model.SelectedIndices(), std::vector<int>{39});
}

TEST_F(AlbumListModelTest, SelectionOperationsIgnoreBadIndexes) {
    for (int n : {1, 2, 3}) Append(n);
    model.SelectAll();
    EXPECT_EQ(model.SelectedCount(), 3);
    model.SetItemSelected(7, false);
    model.SetItemSelected(-1, false);
    EXPECT_EQ(model.SelectedCount(), 3);
    model.ClearSelection();
    EXPECT_EQ(model.SelectedCount(), 0);
    model.SetFocusedItem(9);
    EXPECT_EQ(model.FocusedItem(), 2);
    EXPECT_EQ(model.ItemText(5), "");
    model.DeleteAllItems();
    EXPECT_EQ(model.ItemCount(), 0);
    EXPECT_EQ(model.FocusedItem(), -1);
}

}  // namespace
}  // namespace framewise
