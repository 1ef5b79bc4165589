// The per-picture budget, the encode loop, the cut, and the quality label.
#include <gtest/gtest.h>

#include <vector>

#include "picture/AddMath.h"
#include "picture/QualityLabel.h"

namespace framewise {
namespace {

TEST(PerPictureBudget, EqualShareOfTheFreeFlash) {
    EXPECT_EQ(PerPictureBudget(2048, 300000, 196608, 100, 40), 26606);
    // Stored bytes are counted in whole KB, rounded up.
    EXPECT_EQ(PerPictureBudget(2048, 1024, 196608, 100, 40), ((2048 - 1 - 192 - 4) * 1024) / 60);
    EXPECT_EQ(PerPictureBudget(2048, 1025, 196608, 100, 40), ((2048 - 2 - 192 - 4) * 1024) / 60);
    EXPECT_FALSE(PerPictureBudget(2048, 0, 196608, 100, 100));  // no free number
}

TEST(EncodeWithinBudget, StepsTheQualityDownByTen) {
    std::vector<int> tried;
    auto tooBig = [&](int q) {
        tried.push_back(q);
        return std::optional<std::size_t>(100000);
    };
    BudgetedEncode never = EncodeWithinBudget(90, 100, 26606, tooBig);
    EXPECT_FALSE(never.accepted);
    EXPECT_EQ(never.message, "Can not add this picture!");
    EXPECT_EQ(tried, (std::vector<int>{90, 80, 70, 60, 50, 40, 30, 20, 10, 0}));

    // The first stream within the budget is taken.
    tried.clear();
    BudgetedEncode fits = EncodeWithinBudget(90, 100, 26606, [&](int q) {
        tried.push_back(q);
        return std::optional<std::size_t>(q > 50 ? 30000 : 20000);
    });
    EXPECT_TRUE(fits.accepted);
    EXPECT_EQ(fits.quality, 50);
    EXPECT_EQ(fits.size, 20000u);
    EXPECT_EQ(fits.attempts, 5);

    // Capacity 500 takes the first stream whatever its size.
    tried.clear();
    BudgetedEncode first = EncodeWithinBudget(90, 500, 10, tooBig);
    EXPECT_TRUE(first.accepted);
    EXPECT_EQ(first.quality, 90);
    EXPECT_EQ(tried, std::vector<int>{90});

    // A failed encode fails the Add at once.
    tried.clear();
    BudgetedEncode failed = EncodeWithinBudget(90, 500, 26606, [&](int q) {
        tried.push_back(q);
        return std::optional<std::size_t>();
    });
    EXPECT_FALSE(failed.accepted);
    EXPECT_EQ(failed.message, "Can not add this picture!");
    EXPECT_EQ(tried.size(), 1u);
}

TEST(CutPicture, TakesTheBlockInsideTheFrame) {
    QImage working(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) working.setPixel(x, y, qRgb(x, y, 7));
    const Point ptShow{100, 300};
    const Rect crop{100 + 29, 300 + 9, 100 + 29 + 130, 300 + 9 + 130};  // inside from (30, 10)
    EXPECT_EQ(CutOrigin(crop, ptShow), (Point{30, 10}));
    const QImage cut = CutPicture(working, {200, 150}, crop, ptShow, {128, 128}, Qt::gray);
    ASSERT_EQ(cut.size(), QSize(128, 128));
    EXPECT_EQ(cut.pixel(0, 0), working.pixel(30, 10));
    EXPECT_EQ(cut.pixel(127, 127), working.pixel(157, 137));

    // A picture smaller than the LCD: what lies off it is button face.
    const QImage small = CutPicture(working, {100, 75}, Rect{99, 299, 229, 429}, ptShow, {128, 128},
                                    QColor(1, 2, 3));
    EXPECT_EQ(small.pixelColor(127, 127), QColor(1, 2, 3));
    EXPECT_NE(small.pixelColor(0, 0), QColor(1, 2, 3));
}

TEST(QualityLabel, ValueAfterTheFirstColon) {
    EXPECT_EQ(QualityLabelText("Jpg Quality:", 75), "Jpg Quality:75");
    EXPECT_EQ(QualityLabelText("Jpg Quality:90", 75), "Jpg Quality:75");
    EXPECT_EQ(QualityLabelText("Q: a: b", 10), "Q:10");
    EXPECT_EQ(QualityLabelText("Quality", 100), "Quality:100");
    JpgQuality quality;
    EXPECT_EQ(quality.Value(), 90);
    quality.SetFromSlider(5);
    EXPECT_EQ(quality.m_nJpgQuality, 10);
    quality.SetFromSlider(101);
    EXPECT_EQ(quality.m_nJpgQuality, 100);
    quality.SetFromSlider(55);
    EXPECT_EQ(quality.m_nJpgQuality, 55);
}

}  // namespace
}  // namespace framewise
