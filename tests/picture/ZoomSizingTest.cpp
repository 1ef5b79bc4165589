// The zoom sizing and the crop frame's toggle and drag rules.
#include <gtest/gtest.h>

#include "config/Language.h"
#include "picture/CropZoom.h"

namespace framewise {
namespace {

constexpr Size kAvail{511, 327};

// Runs the rebuild's sizing after a zoom command of direction dir (0 for the first sizing).
struct Zoomer {
    Language language;
    CropZoom crop{language};
    int fw, fh;
    Size lcd;

    Zoomer(int w, int h, Size l) : fw(w), fh(h), lcd(l) {
        crop.ResetZoom();
        crop.m_bCanZoomIn = true;
        crop.m_bCanZoomOut = false;
    }
    Size Step(int dir) {
        crop.m_nZoomDir = dir;
        return crop.SizeForRebuild(fw, fh, lcd, kAvail);
    }
};

TEST(SizeZoomed, BigWidePicture) {
    Zoomer z(512, 384, {128, 128});
    EXPECT_EQ(z.Step(0), (Size{170, 128}));
    EXPECT_TRUE(z.crop.m_bCanZoomOut);  // enabled after the load...
    EXPECT_TRUE(z.crop.m_bCanZoomIn);
    EXPECT_EQ(z.Step(-1), (Size{170, 128}));  // ...but refused, back to the base
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    EXPECT_EQ(z.Step(+1), (Size{190, 142}));
    EXPECT_TRUE(z.crop.m_bCanZoomOut);
    EXPECT_EQ(z.Step(+1), (Size{210, 157}));
    EXPECT_EQ(z.Step(+1), (Size{230, 172}));
    EXPECT_EQ(z.Step(-1), (Size{210, 157}));
    EXPECT_EQ(z.Step(-1), (Size{190, 142}));
    // 170 x 127 is lower than the LCD: refused, the base comes back and zoom out stops.
    EXPECT_EQ(z.Step(-1), (Size{170, 128}));
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    EXPECT_TRUE(z.crop.m_bCanZoomIn);
}

TEST(SizeZoomed, FittingWidePicture) {
    Zoomer z(400, 300, {128, 128});
    EXPECT_EQ(z.Step(0), (Size{170, 128}));
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    EXPECT_TRUE(z.crop.m_bCanZoomIn);
    EXPECT_EQ(z.Step(+1), (Size{190, 142}));
    // Height 127 is raised to the LCD height, the width follows.
    EXPECT_EQ(z.Step(-1), (Size{170, 128}));
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
}

TEST(SizeZoomed, SmallPicture) {
    Zoomer z(100, 80, {128, 128});
    EXPECT_EQ(z.Step(0), (Size{100, 80}));
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    EXPECT_EQ(z.Step(+1), (Size{120, 96}));
    EXPECT_TRUE(z.crop.m_bCanZoomOut);
    EXPECT_EQ(z.Step(-1), (Size{100, 80}));
    EXPECT_EQ(z.Step(-1), (Size{100, 80}));  // never below the fitted size
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    // Growing stops at the available area, the ratio kept.
    Zoomer wide(120, 20, {128, 128});
    wide.Step(0);
    for (int i = 0; i < 30; ++i) wide.Step(+1);
    EXPECT_EQ(wide.crop.m_nZoomWidth, 511);
    EXPECT_EQ(wide.crop.m_nZoomHeight, 85);
    EXPECT_FALSE(wide.crop.m_bCanZoomIn);
}

TEST(SizeZoomed, BigTallPicture) {
    Zoomer z(384, 512, {128, 160});
    EXPECT_EQ(z.Step(0), (Size{128, 170}));
    EXPECT_FALSE(z.crop.m_bCanZoomOut);
    EXPECT_EQ(z.Step(+1), (Size{142, 190}));
    EXPECT_EQ(z.Step(+1), (Size{157, 210}));
    Size last;
    for (int i = 0; i < 5; ++i) last = z.Step(+1);
    EXPECT_EQ(last, (Size{232, 310}));
    EXPECT_TRUE(z.crop.m_bCanZoomIn);
    EXPECT_EQ(z.Step(+1), (Size{232, 310}));  // 330 is above the area: refused, size kept
    EXPECT_FALSE(z.crop.m_bCanZoomIn);
    EXPECT_TRUE(z.crop.m_bCanZoomOut);
}

TEST(SizeZoomed, EdgeBranches) {
    // A big square picture counts as tall; a fitting square one as wide.
    EXPECT_EQ(SizeZoomed({512, 512, 128, 128, 511, 327, 0, 0, 0}).width, 128);
    EXPECT_EQ(SizeZoomed({512, 512, 128, 128, 511, 327, 0, 0, 0}).height, 128);
    // Big and wide enough to be squeezed sideways at the LCD height.
    ZoomAnswer squeezed = SizeZoomed({512, 130, 128, 128, 300, 327, 0, 0, 0});
    EXPECT_EQ(squeezed.width, 300);
    EXPECT_EQ(squeezed.height, 128);
    EXPECT_FALSE(squeezed.canZoomIn);
    // Tall and higher than the area at the LCD width: squeezed vertically.
    ZoomAnswer tall = SizeZoomed({200, 512, 128, 128, 511, 300, 0, 0, 0});
    EXPECT_EQ(tall.width, 128);
    EXPECT_EQ(tall.height, 300);
    EXPECT_FALSE(tall.canZoomIn);
    // A fitted side of 0 does not divide by zero.
    EXPECT_TRUE(SizeZoomed({0, 300, 128, 128, 511, 327, 5, 300, 1}).accepted);
}

TEST(CropFrame, ToggleKeepsZoomAndReportsCaptions) {
    Language language;
    CropZoom crop(language);
    const CropGeometry g{{2, 230, 539, 556}, {172, 128}, {128, 128}};
    crop.m_bCropNext = true;
    ToggleOutcome on = crop.ToggleCropRect(g, true, false);
    ASSERT_TRUE(on.caption);
    EXPECT_EQ(*on.caption, (ButtonCaption{"Clear", "Clear Rect"}));
    EXPECT_TRUE(on.rebuild);
    EXPECT_TRUE(crop.m_bCropOn);
    EXPECT_EQ(crop.m_rcCrop, (Rect{205, 328, 335, 458}));
    EXPECT_EQ(crop.m_rcCropHome, crop.m_rcCrop);

    crop.m_nZoomWidth = 190;
    crop.m_nZoomHeight = 142;
    crop.m_rcCrop = crop.m_rcCrop.Moved(5, 0);
    ToggleOutcome off = crop.ToggleCropRect(g, true, true);
    EXPECT_EQ(*off.caption, (ButtonCaption{"Rect", "Draw Rect"}));
    EXPECT_FALSE(off.rebuild);  // not during a batch
    EXPECT_FALSE(crop.m_bCropOn);
    EXPECT_TRUE(crop.m_bCropNext);
    EXPECT_EQ(crop.m_rcCrop, crop.m_rcCropHome);
    EXPECT_EQ(crop.m_nZoomWidth, 190);

    // Neither on nor due: nothing happens.
    crop.m_bCropNext = false;
    EXPECT_FALSE(crop.ToggleCropRect(g, true, false).caption);
}

TEST(CropFrame, DragStaysOnThePictureAndDoesNotCatchUp) {
    Language language;
    CropZoom crop(language);
    const Rect box{2, 230, 539, 556};
    const Size shown{172, 128};
    const Point ptShow{184, 329};
    crop.m_bCropOn = true;
    crop.m_rcCrop = {205, 328, 335, 458};

    crop.LeftButtonDown({150, 400});  // outside the frame
    EXPECT_FALSE(crop.m_bDragging);
    crop.LeftButtonDown({250, 400});
    ASSERT_TRUE(crop.m_bDragging);
    EXPECT_EQ(crop.MouseMove({250, 400}, box, ptShow, shown).capture,
              PointerCapture::TakeWithSizeAllCursor);

    for (int x = 249; x >= 200; --x) crop.MouseMove({x, 400}, box, ptShow, shown);
    EXPECT_EQ(crop.m_rcCrop.left, ptShow.x - 1);  // stopped one pixel left of the picture
    MoveOutcome back = crop.MouseMove({201, 400}, box, ptShow, shown);
    EXPECT_TRUE(back.moved);
    EXPECT_EQ(crop.m_rcCrop.left, ptShow.x);  // back at once

    // The frame already touches the top and bottom: a move with any vertical part is refused.
    EXPECT_FALSE(crop.MouseMove({205, 401}, box, ptShow, shown).moved);
    EXPECT_EQ(crop.m_rcCrop.top, 328);
    // Right bound: the inside ends on the picture's last column.
    for (int x = 206; x <= 300; ++x) crop.MouseMove({x, 401}, box, ptShow, shown);
    EXPECT_EQ(crop.m_rcCrop.right, ptShow.x + shown.width + 1);

    // Leaving the box below ends the drag; the button going up as well.
    crop.MouseMove({300, 557}, box, ptShow, shown);
    EXPECT_FALSE(crop.m_bDragging);
    crop.LeftButtonDown({crop.m_rcCrop.left + 1, 400});
    crop.MouseMove({0, 400}, box, ptShow, shown);
    EXPECT_FALSE(crop.m_bDragging);
    EXPECT_EQ(crop.MouseMove({5, 5}, box, ptShow, shown).capture, PointerCapture::Release);
}

}  // namespace
}  // namespace framewise
