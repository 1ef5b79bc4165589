// The frame pulled out at every command of a synchronize, one cut per run, for several kinds of
// edit: after each cut the album on the PC is intact, the next attach of the frame offers the
// backup taken before the run and puts the album back byte for byte (writing nothing else),
// and plugging the frame back in and synchronizing again leaves it holding the album.
//
// FRAMEWISE_SWEEP_SCALE=2 (scripts/unplug-sweep) runs bigger frames and albums.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "RecoverySupport.h"

namespace framewise::test {
namespace {

struct Scenario {
    const char* name;
    FrameImageOptions options;
    std::vector<std::vector<uint8_t>> initial;
    // The user's edit, done on the session and on the expected album alike.
    std::function<void(FrameSession&, Frontend&, ExpectedAlbum&)> edit;
};

FrameImageOptions Frame(uint32_t width, uint32_t height, uint32_t flashKb) {
    FrameImageOptions options;
    options.lcdWidth = width;
    options.lcdHeight = height;
    options.flashKb = flashKb;
    return options;
}

std::vector<Scenario> Scenarios(long scale) {
    const uint32_t kb = scale > 1 ? 2048 : 512;
    std::vector<Scenario> list;
    // The case first seen: six pictures, the first deleted; only the index block is written.
    {
        Scenario s{"deleted", Frame(128, 128, kb), {}, nullptr};
        for (int seed = 1; seed <= 6 * scale; ++seed)
            s.initial.push_back(EncodeStream(128, 128, seed));
        s.edit = [](FrameSession& session, Frontend& fe, ExpectedAlbum& album) {
            ASSERT_TRUE(DeletePicture(session, fe, 0));
            album.streams.erase(album.streams.begin());
        };
        list.push_back(std::move(s));
    }
    // Pictures appended after the last one, running over a block boundary.
    {
        Scenario s{"added", Frame(128, 128, kb), {}, nullptr};
        for (uint32_t seed = 1; seed <= 3; ++seed)
            s.initial.push_back(NoisyStream(128, 128, seed, 120));
        s.edit = [scale](FrameSession& session, Frontend&, ExpectedAlbum& album) {
            for (uint32_t seed = 11; seed < 11 + 3 * scale; ++seed) {
                album.streams.push_back(NoisyStream(128, 128, seed, 160));
                ASSERT_TRUE(AddPicture(session, album.streams.back()));
            }
        };
        list.push_back(std::move(s));
    }
    // A delete and a move, then an Add that only fits once the gaps are closed: the repack
    // shifts every picture after the gap down across the 64 KB boundaries.
    {
        Scenario s{"moved", Frame(128, 128, scale > 1 ? 448 : 320), {}, nullptr};
        for (uint32_t seed = 21; seed < 21 + 6 * scale; ++seed)
            s.initial.push_back(NoisyStream(128, 128, seed, 60));
        s.edit = [](FrameSession& session, Frontend& fe, ExpectedAlbum& album) {
            ASSERT_TRUE(DeletePicture(session, fe, 1));
            album.streams.erase(album.streams.begin() + 1);
            const int last = static_cast<int>(album.streams.size()) - 1;
            for (int i = last; i > last - 2; --i) {
                ASSERT_TRUE(MovePicture(session, fe, i, true));
                std::swap(album.streams[static_cast<size_t>(i)],
                          album.streams[static_cast<size_t>(i - 1)]);
            }
            const FlashModel& model = session.Connection().Model();
            // The smallest of some pictures that is larger than the free space after the last.
            std::vector<uint8_t> added;
            for (int detail = 60; detail <= 255 && added.size() <= size_t(model.FreeSpace());
                 detail += 10)
                added = NoisyStream(128, 128, 29, detail);
            album.streams.push_back(added);
            ASSERT_TRUE(AddPicture(session, added));
            ASSERT_TRUE(model.Repacked());
        };
        list.push_back(std::move(s));
    }
    // A picture longer than 64 KB, written over three blocks.
    {
        Scenario s{"longer than 64 KB", Frame(240, 320, kb), {}, nullptr};
        for (uint32_t seed = 31; seed <= 32; ++seed)
            s.initial.push_back(NoisyStream(240, 320, seed, 0));
        s.edit = [](FrameSession& session, Frontend&, ExpectedAlbum& album) {
            album.streams.push_back(NoisyStream(240, 320, 33, 255, 95));
            ASSERT_GT(album.streams.back().size(), 65536u);
            ASSERT_TRUE(AddPicture(session, album.streams.back()));
        };
        list.push_back(std::move(s));
    }
    return list;
}

// A session over image with its own work and backup folders under dir.
std::unique_ptr<FrameSession> Session(Frontend& fe, const fs::path& dir, const fs::path& image,
                                      const fs::path& backups) {
    auto session = std::make_unique<FrameSession>(fe);
    fs::create_directories(dir);
    FrameSessionOptions options;
    options.workRoot = dir / "work";
    options.simulateImage = image;
    options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
    options.backupRoot = backups;
    std::string error;
    EXPECT_TRUE(session->Open(options, error)) << error;
    session->Simulated()->SetBusyPolls(0);
    // A frame pulled out fails every status poll: no need to wait long for it.
    session->Commands().SetWaitReadyLimit(std::chrono::milliseconds(30));
    return session;
}

class UnplugSweep : public ::testing::Test {
  protected:
    // The number of commands the edit's synchronize sends, from a run without a cut.
    uint64_t CountCommands(const Scenario& s) {
        TempDir dir;
        CopyFile(templateImage, dir / "frame.img");
        RecordingFrontend fe;
        auto session = Session(fe, dir.path(), dir / "frame.img", dir / "backups");
        EXPECT_TRUE(session->AttachAndRead());
        ExpectedAlbum album{s.initial};
        s.edit(*session, fe, album);
        session->Simulated()->ClearLog();
        EXPECT_TRUE(session->Synchronize());
        EXPECT_EQ(HeldStreams(session->Simulated()->Flash(), s.options.indexAddress),
                  album.streams);
        return session->Simulated()->TotalCommands();
    }

