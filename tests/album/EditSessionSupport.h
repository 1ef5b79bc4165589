// Frame sessions over simulated frames that already hold an album, for the tests of the
// album's edit commands, of saving album pictures and of the session itself.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "FileBytes.h"
#include "TempDir.h"
#include "album/FrameSession.h"
#include "config/RecordingFrontend.h"
#include "device/FrameImage.h"
#include "transfer/TransferTestSupport.h"

namespace framewise::test {

// An image of a fresh frame holding `streams` as its firmware would keep them.
inline void CreateFrameWith(const std::filesystem::path& image, const FrameImageOptions& options,
                            const std::vector<std::vector<uint8_t>>& streams) {
    std::string error;
    ASSERT_TRUE(CreateFrameImage(image, options, error)) << error;
    auto frame = SimulatedFrame::Open(image, error);
    ASSERT_TRUE(frame) << error;
    PokeAlbum(*frame, options.indexAddress, streams);
}

// A session over the simulated frame of image; work files and backups under dir.
inline std::unique_ptr<FrameSession> OpenSession(Frontend& fe, const std::filesystem::path& dir,
                                                 const std::filesystem::path& image,
                                                 bool hotPlug = false) {
    auto session = std::make_unique<FrameSession>(fe);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = image;
    options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
    options.backupRoot = dir / "backups";
    options.hotPlug = hotPlug;
    std::string error;
    EXPECT_TRUE(session->Open(options, error)) << error;
    if (session->Simulated()) session->Simulated()->SetBusyPolls(0);
    return session;
}

// Adds a 128 x 128 device picture stream to the album as Add does: the flash model and the
// album file; the album is modified then.
inline void AddStream(FrameSession& session, const std::vector<uint8_t>& stream) {
    FlashModel& model = session.Connection().Model();
    const int k = session.List().ItemCount();
    ASSERT_TRUE(model.FitsNewPicture(static_cast<int>(stream.size()), k));
    model.CaptureNextAddress();
    ASSERT_TRUE(model.AppendPicture(k, stream.data(), stream.size()));
    DecodedPicture picture;
    ASSERT_TRUE(session.Decoder().decode(stream.data(), stream.size(), 128, 128, picture));
    session.Store().StoreAlbumPicture(k + 1, TransferRig::BottomUp(picture).data(), 128, 128);
    session.State().m_bModified = true;
}

// A 128 x 128 frame with `pictures` pictures, read into a session; the work files, backups
// and image live in the fixture's temporary folder.
class EditSessionTest : public ::testing::Test {
  protected:
    void OpenWith(int pictures) {
        std::string error;
        ASSERT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
        session = std::make_unique<FrameSession>(fe);
        FrameSessionOptions options;
        options.workRoot = dir / "work";
        options.simulateImage = image;
        options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
        options.backupRoot = dir / "backups";
        ASSERT_TRUE(session->Open(options, error)) << error;
        frame = session->Simulated().get();
        frame->SetBusyPolls(0);
        for (int seed = 1; seed <= pictures; ++seed)
            streams.push_back(EncodeStream(128, 128, seed));
        PokeAlbum(*frame, 0x30000, streams);
        ASSERT_TRUE(session->AttachAndRead());
        ASSERT_EQ(session->List().ItemCount(), pictures);
        fe.Clear();
    }
    // Selects exactly the given list items, as clicks would.
    void Select(std::initializer_list<int> indexes) {
        session->List().ClearSelection();
        for (int i : indexes) session->List().SetItemSelected(i, true);
    }
    std::vector<uint8_t> AlbumFile(int number) {
        return FileBytes(session->Folder().FilePath(number));
    }

    TempDir dir;
    std::filesystem::path image = dir / "frame.img";
    RecordingFrontend fe;
    std::unique_ptr<FrameSession> session;
    SimulatedFrame* frame = nullptr;
    std::vector<std::vector<uint8_t>> streams;
};

}  // namespace framewise::test
