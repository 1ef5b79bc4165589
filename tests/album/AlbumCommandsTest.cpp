#include <gtest/gtest.h>

#include "EditSessionSupport.h"
#include "album/AlbumCommands.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

class AlbumCommandsTest : public test::EditSessionTest {
  protected:
    void OpenWith(int pictures) {
        test::EditSessionTest::OpenWith(pictures);
        commands = std::make_unique<AlbumCommands>(
            session->Folder(), session->List(), Model(), session->State(), fe,
            session->GetLanguage(), [this](int c) { session->Store().UpdatePictureTotal(c); });
        // Sources from outside the album folder, so that their order is visible.
        for (int n = 1; n <= pictures; ++n)
            session->Folder().SetSourcePath(n - 1, "/pictures/p" + std::to_string(n) + ".jpg");
    }
    FlashModel& Model() { return session->Connection().Model(); }
    std::vector<std::string> Sources(std::initializer_list<int> numbers) {
        std::vector<std::string> out;
        for (int n : numbers) out.push_back("/pictures/p" + std::to_string(n) + ".jpg");
        return out;
    }
    std::unique_ptr<AlbumCommands> commands;
};

TEST_F(AlbumCommandsTest, DeletingTwoOfFiveKeepsFolderSourcesAndRecordsInStep) {
    OpenWith(5);
    std::vector<std::vector<uint8_t>> files;
    std::vector<PictureRecord> records;
    for (int n = 1; n <= 5; ++n)
        files.push_back(AlbumFile(n)), records.push_back(Model().Record(n - 1));

    Select({1, 2});
    const DeleteOutcome outcome = commands->DeleteSelected("/pictures/last.jpg");
    EXPECT_TRUE(outcome.deleted);
    EXPECT_FALSE(outcome.emptiedAlbum);
    EXPECT_EQ(outcome.count, 3);
    EXPECT_EQ(fe.Questions(), std::vector<std::string>{"Delete the selected photo(s)?"});

    EXPECT_EQ(session->Folder().AlbumNames(),
              (std::vector<std::string>{"0001.bmp", "0002.bmp", "0003.bmp"}));
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(4)));
    EXPECT_EQ(AlbumFile(1), files[0]);
    EXPECT_EQ(AlbumFile(2), files[3]);
    EXPECT_EQ(AlbumFile(3), files[4]);
    EXPECT_EQ(session->Folder().SourcePathList(), Sources({1, 4, 5}));
    for (int k : {0, 1, 2}) {
        const PictureRecord& want = records[k == 0 ? 0 : k + 2];
        EXPECT_EQ(Model().Record(k).address, want.address) << k;
        EXPECT_EQ(Model().Record(k).length, want.length) << k;
    }
    EXPECT_EQ(Model().TotalStoredBytes(),
              records[0].length + records[3].length + records[4].length);
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{1});
    EXPECT_EQ(session->List().FocusedItem(), 1);
    EXPECT_TRUE(session->State().m_bModified);
    EXPECT_FALSE(session->State().m_bDeleting);

    // The frame's index then lists the remaining pictures in their order.
    ASSERT_TRUE(session->Synchronize());
    const auto index = test::FlashIndex(frame->Flash(), 0x30000);
    ASSERT_EQ(index.size(), 3u);
    for (int k : {0, 1, 2}) {
        const PictureRecord& want = records[k == 0 ? 0 : k + 2];
        EXPECT_EQ(index[k].second, static_cast<uint32_t>(want.length)) << k;
        const auto flash = frame->Flash();
        const auto& stream = streams[k == 0 ? 0 : k + 2];
        EXPECT_TRUE(std::equal(stream.begin(), stream.end(), flash.begin() + index[k].first)) << k;
    }
}

TEST_F(AlbumCommandsTest, DeletingTheLastOrEveryPicture) {
    OpenWith(3);
    Select({2});
    EXPECT_EQ(commands->DeleteSelected().count, 2);
    EXPECT_TRUE(session->List().SelectedIndices().empty());
    EXPECT_EQ(session->Folder().SourcePathList(), Sources({1, 2}));

    session->List().SelectAll();
    const DeleteOutcome all = commands->DeleteSelected("/pictures/last.jpg");
    EXPECT_TRUE(all.emptiedAlbum);
    EXPECT_EQ(all.count, 0);
    EXPECT_EQ(all.previewPath, "/pictures/last.jpg");
    EXPECT_EQ(session->List().ItemCount(), 0);
    EXPECT_TRUE(session->Folder().AlbumNames().empty());
    EXPECT_TRUE(session->Folder().SourcePathList().empty());
    EXPECT_FALSE(fs::exists(session->Folder().FilePath(1)));
    EXPECT_EQ(Model().TotalStoredBytes(), 0);
    EXPECT_EQ(fe.LastTotal(), "Total Pictures:\n 0 \n(196 KB / 2048 KB)");
    ASSERT_TRUE(session->Synchronize());
    EXPECT_TRUE(test::FlashIndex(frame->Flash(), 0x30000).empty());
}