    void Cut(const Scenario& s, uint64_t k) {
        TempDir dir;
        const fs::path image = dir / "frame.img", backups = dir / "backups";
        CopyFile(templateImage, image);
        RecordingFrontend fe;
        auto a = Session(fe, dir.path(), image, backups);
        ASSERT_TRUE(a->AttachAndRead());
        const auto readFiles = AlbumFiles(*a);
        ExpectedAlbum album{s.initial};
        s.edit(*a, fe, album);
        if (HasFatalFailure()) return;
        SimulatedFrame& frame = *a->Simulated();
        const FlashModel& model = a->Connection().Model();
        const int n = a->List().ItemCount();
        const auto files = AlbumFiles(*a);
        std::vector<std::vector<uint8_t>> stored;
        for (int i = 0; i < n; ++i) {
            const PictureRecord& r = model.Record(i);
            stored.emplace_back(model.PictureStore().begin() + r.address,
                                model.PictureStore().begin() + r.address + r.length);
        }
        const auto before = frame.Flash();
        const uint32_t ia = s.options.indexAddress;

        frame.InjectFault(SimFault::Unplug, k);
        EXPECT_FALSE(a->Synchronize());

        // The album on the PC is as the user left it: folder, list and flash model.
        EXPECT_EQ(AlbumFiles(*a), files);
        EXPECT_EQ(a->List().ItemCount(), n);
        EXPECT_EQ(stored, album.streams);
        for (int i = 0; i < n; ++i) {
            const PictureRecord& r = model.Record(i);
            EXPECT_EQ(std::vector<uint8_t>(model.PictureStore().begin() + r.address,
                                           model.PictureStore().begin() + r.address + r.length),
                      stored[static_cast<size_t>(i)]);
        }
        EXPECT_TRUE(a->State().m_bModified);
        EXPECT_TRUE(a->State().m_bReady);

        const auto cut = frame.Flash();
        const DeviceInfo& info = a->Connection().Info();
        const auto journal = ReadSyncJournal(backups, info);
        if (!journal) {
            // Cut before the first erase (while the backup was read): the frame is untouched.
            EXPECT_EQ(cut, before);
            ++untouched;
        } else {
            ExpectNextAttachRecovers(dir.path(), image, backups, before, cut, *journal,
                                     {s.initial, readFiles}, {album.streams, files});
        }

        // Plugged back in, the same album synchronizes in full.
        frame.ClearFaults();
        frame.Plug();
        ASSERT_TRUE(a->Synchronize());
        EXPECT_EQ(HeldStreams(frame.Flash(), ia), album.streams);
        EXPECT_FALSE(ReadSyncJournal(backups, info));
        a.reset();
        // And a new run reads it back as the album was.
        RecordingFrontend feC;
        auto c = Session(feC, dir / "c", image, backups);
        ASSERT_TRUE(c->AttachAndRead());
        EXPECT_EQ(AlbumFiles(*c), files);
        EXPECT_TRUE(feC.Questions().empty());
    }

    // An album as the frame holds it and as the album folder holds it.
    struct Held {
        std::vector<std::vector<uint8_t>> streams;
        std::vector<std::vector<uint8_t>> files;
    };

