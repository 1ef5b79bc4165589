// The zoom sizing: the size at which the picture is shown under the crop frame, from its
// fitted size, the LCD, the available area, the current size and the zoom direction.
#pragma once

namespace framewise {

struct ZoomQuery {
    int fitWidth = 0;     // fw: truncated fitted width of the working picture
    int fitHeight = 0;    // fh
    int lcdWidth = 0;     // Lw
    int lcdHeight = 0;    // Lh
    int availWidth = 0;   // Aw: preview box width - 26
    int availHeight = 0;  // Ah: preview box height - 26
    int zoomWidth = 0;    // cw: size of the last sizing, 0 when not yet sized
    int zoomHeight = 0;   // ch
    int zoomDir = 0;      // d: +1 zoom in, -1 zoom out, 0 otherwise
};

struct ZoomAnswer {
    int width = 0;
    int height = 0;
    bool accepted = false;
    bool canZoomIn = false;    // new m_bCanZoomIn
    bool canZoomOut = false;   // new m_bCanZoomOut
    bool firstSizing = false;  // the size is the base (smallest) size of this picture
};

// SizeZoomed. A zoom step moves the width by 20 for small and wide pictures and the height by
// 20 for tall ones; an LCD-sized or bigger picture never gets smaller than the LCD nor bigger
// than the available area. A side kept in ratio is other side * this fitted side / other
// fitted side, truncated; fitted sides of 0 count as 1.
ZoomAnswer SizeZoomed(const ZoomQuery& query);

}  // namespace framewise
