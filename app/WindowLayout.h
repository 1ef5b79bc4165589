// The main window's geometry as one pure function of the screen: the window rectangle and
// the 24 control rectangles of the 860 x 630 design canvas, scaled below 1024 pixels.
#pragma once

#include <QRect>
#include <QSize>

#include <array>

namespace framewise {

// The design canvas; also the size the window is built at and opens to.
inline constexpr int kCanvasWidth = 860;
inline constexpr int kCanvasHeight = 630;

struct ControlRect {
    int id;      // a ControlId
    QRect rect;  // client coordinates
};

inline constexpr int kLaidOutControls = 24;

struct WindowGeometry {
    QRect window;  // outer position and client size
    std::array<ControlRect, kLaidOutControls> controls;
    int previewTop = 0;  // top of the preview group (1020) after the move
    float sx = 1.0f;
    float sy = 1.0f;
    bool scaled = false;  // the screen is narrower than 1024 pixels

    QRect Of(int id) const;  // an empty rectangle for an id that is not laid out
};

// The design rectangles in the order the controls are moved.
const std::array<ControlRect, kLaidOutControls>& DesignRects();

// screen: the primary screen's size; desktop: the desktop's size (the same on X11 and
// Wayland); window: the window's size before the layout (the design size).
WindowGeometry ComputeLayout(QSize screen, QSize desktop, QSize window = {kCanvasWidth,
                                                                        kCanvasHeight});

}  // namespace framewise
