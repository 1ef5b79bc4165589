// The window's decisions in plain code: which reasons disable which controls, what a close
// request does in each state, which drops are taken, the command line, the save filter.
#include <gtest/gtest.h>

#include <QFile>
#include <QUrl>

#include <fstream>

#include "TempDir.h"
#include "app/AppOptions.h"
#include "app/CloseRequest.h"
#include "app/ControlEnabling.h"
#include "app/Dialogs.h"
#include "app/DropCollector.h"
#include "app/WindowEvents.h"
#include "config/AppState.h"
#include "config/ControlIds.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"

namespace framewise {
namespace {

TEST(ControlEnabling, OneReasonEndingLeavesWhatAnotherHoldsDisabled) {
    ControlEnabling e;
    for (int id : kCommandControls) EXPECT_TRUE(e.Enabled(id));

    // A thumbnail run and then a transfer; the transfer ends first.
    EXPECT_TRUE(e.Set(DisableReason::Thumbnails, true));
    EXPECT_FALSE(e.Enabled(kIdFolderTree));
    EXPECT_TRUE(e.Enabled(kIdAlbumList));
    e.Set(DisableReason::Transfer, true);
    for (int id : kCommandControls) EXPECT_FALSE(e.Enabled(id)) << id;
    e.Set(DisableReason::Transfer, false);
    EXPECT_FALSE(e.Enabled(kIdFolderTree));
    EXPECT_FALSE(e.Enabled(kIdFolderPictureList));
    EXPECT_TRUE(e.Enabled(kIdAlbumList));
    EXPECT_TRUE(e.Enabled(kIdSynchronize));
    e.Set(DisableReason::Thumbnails, false);
    EXPECT_TRUE(e.Enabled(kIdFolderTree));

    // A move holds its button while a batch starts and ends.
    e.Set(DisableReason::MovingUp, true);
    e.Set(DisableReason::Batch, true);
    e.Set(DisableReason::Batch, false);
    EXPECT_FALSE(e.Enabled(kIdMoveUp));
    EXPECT_TRUE(e.Enabled(kIdMoveDown));
    e.Set(DisableReason::MovingUp, false);

    // After a batch the zoom and rotate buttons wait for a single picture.
    e.Set(DisableReason::PictureTools, true);
    EXPECT_FALSE(e.Enabled(kIdZoomIn));
    EXPECT_FALSE(e.Enabled(kIdRotateRight));
    EXPECT_TRUE(e.Enabled(kIdAdd));

    // Exit and the quality slider are never disabled; setting a held reason again changes
    // nothing.
    e.Set(DisableReason::NoAlbum, true);
    EXPECT_TRUE(e.Enabled(kIdExit));
    EXPECT_TRUE(e.Enabled(kIdQualitySlider));
    EXPECT_FALSE(e.Set(DisableReason::NoAlbum, true));
    ASSERT_EQ(e.States().size(), 16u);
    EXPECT_EQ(e.States().front().first, kIdFolderTree);
    EXPECT_EQ(e.States().back().first, kIdMoveDown);
}

struct CloseRow {
    const char* name;
    bool ready, reading, readStopped, batch, modified;
    CloseStep step;
};

TEST(CloseRequest, EachStateLeadsToItsStep) {
    const CloseRow rows[] = {
        {"batch running", true, false, false, true, true, CloseStep::Ignore},
        {"reading", false, true, false, false, false, CloseStep::RefuseRead},
        {"synchronizing", false, false, false, false, true, CloseStep::AskStopSync},
        {"read stopped on an error", false, false, true, false, false, CloseStep::AskExit},
        {"idle", true, false, false, false, false, CloseStep::AskExit},
    };
    for (const auto& r : rows) {
        AppState s;
        s.m_bReady = r.ready;
        s.m_bReading = r.reading;
        s.m_bReadStopped = r.readStopped;
        s.m_bBatchAdding = r.batch;
        s.m_bModified = r.modified;
        EXPECT_EQ(DecideClose(s), r.step) << r.name;
    }
}

TEST(CloseRequest, AsksTheRightQuestionAndNoKeepsEverything) {
    const Language language;  // no file: the English texts
    {
        AppState s;
        s.m_bBatchAdding = true;
        RecordingFrontend fe;
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stay);
        EXPECT_TRUE(fe.Entries().empty());
    }
    {
        AppState s;
        s.m_bReady = false;
        s.m_bReading = true;
        RecordingFrontend fe;
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stay);
        EXPECT_EQ(fe.Messages(),
                  std::vector<std::string>{"Sending data, Please operate after sending finished!"});
        EXPECT_FALSE(s.m_bQuitPending);
    }
    {
        AppState s;
        s.m_bReady = false;
        s.m_bModified = true;
        RecordingFrontend fe;
        fe.QueueYesNo(false);
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stay);
        EXPECT_EQ(fe.Questions(), std::vector<std::string>{"Stop download and quit?"});
        EXPECT_FALSE(s.m_bQuitPending);
        fe.QueueYesNo(true);
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stopping);
        EXPECT_TRUE(s.m_bQuitPending);
        EXPECT_TRUE(QuitAfterTransfer(s));
        EXPECT_EQ(fe.LastStatus(), "Stopping……");
    }
    {
        // The synchronize ends while the question is open: nothing is left to stop.
        AppState s;
        s.m_bReady = false;
        struct EndsWhileAsking : RecordingFrontend {
            AppState* state = nullptr;
            bool AskYesNo(const std::string& text) override {
                state->m_bReady = true;
                return RecordingFrontend::AskYesNo(text);
            }
        } fe;
        fe.state = &s;
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stay);
        EXPECT_FALSE(s.m_bQuitPending);
    }
    for (bool modified : {true, false}) {
        AppState s;
        s.m_bModified = modified;
        RecordingFrontend fe;
        fe.QueueYesNo(false);
        fe.QueueYesNo(true);
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Stay);
        EXPECT_EQ(s.m_bModified.load(), modified);
        EXPECT_EQ(HandleCloseRequest(s, language, fe), CloseOutcome::Quit);
        const std::string question = fe.Questions().front();
        EXPECT_EQ(question.rfind(modified ? "The pictures in the Preview Album are not "
                                          : "Really want to quit?",
                                 0),
                  0u)
            << question;
    }
}

