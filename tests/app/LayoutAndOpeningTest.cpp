// The window's geometry on each kind of screen, and the opening animation against window
// managers that grant or refuse sizes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "app/OpeningAnimation.h"
#include "app/WindowLayout.h"
#include "config/ControlIds.h"

namespace framewise {
namespace {

struct LayoutRow {
    const char* name;
    QSize screen;
    QRect window;
    QRect albumList;  // empty: the design rectangle
};

TEST(WindowLayout, PlacesTheWindowAndItsControlsForEachScreen) {
    const LayoutRow rows[] = {
        {"1024x768 uses the canvas as designed", {1024, 768}, {82, 69, 860, 630}, {}},
        {"1280x1024 centres the canvas", {1280, 1024}, {210, 197, 860, 630}, {}},
        // 860 x sx truncates just below 800; the desktop is narrower than the window.
        {"800x600 stretches to the screen at 0,0", {800, 600}, {0, 0, 799, 600},
         {546, 93, 228, 364}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const WindowGeometry g = ComputeLayout(row.screen, row.screen);
        EXPECT_EQ(g.window, row.window);
        if (row.albumList.isEmpty()) {
            for (const auto& c : DesignRects()) EXPECT_EQ(g.Of(c.id), c.rect) << c.id;
        } else {
            EXPECT_EQ(g.Of(kIdAlbumList), row.albumList);
        }
        EXPECT_EQ(g.previewTop, g.Of(kIdPreviewGroup).y());
    }

    // Every control of the table is laid out once, and every one stays inside the window.
    const WindowGeometry small = ComputeLayout({640, 480}, {640, 480});
    std::set<int> ids;
    for (const auto& c : small.controls) {
        ids.insert(c.id);
        EXPECT_TRUE(QRect(QPoint(0, 0), small.window.size()).contains(c.rect)) << c.id;
    }
    EXPECT_EQ(ids.size(), 24u);
}

TEST(WindowLayout, OriginRuleOnNarrowScreens) {
    // Below 1024 the origin is the centred one while the desktop is wider than the window...
    EXPECT_EQ(ComputeLayout({900, 700}, {900, 700}).window.topLeft(), QPoint(20, 35));
    // ...and (0,0) once the desktop is narrower than the window being laid out.
    EXPECT_EQ(ComputeLayout({900, 700}, {850, 700}).window.topLeft(), QPoint(0, 0));
    // At 1024 and above the centred origin is used whatever it is.
    EXPECT_EQ(ComputeLayout({1024, 768}, {1024, 768}, {1100, 700}).window.topLeft(),
              QPoint(-38, 34));
}

// Runs an animation against a window manager that answers each requested size.
template <typename Grant>
std::vector<QRect> RunAnimation(OpeningAnimation& a, Grant grant) {
    std::vector<QRect> moves;
    QSize measured = a.Start().size();
    for (int guard = 0; guard < 10000 && !a.Finished(); ++guard) {
        const QRect next = a.Tick(measured);
        moves.push_back(next);
        measured = grant(next.size());
    }
    return moves;
}

TEST(OpeningAnimation, GrowsCentredToFullSizeAndStopsEvenWhenSizesAreRefused) {
    const QSize target(860, 630), desktop(1024, 768);
    {
        OpeningAnimation a(target, desktop);
        EXPECT_EQ(a.Start(), QRect(82, 69, 0, 0));
        const auto moves = RunAnimation(a, [](QSize s) { return s; });
        ASSERT_TRUE(a.Finished());
        EXPECT_FALSE(a.GaveUp());
        // 86 steps of 10 pixels reach 860 wide; the tick after them sees the full size.
        EXPECT_EQ(a.Ticks(), 87);
        EXPECT_EQ(moves[0], QRect(507, 376, 10, 15));
        EXPECT_EQ(moves[41].size(), QSize(420, 630));  // the height is full after 42 steps
        EXPECT_EQ(moves.back(), QRect(82, 69, 860, 630));
        for (size_t i = 1; i < moves.size(); ++i) {
            EXPECT_GE(moves[i].width(), moves[i - 1].width());
            EXPECT_LE(moves[i].height(), 630);
            // Re-centred on every tick (integer halves may differ by one pixel).
            EXPECT_LE(std::abs(moves[i].center().x() - moves[0].center().x()), 1) << i;
            EXPECT_LE(std::abs(moves[i].center().y() - moves[0].center().y()), 1) << i;
        }
    }
    {
        // A window manager that never lets the window grow past 300 x 200.
        OpeningAnimation a(target, desktop);
        RunAnimation(a, [](QSize s) { return s.boundedTo(QSize(300, 200)); });
        EXPECT_TRUE(a.Finished());
        EXPECT_TRUE(a.GaveUp());
        EXPECT_EQ(a.Ticks(), a.TickBudget());
        EXPECT_EQ(a.Tick({300, 200}), QRect(82, 69, 860, 630));
    }
}

}  // namespace
}  // namespace framewise