TEST_F(AlbumCommandsTest, DeleteRefusesWithoutSelectionAnswerOrReadiness) {
    OpenWith(3);
    Select({});
    EXPECT_FALSE(commands->DeleteSelected().deleted);
    EXPECT_EQ(fe.Messages(),
              std::vector<std::string>{"Please select at least a pic before you delete it!"});
    EXPECT_TRUE(fe.Questions().empty());

    Select({0});
    fe.QueueYesNo(false);
    EXPECT_FALSE(commands->DeleteSelected().deleted);
    session->State().m_bReady = false;
    EXPECT_FALSE(commands->DeleteSelected().deleted);
    session->State().m_bReady = true;
    session->State().m_bBatchAdding = true;
    EXPECT_FALSE(commands->DeleteSelected().deleted);
    session->State().m_bBatchAdding = false;

    EXPECT_EQ(session->List().ItemCount(), 3);
    EXPECT_TRUE(fs::exists(session->Folder().FilePath(1)));
    EXPECT_FALSE(session->State().m_bModified);
}

TEST_F(AlbumCommandsTest, MovesAtTheEndsChangeNothing) {
    OpenWith(4);
    const auto first = AlbumFile(1);
    const auto last = AlbumFile(4);
    Select({0});
    EXPECT_FALSE(commands->MoveUp());
    Select({3});
    EXPECT_FALSE(commands->MoveDown());
    Select({1, 2});
    EXPECT_FALSE(commands->MoveUp());
    EXPECT_EQ(fe.Messages(), std::vector<std::string>{"Please select one pic only!"});
    EXPECT_EQ(AlbumFile(1), first);
    EXPECT_EQ(AlbumFile(4), last);
    EXPECT_EQ(session->Folder().SourcePathList(), Sources({1, 2, 3, 4}));
    EXPECT_FALSE(session->State().m_bModified);
    EXPECT_FALSE(session->Synchronize());  // nothing to write
}

TEST_F(AlbumCommandsTest, MovingUpExchangesFilesSourcesAndRecordsAndWritesOnlyTheIndex) {
    OpenWith(5);
    const auto file3 = AlbumFile(3), file4 = AlbumFile(4);
    const PictureRecord rec3 = Model().Record(2), rec4 = Model().Record(3);
    std::vector<std::pair<int, bool>> buttons;
    commands->SetButtonEnabler([&](int id, bool on) { buttons.emplace_back(id, on); });

    Select({3});
    ASSERT_TRUE(commands->MoveUp());
    EXPECT_EQ(AlbumFile(3), file4);
    EXPECT_EQ(AlbumFile(4), file3);
    EXPECT_EQ(session->Folder().SourcePathList(), Sources({1, 2, 4, 3, 5}));
    EXPECT_EQ(Model().Record(2).address, rec4.address);
    EXPECT_EQ(Model().Record(3).address, rec3.address);
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{2});
    EXPECT_EQ(session->List().FocusedItem(), 2);
    for (const auto& entry : fs::directory_iterator(session->Folder().Path()))
        EXPECT_EQ(entry.path().string().find("_tmp"), std::string::npos) << entry.path();
    EXPECT_TRUE(session->State().m_bModified);
    EXPECT_FALSE(session->State().m_bMoving);
    EXPECT_EQ(buttons, (std::vector<std::pair<int, bool>>{{1021, false}, {1021, true}}));

    // The pictures stay where they are on the flash: only the index block is rewritten.
    frame->ClearLog();
    ASSERT_TRUE(session->Synchronize());
    EXPECT_EQ(frame->EraseAddresses(), std::vector<uint32_t>{0x30000});
    uint32_t programmed = 0;
    for (const auto& p : frame->Programs()) {
        EXPECT_GE(p.address, 0x30000u);
        EXPECT_LT(p.address, 0x40000u);
        programmed += p.length;
    }
    EXPECT_EQ(programmed, 0x10000u);
    const auto index = test::FlashIndex(frame->Flash(), 0x30000);
    ASSERT_EQ(index.size(), 5u);
    EXPECT_EQ(index[2].first, static_cast<uint32_t>(rec4.address));
    EXPECT_EQ(index[3].first, static_cast<uint32_t>(rec3.address));

    // Down from there brings it back; sources that name album files keep naming their own file.
    session->Folder().SetSourcePath(1, session->Folder().FilePath(2).string());
    session->Folder().SetSourcePath(2, session->Folder().FilePath(3).string());
    Select({1});
    ASSERT_TRUE(commands->MoveDown());
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{2});
    EXPECT_EQ(*session->Folder().SourcePath(1), session->Folder().FilePath(2).string());
    EXPECT_EQ(*session->Folder().SourcePath(2), session->Folder().FilePath(3).string());
}

TEST_F(AlbumCommandsTest, SelectAllFollowsTheFocus) {
    OpenWith(3);
    Select({0});
    EXPECT_EQ(commands->SelectAll(true), SelectAllTarget::FolderList);
    EXPECT_EQ(session->List().SelectedIndices(), std::vector<int>{0});
    session->State().m_bBatchAdding = true;
    EXPECT_EQ(commands->SelectAll(false), SelectAllTarget::None);
    session->State().m_bBatchAdding = false;
    session->List().SetFocus(false);
    EXPECT_EQ(commands->SelectAll(false), SelectAllTarget::AlbumList);
    EXPECT_EQ(session->List().SelectedIndices(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(session->List().HasFocus());
}

}  // namespace
}  // namespace framewise