TEST(DropCollector, TakesAtMost125ItemsOnlyWhileReadyAttachedAndIdle) {
    test::TempDir dir;
    QList<QUrl> urls;
    for (int i = 0; i < 200; ++i) {
        const auto path = dir / ("Photo" + std::to_string(1000 + i) + ".JPG");
        std::ofstream(path) << "x";
        urls << QUrl::fromLocalFile(QString::fromStdString(path.string()));
    }
    AppState s;
    s.m_bAttached = true;
    const auto queue = CollectDrop(s, urls);
    ASSERT_EQ(queue.size(), 125u);
    EXPECT_EQ(queue.front(), (dir / "Photo1000.JPG").string());  // the name as given
    EXPECT_EQ(queue.back(), (dir / "Photo1124.JPG").string());

    // A folder gives its pictures but not its subfolder's; other files and remote URLs none.
    const auto folder = dir / "Trip";
    std::filesystem::create_directories(folder / "Sub");
    std::ofstream(folder / "b.gif") << "x";
    std::ofstream(folder / "A.Jpeg") << "x";
    std::ofstream(folder / "notes.txt") << "x";
    std::ofstream(folder / "Sub" / "c.jpg") << "x";
    std::ofstream(dir / "notes.txt") << "x";
    const QList<QUrl> mixed{QUrl::fromLocalFile(QString::fromStdString(folder.string())),
                            QUrl::fromLocalFile(QString::fromStdString((dir / "notes.txt").string())),
                            QUrl(QStringLiteral("https://example.org/x.jpg"))};
    EXPECT_EQ(CollectDrop(s, mixed),
              (std::vector<std::string>{(folder / "A.Jpeg").string(), (folder / "b.gif").string()}));

    // Not taken while not attached, not ready, or batch adding.
    AppState detached;
    EXPECT_TRUE(CollectDrop(detached, urls).empty());
    s.m_bReady = false;
    EXPECT_TRUE(CollectDrop(s, urls).empty());
    s.m_bReady = true;
    s.m_bBatchAdding = true;
    EXPECT_TRUE(CollectDrop(s, urls).empty());
}

