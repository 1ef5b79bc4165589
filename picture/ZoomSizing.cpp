#include "picture/ZoomSizing.h"

#include <algorithm>

namespace framewise {
namespace {

// other * numerator / denominator, truncated toward zero.
int Ratio(int other, int numerator, int denominator) {
    return int((long long)other * numerator / denominator);
}

ZoomAnswer SmallPicture(const ZoomQuery& q, int fw, int fh) {
    ZoomAnswer a;
    a.accepted = true;
    int w, h;
    bool in = true;
    if (q.zoomWidth == 0 || q.zoomHeight == 0) {
        w = fw;
        h = fh;
        a.canZoomOut = false;
        a.firstSizing = true;
    } else {
        w = q.zoomWidth + 20 * q.zoomDir;
        h = Ratio(w, fh, fw);
        a.canZoomOut = true;
        if (w < fw) {
            w = fw;
            a.canZoomOut = false;
        }
        if (h < fh) {
            h = fh;
            a.canZoomOut = false;
        }
    }
    if (w > q.availWidth) {
        w = q.availWidth;
        h = Ratio(w, fh, fw);
        in = false;
    }
    if (h > q.availHeight) {
        h = q.availHeight;
        w = Ratio(h, fw, fh);
        in = false;
    }
    a.width = w;
    a.height = h;
    a.canZoomIn = in;
    return a;
}

ZoomAnswer WidePicture(const ZoomQuery& q, int fw, int fh, bool big) {
    ZoomAnswer a;
    if (q.zoomWidth == 0) {
        int h = q.lcdHeight;
        int w = Ratio(h, fw, fh);
        if (w < q.lcdWidth) {
            w = q.lcdWidth;
            h = Ratio(w, fh, fw);
        }
        a.canZoomIn = true;
        a.canZoomOut = big;
        // A big picture that is wider than the area even at the LCD height is squeezed.
        if (big && w > q.availWidth) {
            w = q.availWidth;
            a.canZoomIn = false;
        }
        a.width = w;
        a.height = h;
        a.accepted = true;
        a.firstSizing = true;
        return a;
    }
    int w = q.zoomWidth + 20 * q.zoomDir;
    int h = Ratio(w, fh, fw);
    if (w < q.lcdWidth) {
        a.canZoomIn = true;
    } else if (h < q.lcdHeight) {
        a.canZoomIn = true;
        if (!big && w > q.lcdWidth) {
            h = q.lcdHeight;
            w = Ratio(h, fw, fh);
            a.accepted = true;
        }
    } else if (w > q.availWidth || h > q.availHeight) {
        a.canZoomOut = true;
    } else {
        a.accepted = a.canZoomIn = a.canZoomOut = true;
    }
    a.width = w;
    a.height = h;
    return a;
}

ZoomAnswer TallPicture(const ZoomQuery& q, int fw, int fh, bool big) {
    ZoomAnswer a;
    if (q.zoomWidth == 0) {
        int w = q.lcdWidth;
        int h = Ratio(w, fh, fw);
        a.canZoomIn = true;
        if (h >= q.availHeight - 20) {
            a.canZoomIn = false;
            if (h > q.availHeight) h = q.availHeight;  // squeezed vertically
        }
        a.width = w;
        a.height = h;
        a.accepted = true;
        a.firstSizing = true;
        return a;
    }
    int h = q.zoomHeight + 20 * q.zoomDir;
    int w = Ratio(h, fw, fh);
    if (w < q.lcdWidth || h < q.lcdHeight) {
        a.canZoomIn = true;
        if (!big && h > q.lcdHeight) {
            w = q.lcdWidth;
            h = Ratio(w, fh, fw);
            a.accepted = true;
        }
    } else if (w > q.availWidth || h > q.availHeight) {
        a.canZoomOut = true;
    } else {
        a.accepted = a.canZoomIn = a.canZoomOut = true;
    }
    a.width = w;
    a.height = h;
    return a;
}

}  // namespace

ZoomAnswer SizeZoomed(const ZoomQuery& q) {
    // A picture thinner than one pixel after fitting is still one pixel wide.
    const int fw = std::max(1, q.fitWidth);
    const int fh = std::max(1, q.fitHeight);
    if (fw <= q.lcdWidth || fh <= q.lcdHeight) return SmallPicture(q, fw, fh);
    const bool big = fw > q.availWidth || fh > q.availHeight;
    // A big square picture counts as tall.
    const bool wide = big ? fw > fh : fw >= fh;
    return wide ? WidePicture(q, fw, fh, big) : TallPicture(q, fw, fh, big);
}

}  // namespace framewise