    // The next attach, in a new run on a copy of the cut frame: the backup taken before the
    // synchronize is offered and put back where the album lived, nothing else written; unless
    // the frame holds a whole album, the one before or the one after, and nothing is offered.
    void ExpectNextAttachRecovers(const fs::path& dir, const fs::path& image,
                                  const fs::path& backups, const std::vector<uint8_t>& before,
                                  const std::vector<uint8_t>& cut, const SyncJournal& journal,
                                  const Held& old, const Held& edited) {
        ASSERT_EQ(journal.kind, JournalKind::Synchronize);
        ASSERT_TRUE(fs::exists(journal.backup));
        const fs::path copy = dir / "next.img", copyBackups = dir / "next-backups";
        CopyFile(image, copy);
        fs::copy(backups, copyBackups, fs::copy_options::recursive);
        RecordingFrontend fe;  // answers Yes
        auto b = Session(fe, dir / "b", copy, copyBackups);
        ASSERT_TRUE(b->AttachAndRead());
        const DeviceInfo& info = b->Connection().Info();
        EXPECT_FALSE(ReadSyncJournal(copyBackups, info));
        const auto restored = b->Simulated()->Flash();
        if (b->LastRecovery() != RecoveryOutcome::Restored) {
            EXPECT_EQ(b->LastRecovery(), RecoveryOutcome::None);
            EXPECT_TRUE(fe.Questions().empty());
            const bool after = HeldStreams(restored, info.indexAddress) == edited.streams;
            EXPECT_EQ(HeldStreams(restored, info.indexAddress), (after ? edited : old).streams);
            EXPECT_EQ(AlbumFiles(*b), (after ? edited : old).files);
            ++(after ? foundNew : foundOld);
            return;
        }
        ++restoredOld;
        ASSERT_EQ(fe.Questions().size(), 1u);
        EXPECT_NE(fe.Questions()[0].find("did not finish"), std::string::npos);
        EXPECT_EQ(b->Recovery().LastOffer()->backup.filename(), journal.backup.filename());
        EXPECT_EQ(AlbumFiles(*b), old.files);
        const auto albumBlocks = AlbumBlocks(before, info);
        for (uint32_t address = 0; address < restored.size(); address += 65536) {
            const bool album =
                std::find(albumBlocks.begin(), albumBlocks.end(), address) != albumBlocks.end();
            EXPECT_EQ(Block(restored, address), Block(album ? before : cut, address))
                << (album ? "album block " : "other block ") << address;
        }
        // Only blocks that differed were written.
        for (uint32_t address : b->Simulated()->EraseAddresses())
            EXPECT_NE(Block(cut, address), Block(before, address)) << address;
    }

    // How the cuts ended: before the first erase; offered and put back at the next attach;
    // found whole by it, holding the album from before or the whole new one.
    int untouched = 0, restoredOld = 0, foundOld = 0, foundNew = 0;
    fs::path templateImage;
};

TEST_F(UnplugSweep, EveryCutOfEverySynchronizeIsRecovered) {
    const long scale = EnvNumber("FRAMEWISE_SWEEP_SCALE", 1);
    // Every cut, or every stride-th (FRAMEWISE_SWEEP_STRIDE; the sanitizer's pass takes a slice).
    const uint64_t stride = static_cast<uint64_t>(
        std::max(1L, EnvNumber("FRAMEWISE_SWEEP_STRIDE", kSanitizedBuild ? 8 : 1)));
    KeepTemporaryFilesInMemory();
    TempDir dir;
    uint64_t tried = 0;
    for (const Scenario& s : Scenarios(scale)) {
        SCOPED_TRACE(s.name);
        templateImage = dir / (std::string(s.name) + ".img");
        CreateFrameWith(templateImage, s.options, s.initial);
        const uint64_t commands = CountCommands(s);
        ASSERT_GT(commands, 10u);
        for (uint64_t k = 1; k <= commands; k += stride) {
            SCOPED_TRACE("cut at command " + std::to_string(k) + " of " + std::to_string(commands));
            Cut(s, k);
            ++tried;
            if (HasFailure()) return;
        }
        std::printf(
            "[ sweep    ] %s: %llu commands, cut at every %llu: %d before the first erase, %d "
            "put back at the next attach, %d found holding the album from before, %d the new "
            "album\n",
            s.name, static_cast<unsigned long long>(commands),
            static_cast<unsigned long long>(stride), untouched, restoredOld, foundOld,
            foundNew);
        untouched = restoredOld = foundOld = foundNew = 0;
    }
    std::printf("[ sweep    ] %llu cut points tried\n", static_cast<unsigned long long>(tried));
}

}  // namespace
}  // namespace framewise::test
