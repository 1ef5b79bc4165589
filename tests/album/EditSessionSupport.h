// A frame session over a simulated frame that already holds an album, for the tests of the
// album's edit commands and of saving album pictures.
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
