// Seeded sessions of random edits (add, delete, move, synchronize, read the frame again) with
// random faults of every kind armed on the simulated frame. What must hold whatever happens:
// nothing crashes or hangs; a synchronize reported as successful leaves the frame holding the
// album; after a failure, a retry (the frame plugged back in) or the next run's restore brings
// the frame back to an album the user had.
//
// FRAMEWISE_SOAK_SESSIONS and FRAMEWISE_SOAK_SEED (scripts/soak) choose how many sessions and
// the first seed; a failure names the seed of its session, which reruns it alone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "RecoverySupport.h"

namespace framewise::test {
namespace {

constexpr SimFault kKinds[] = {SimFault::FailTransfer, SimFault::FlipReadBit,
                               SimFault::CorruptProgram, SimFault::WrongVerify, SimFault::Unplug};

// Ends the process, naming the seed, when a session takes far longer than any should.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::seconds limit) : m_limit(limit), m_thread([this] { Run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Start(uint32_t seed) {
        std::lock_guard lock(m_mutex);
        m_seed = seed;
        m_deadline = std::chrono::steady_clock::now() + m_limit;
        m_armed = true;
    }

  private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            if (!m_armed) {
                m_wake.wait(lock);
            } else if (m_wake.wait_until(lock, m_deadline) == std::cv_status::timeout && !m_done &&
                       std::chrono::steady_clock::now() >= m_deadline) {
                std::fprintf(stderr, "soak: session with seed %u hangs\n", m_seed);
                std::abort();
            }
        }
    }
    std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    bool m_armed = false;
    uint32_t m_seed = 0;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};

struct Tally {
    long sessions = 0, edits = 0, syncs = 0, syncsFailed = 0, reads = 0, readsFailed = 0,
         retries = 0, restores = 0, faultsArmed = 0;
};

class SoakSession {
  public:
    SoakSession(uint32_t seed, Tally& tally) : m_random(seed), m_tally(tally) {}

    void Run() {
        FrameImageOptions options;
        options.flashKb = 320 + 64 * Pick(0, 3);
        size_t room = options.flashKb * 1024 - options.indexAddress - 4096;
        for (int i = Pick(0, 5); i > 0; --i) {
            auto stream = NewStream();
            if (stream.size() > room) break;
            room -= stream.size();
            m_frame.streams.push_back(std::move(stream));
        }
        CreateFrameWith(m_dir / "frame.img", options, m_frame.streams);
        m_album = m_frame;
        Open();
        MaybeArm();
        if (!m_session->AttachAndRead()) RecoverRead();
        ExpectAlbumRead();
        for (int step = Pick(6, 14); step > 0 && !::testing::Test::HasFatalFailure(); --step) {
            MaybeArm();
            const int op = Pick(0, 9);
            if (op < 3)
                Add();
            else if (op < 4)
                Delete();
            else if (op < 5)
                Move();
            else if (op < 9)
                Synchronize();
            else
                ReadAgain();
        }
        if (::testing::Test::HasFatalFailure()) return;
        // The album left on the PC goes to the frame, and a new run reads exactly that back.
        Calm();
        if (m_session->State().m_bModified) {
            ASSERT_TRUE(m_session->Synchronize()) << m_fe.LastStatus();
            m_frame = m_album;
        }
        EXPECT_EQ(HeldStreams(Frame().Flash(), 0x30000), m_album.streams);
        m_session.reset();
        Open();
        ASSERT_TRUE(m_session->AttachAndRead()) << m_fe.LastStatus();
        EXPECT_EQ(m_session->List().ItemCount(), static_cast<int>(m_album.streams.size()));
        EXPECT_EQ(m_session->LastRecovery(), RecoveryOutcome::None);
        ++m_tally.sessions;
    }

