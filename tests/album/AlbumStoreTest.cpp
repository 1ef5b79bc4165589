#include <gtest/gtest.h>

#include <fstream>

#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "TempDir.h"
#include "album/AlbumStore.h"
#include "album/FrameSession.h"
#include "codec/BmpFile.h"
#include "config/RecordingFrontend.h"
#include "transfer/TransferTestSupport.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

using test::FileBytes;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

class AlbumStoreTest : public ::testing::Test {
  protected:
    AlbumStoreTest()
        : paths(WorkPaths::Under(dir.path())),
          folder(paths.albumFolder),
          list(folder, state),
          store(paths, folder, list, state, frontend, language, [this] { return totals; }) {
        fs::create_directories(paths.albumFolder);
        state.m_bAttached = true;
        list.CreateImageList(4, 3, 2);
    }
    // A W × H picture in one colour (blue, green, red), rows as the decoder writes them.
    std::vector<uint8_t> Picture(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
        const int stride = BmpRowStride(w);
        std::vector<uint8_t> rows(static_cast<size_t>(stride) * h, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &rows[static_cast<size_t>(y) * stride + x * 3];
                p[0] = b, p[1] = g, p[2] = r;
            }
        }
        return rows;
    }

    test::TempDir dir;
    WorkPaths paths;
    AppState state;
    RecordingFrontend frontend;
    Language language;
    PictureTotalInputs totals;
    AlbumFolder folder;
    AlbumListModel list;
    AlbumStore store;
};

TEST_F(AlbumStoreTest, StoreAlbumPictureWritesTheFileAndGrowsTheList) {
    const auto rows = Picture(10, 6, 10, 20, 30);  // stride 32: padded rows
    store.StoreAlbumPicture(1, rows.data(), 10, 6);
    store.StoreAlbumPicture(2, Picture(10, 6, 1, 2, 3).data(), 10, 6);

    const auto file = FileBytes(folder.FilePath(1));
    ASSERT_EQ(file.size(), 54u + 32u * 6u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 18), 10u);
    EXPECT_EQ(Le32(file, 22), 6u);
    EXPECT_EQ(Le32(file, 38), 0u);  // resolution 0 in files of the device read
    EXPECT_EQ(Le32(file, 42), 0u);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 54));
    EXPECT_EQ(FileBytes(paths.forShow).size(), file.size());

    EXPECT_EQ(folder.SourcePathList(),
              (std::vector<std::string>{folder.FilePath(1).string(), folder.FilePath(2).string()}));
    ASSERT_EQ(store.AlbumCount(), 2);
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{1});
    // The thumbnail is the album file reduced to 4 × 3, in RGB.
    const auto thumb = list.Item(0)->thumbnail;
    ASSERT_EQ(thumb.size(), 4u * 3u * 3u);
    EXPECT_EQ(thumb[0], 30);
    EXPECT_EQ(thumb[1], 20);
    EXPECT_EQ(thumb[2], 10);
    EXPECT_TRUE(frontend.Messages().empty());
}

TEST_F(AlbumStoreTest, StoreWhileDetachedAndFailedCopy) {
    state.m_bAttached = false;
    store.StoreAlbumPicture(1, Picture(4, 4, 0, 0, 0).data(), 4, 4);
    EXPECT_TRUE(fs::exists(folder.FilePath(1)));
    EXPECT_EQ(store.AlbumCount(), 0);  // the list only grows while attached

    state.m_bAttached = true;
    fs::remove_all(paths.albumFolder);
    store.StoreAlbumPicture(2, Picture(4, 4, 0, 0, 0).data(), 4, 4);
    EXPECT_EQ(frontend.Messages(),
              std::vector<std::string>{"copy file " + folder.FilePath(2).string() + " failed!"});

    // ForShow.bmp cannot be written: the stale one from before is not copied instead.
    fs::create_directories(paths.albumFolder);
    frontend.Clear();
    store.StoreAlbumPicture(3, nullptr, 4, 4);
    EXPECT_FALSE(fs::exists(folder.FilePath(3)));
    EXPECT_EQ(frontend.Messages().size(), 1u);
}