TEST(AppOptions, ParsesTheProgramsOptions) {
    using V = std::vector<std::string>;
    AppOptions o = ParseAppOptions(V{"--simulate", "f.img", "--work-root", "/w"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(o.simulateImage, std::filesystem::path("f.img"));
    EXPECT_EQ(o.workRoot, std::filesystem::path("/w"));
    EXPECT_TRUE(ParseAppOptions(V{"--simulate", "x", "--help"}).help);
    EXPECT_TRUE(ParseAppOptions(V{"--version", "--bogus"}).version);
    EXPECT_EQ(ParseAppOptions(V{"--simulate"}).error, "--simulate needs a value");
    EXPECT_EQ(ParseAppOptions(V{"--bogus"}).error, "unknown option --bogus");
    EXPECT_EQ(ParseAppOptions(V{"frame.img"}).error, "unexpected argument frame.img");

    // The simulated frame's testing aids: faults in order, the link's pace; both only with
    // --simulate.
    o = ParseAppOptions(V{"--sim-fault", "unplug@40", "--simulate", "f.img", "--sim-fault",
                          "fail-transfer@3", "--sim-link", "20000"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    ASSERT_EQ(o.simFaults.size(), 2u);
    EXPECT_EQ(o.simFaults[0], std::make_pair(SimFault::Unplug, uint64_t{40}));
    EXPECT_EQ(o.simFaults[1], std::make_pair(SimFault::FailTransfer, uint64_t{3}));
    ASSERT_TRUE(o.simLink.has_value());
    EXPECT_EQ(o.simLink->bytesPerSecond, 20000u);
    EXPECT_EQ(ParseAppOptions(V{"--simulate", "f", "--sim-link", "usb-full-speed"}).simLink->bytesPerSecond,
              SimulatedFrame::UsbFullSpeed().bytesPerSecond);
    for (const V& bad : {V{"--simulate", "f", "--sim-fault", "melt@1"},
                         V{"--simulate", "f", "--sim-fault", "unplug@0"},
                         V{"--simulate", "f", "--sim-link", "0"},
                         V{"--simulate", "f", "--sim-link", "fast"}, V{"--sim-fault", "unplug@1"},
                         V{"--sim-link", "usb-full-speed"}})
        EXPECT_FALSE(ParseAppOptions(bad).error.empty()) << bad[bad.size() - 1];
}

TEST(SaveFilter, TranslatesToQtFiltersAndCompletesBareNames) {
    const QStringList filters =
        TranslateSaveFilter(QStringLiteral("jpg files (*.JPG)|*.jpg|bmp files (*.BMP)|*.bmp||"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("jpg files (*.jpg *.JPG)"),
                                    QStringLiteral("bmp files (*.bmp *.BMP)")}));
    EXPECT_EQ(FilterForExtension(filters, QStringLiteral("BMP")), filters[1]);
    EXPECT_EQ(FilterForExtension(filters, QStringLiteral("png")), filters[0]);
    const QString bmp = filters[1];
    EXPECT_EQ(WithFilterSuffix(QStringLiteral("/d/photo"), bmp), QStringLiteral("/d/photo.bmp"));
    EXPECT_EQ(WithFilterSuffix(QStringLiteral("/d/photo"), filters[0]),
              QStringLiteral("/d/photo.jpg"));
    EXPECT_EQ(WithFilterSuffix(QStringLiteral("/d/photo.JPG"), bmp), QStringLiteral("/d/photo.JPG"));
    EXPECT_EQ(WithFilterSuffix(QStringLiteral("/d.x/photo"), bmp), QStringLiteral("/d.x/photo.bmp"));
}

TEST(EventTable, DeliversNamedEventsToTheirHandlerOnly) {
    EventTable table;
    std::vector<long> finished;
    table.On("FinishThread", [&](long w) { finished.push_back(w); });
    EXPECT_TRUE(table.Dispatch("FinishThread", 2));
    EXPECT_FALSE(table.Dispatch("ProcessFinish", 0));
    // A handler may replace itself while it runs.
    table.On("DPFAttach", [&](long) { table.On("DPFAttach", [&](long w) { finished.push_back(w); }); });
    table.Dispatch("DPFAttach", 5);
    table.Dispatch("DPFAttach", 7);
    EXPECT_EQ(finished, (std::vector<long>{2, 7}));
}

}  // namespace
}  // namespace framewise