  private:
    void Note(const std::string& what) {
        if (std::getenv("FRAMEWISE_SOAK_VERBOSE"))
            std::printf("  %s (commands so far %llu)\n", what.c_str(),
                        static_cast<unsigned long long>(Frame().TotalCommands()));
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    SimulatedFrame& Frame() { return *m_session->Simulated(); }

    std::vector<uint8_t> NewStream() {
        return NoisyStream(128, 128, static_cast<uint32_t>(m_random()), Pick(0, 230), Pick(50, 95));
    }

    void Open() {
        m_session = std::make_unique<FrameSession>(m_fe);
        FrameSessionOptions options;
        options.workRoot = m_dir / ("work" + std::to_string(m_opened++));
        options.simulateImage = m_dir / "frame.img";
        options.dataFolder = fs::path(FRAMEWISE_SOURCE_DIR) / "data";
        options.backupRoot = m_dir / "backups";
        std::string error;
        ASSERT_TRUE(m_session->Open(options, error)) << error;
        Frame().SetBusyPolls(Pick(0, 2));
        // Long enough for a busy flash on a loaded machine, short enough for a frame pulled out.
        m_session->Commands().SetWaitReadyLimit(std::chrono::milliseconds(500));
    }

    // One fault of a random kind somewhere in the next forty commands, now and then; one
    // at a time, as faults are rare and independent: a flipped bit and a verify value off by
    // the same amount in one transfer would cancel out in the 16-bit sum that checks it.
    void MaybeArm() {
        if (Pick(0, 9) >= 4) return;
        Frame().ClearFaults();
        const int at = Pick(1, 40);
        const int kind = Pick(0, 4);
        Note("fault " + std::to_string(kind) + " at +" + std::to_string(at));
        Frame().InjectFault(kKinds[kind], static_cast<uint64_t>(at));
        ++m_tally.faultsArmed;
    }

    // The frame back in and no faults left: what a user's retry meets.
    void Calm() {
        Frame().ClearFaults();
        if (!Frame().IsPlugged()) Frame().Plug();
    }

    void ExpectAlbumRead() {
        ASSERT_TRUE(m_session->State().m_bAlbumRead);
        ASSERT_EQ(m_session->List().ItemCount(), static_cast<int>(m_frame.streams.size()));
        m_album = m_frame;
    }

    // A read that failed: the frame plugged back in, attached and read again.
    void RecoverRead() {
        ++m_tally.readsFailed;
        Calm();
        ASSERT_TRUE(m_session->Arrive());
        ASSERT_TRUE(m_session->ReadAlbum()) << m_fe.LastStatus();
    }

    void Add() {
        const auto stream = NewStream();
        if (!AddPicture(*m_session, stream)) return;
        m_album.streams.push_back(stream);
        Note("add " + std::to_string(stream.size()));
        ++m_tally.edits;
    }

    void Delete() {
        const int n = static_cast<int>(m_album.streams.size());
        if (n == 0) return;
        const int index = Pick(0, n - 1);
        ASSERT_TRUE(DeletePicture(*m_session, m_fe, index));
        m_album.streams.erase(m_album.streams.begin() + index);
        Note("delete " + std::to_string(index));
        ++m_tally.edits;
    }

    void Move() {
        const int n = static_cast<int>(m_album.streams.size());
        if (n < 2) return;
        const int index = Pick(0, n - 2);
        ASSERT_TRUE(MovePicture(*m_session, m_fe, index + 1, true));
        std::swap(m_album.streams[static_cast<size_t>(index)],
                  m_album.streams[static_cast<size_t>(index + 1)]);
        Note("move up " + std::to_string(index + 1));
        ++m_tally.edits;
    }

    void Synchronize() {
        if (!m_session->State().m_bModified) return;
        Note("synchronize");
        ++m_tally.syncs;
        if (m_session->Synchronize()) {
            EXPECT_EQ(HeldStreams(Frame().Flash(), 0x30000), m_album.streams);
            m_frame = m_album;
            return;
        }
        ++m_tally.syncsFailed;
        // Retried in this run (perhaps failing again), or put back by the next run.
        for (int attempt = 0;; ++attempt) {
            if (Pick(0, 1) == 0) {
                RestoreInNextRun();
                return;
            }
            ++m_tally.retries;
            Calm();
            if (attempt < 2) MaybeArm();
            if (m_session->Synchronize()) {
                EXPECT_EQ(HeldStreams(Frame().Flash(), 0x30000), m_album.streams);
                m_frame = m_album;
                return;
            }
            ASSERT_LT(attempt, 2) << "a synchronize without faults failed: " << m_fe.LastStatus();
        }
    }

    // The run ends with the synchronize cut short; the next one is offered the backup taken
    // before the first failed write and reads the album the frame held then. Faults may cut
    // that run short too (the restore included): the one after it takes over.
    void RestoreInNextRun() {
        Calm();
        const DeviceInfo info = m_session->Connection().Info();
        const fs::path backups = m_dir / "backups";
        const bool unfinished = ReadSyncJournal(backups, info).has_value();
        bool restored = false;
        for (int run = 0;; ++run) {
            m_session.reset();
            Open();
            if (run < 2) MaybeArm();
            const bool read = m_session->AttachAndRead();
            restored = restored || m_session->LastRecovery() == RecoveryOutcome::Restored;
            if (read && !ReadSyncJournal(backups, info)) break;
            ASSERT_LT(run, 2) << "a run without faults did not recover: " << m_fe.LastStatus();
            Calm();
        }
        EXPECT_TRUE(unfinished || !restored);
        if (restored) ++m_tally.restores;
        // Put back, or found whole: as it was, or (the cut came after the index block was
        // written) with the whole new album.
        const auto held = HeldStreams(Frame().Flash(), 0x30000);
        if (!restored && held == m_album.streams) m_frame = m_album;
        EXPECT_EQ(held, m_frame.streams);
        ExpectAlbumRead();
    }

    void ReadAgain() {
        Note("read again");
        ++m_tally.reads;
        if (!m_session->Arrive() || !m_session->ReadAlbum()) RecoverRead();
        ExpectAlbumRead();
    }

    std::mt19937 m_random;
    Tally& m_tally;
    TempDir m_dir;
    RecordingFrontend m_fe;  // answers every question Yes
    std::unique_ptr<FrameSession> m_session;
    int m_opened = 0;
    ExpectedAlbum m_album;  // what the user has edited
    ExpectedAlbum m_frame;  // what the frame holds when whole
};

TEST(FaultSoak, SeededSessionsOfEditsUnderRandomFaultsLoseNothing) {
    const long sessions = EnvNumber("FRAMEWISE_SOAK_SESSIONS", kSanitizedBuild ? 6 : 40);
    KeepTemporaryFilesInMemory();
    const long first = EnvNumber("FRAMEWISE_SOAK_SEED", 1);
    Tally tally;
    Watchdog watchdog(std::chrono::seconds(120));
    for (long i = 0; i < sessions; ++i) {
        const uint32_t seed = static_cast<uint32_t>(first + i);
        SCOPED_TRACE("seed " + std::to_string(seed) + " (FRAMEWISE_SOAK_SEED=" +
                     std::to_string(seed) + " FRAMEWISE_SOAK_SESSIONS=1 reruns it)");
        watchdog.Start(seed);
        SoakSession(seed, tally).Run();
        if (::testing::Test::HasFailure()) break;
    }
    std::printf(
        "[ soak     ] %ld sessions: %ld edits, %ld synchronizes (%ld failed, %ld retries, %ld "
        "restores), %ld reads (%ld failed), %ld faults armed\n",
        tally.sessions, tally.edits, tally.syncs, tally.syncsFailed, tally.retries, tally.restores,
        tally.reads, tally.readsFailed, tally.faultsArmed);
}

}  // namespace
}  // namespace framewise::test