// A disk that fills while a picture read from the frame is stored: nothing of it is left,
// neither a file cut short nor a list item or a SourcePathList entry for it.
TEST_F(AlbumStoreTest, FullDiskLeavesNothingOfThePicture) {
    ASSERT_TRUE(store.StoreAlbumPicture(1, Picture(128, 128, 1, 2, 3).data(), 128, 128));
    // A 128 x 128 album file is 49,206 bytes; 40,000 of them fit.
    const auto answer = test::WithFileSizeLimit(40000, [&] {
        const bool stored = store.StoreAlbumPicture(2, Picture(128, 128, 4, 5, 6).data(), 128, 128);
        const auto messages = frontend.Messages();
        return std::string(stored ? "stored" : "refused") + " " +
               std::to_string(store.AlbumCount()) + " " + std::to_string(folder.SourcePathCount()) +
               " " + (messages.empty() ? "" : messages.back());
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "refused 1 1 copy file " + folder.FilePath(2).string() + " failed!");
    EXPECT_FALSE(fs::exists(folder.FilePath(2)));
    EXPECT_FALSE(fs::exists(paths.forShow));
    ASSERT_TRUE(folder.EnumerateAlbumFolder());
    EXPECT_EQ(folder.AlbumNames(), std::vector<std::string>{"0001.bmp"});
}

// An album that cannot keep a picture read from the frame is not the frame's album: the read
// ends as failed and can be run again once the pictures can be stored.
TEST(AlbumStoreRead, PictureThatCannotBeStoredFailsTheRead) {
    test::TempDir dir;
    const fs::path image = dir / "frame.img";
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
    RecordingFrontend fe;
    FrameSession session(fe);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = image;
    options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
    ASSERT_TRUE(session.Open(options, error)) << error;
    session.Simulated()->SetBusyPolls(0);
    test::PokeAlbum(*session.Simulated(), 0x30000,
                    {test::EncodeStream(128, 128, 1), test::EncodeStream(128, 128, 2)});
    ASSERT_TRUE(session.Arrive());
    fs::remove_all(session.Paths().albumFolder);  // the album files cannot be made

    EXPECT_FALSE(session.ReadAlbum());
    EXPECT_TRUE(session.State().m_bReadStopped);
    EXPECT_FALSE(session.State().m_bAlbumRead);
    EXPECT_EQ(session.List().ItemCount(), 0);
    EXPECT_EQ(session.Folder().SourcePathCount(), 0u);
    EXPECT_EQ(
        fe.Count("message", "copy file " + session.Folder().FilePath(1).string() + " failed!"), 1);

    fs::create_directories(session.Paths().albumFolder);
    ASSERT_TRUE(session.ReadAlbum());
    EXPECT_TRUE(session.State().m_bAlbumRead);
    EXPECT_EQ(session.List().ItemCount(), 2);
    EXPECT_EQ(session.Folder().SourcePathCount(), 2u);
}

TEST_F(AlbumStoreTest, PictureTotalAndArrival) {
    totals.flashSizeKB = 2048;
    totals.totalPictureBytes = 10241;
    store.UpdatePictureTotal(3);
    EXPECT_EQ(frontend.LastTotal(), "Total Pictures:\n 3 \n(207 KB / 2048 KB)");

    store.StoreAlbumPicture(1, Picture(4, 4, 0, 0, 0).data(), 4, 4);
    store.ResetForArrival();
    EXPECT_FALSE(store.CanStorePictures());
    EXPECT_EQ(store.AlbumCount(), 0);
    EXPECT_EQ(folder.SourcePathCount(), 0u);
    EXPECT_EQ(folder.AlbumNameCount(), 0u);
    EXPECT_FALSE(fs::exists(folder.FilePath(1)));
}

}  // namespace
}  // namespace framewise
