#include "app/WindowLayout.h"

#include "config/ControlIds.h"

namespace framewise {

namespace {

// The scale factors are stored as 32-bit floats of these constants; the products are taken
// in double precision, as the x87 unit always took them, so that 860 x sx on an 800-pixel
// screen truncates to 799 (in float arithmetic it would round up to exactly 800).
constexpr float kPerWidth = 0.0011627907f;   // 1 / 860
constexpr float kPerHeight = 0.0015873016f;  // 1 / 630

constexpr std::array<ControlRect, kLaidOutControls> kDesign{{
    {kIdPreviewGroup, QRect(2, 230, 537, 326)},
    {kIdFolderTree, QRect(2, 6, 275, 222)},
    {kIdFolderPictureList, QRect(281, 6, 255, 222)},
    {kIdAlbumGroup, QRect(584, 11, 254, 543)},
    {kIdAlbumList, QRect(587, 98, 246, 383)},
    {kIdPictureTotal, QRect(651, 486, 123, 38)},
    {kIdProgress, QRect(585, 528, 248, 23)},
    {kIdConnection, QRect(540, 33, 45, 45)},
    {kIdZoomIn, QRect(543, 228, 38, 38)},
    {kIdRotateLeft, QRect(543, 344, 38, 38)},
    {kIdZoomOut, QRect(543, 266, 38, 38)},
    {kIdRotateRight, QRect(543, 383, 38, 38)},
    {kIdRect, QRect(543, 305, 38, 38)},
    {kIdAdd, QRect(543, 423, 38, 38)},
    {kIdMoveUp, QRect(597, 486, 38, 38)},
    {kIdMoveDown, QRect(789, 486, 38, 38)},
    {kIdSynchronize, QRect(585, 74, 123, 23)},
    {kIdSelectAll, QRect(585, 50, 123, 23)},
    {kIdDelete, QRect(710, 50, 123, 23)},
    {kIdSave, QRect(585, 27, 123, 23)},
    {kIdSaveAll, QRect(710, 27, 123, 23)},
    {kIdExit, QRect(710, 74, 123, 23)},
    {kIdQualityLabel, QRect(545, 93, 29, 14)},
    {kIdQualitySlider, QRect(540, 108, 33, 20)},
}};

int Scale(int value, float factor) {
    return static_cast<int>(static_cast<double>(value) * static_cast<double>(factor));
}

}  // namespace

const std::array<ControlRect, kLaidOutControls>& DesignRects() {
    return kDesign;
}

QRect WindowGeometry::Of(int id) const {
    for (const auto& c : controls)
        if (c.id == id) return c.rect;
    return {};
}

WindowGeometry ComputeLayout(QSize screen, QSize desktop, QSize window) {
    WindowGeometry g;
    g.controls = kDesign;
    const int x = (desktop.width() - window.width()) / 2;
    const int y = (desktop.height() - window.height()) / 2;
    g.sx = static_cast<float>(screen.width()) * kPerWidth;
    g.sy = static_cast<float>(screen.height()) * kPerHeight;
    g.scaled = screen.width() < 1024;
    if (g.scaled) {
        const bool narrow = desktop.width() < window.width();
        g.window = QRect(narrow ? 0 : x, narrow ? 0 : y, Scale(kCanvasWidth, g.sx),
                         Scale(kCanvasHeight, g.sy));
        for (auto& c : g.controls) {
            const QRect d = c.rect;
            c.rect = QRect(Scale(d.x(), g.sx), Scale(d.y(), g.sy), Scale(d.width(), g.sx),
                           Scale(d.height(), g.sy));
        }
    } else {
        g.window = QRect(x, y, kCanvasWidth, kCanvasHeight);
    }
    g.previewTop = g.Of(kIdPreviewGroup).y();
    return g;
}

}  // namespace framewise
