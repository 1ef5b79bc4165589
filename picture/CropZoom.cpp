#include "picture/CropZoom.h"

#include "config/Language.h"

namespace framewise {

Rect CentredCropFrame(const Rect& box, Size shown, Size lcd) {
    Rect frame;
    frame.left = box.left + (box.Width() - shown.width) / 2 + (shown.width - lcd.width) / 2 - 1;
    frame.right = frame.left + lcd.width + 2;
    frame.top = box.top + (box.Height() - shown.height) / 2 + (shown.height - lcd.height) / 2 - 1;
    frame.bottom = frame.top + lcd.height + 2;
    return frame;
}

bool CropFrameOnPicture(const Rect& frame, Point ptShow, Size shown) {
    return frame.left >= ptShow.x - 1 && frame.top >= ptShow.y - 1 &&
           frame.right <= ptShow.x + shown.width + 1 && frame.bottom <= ptShow.y + shown.height + 1;
}

ToggleOutcome CropZoom::ToggleCropRect(const CropGeometry& geometry, bool haveCanvas,
                                       bool batchAdding) {
    ToggleOutcome outcome;
    m_nZoomDir = 0;
    if (m_bCropNext) {
        outcome.caption = ButtonCaption{m_language.Tr("IDC_BUTTON_CLEARRECT", "Clear"),
                                        m_language.Tr("IDC_BUTTON_CLEARRECTTIPS", "Clear Rect")};
        m_rcCrop = CentredCropFrame(geometry.box, geometry.shown, geometry.lcd);
        m_rcCropHome = m_rcCrop;
        if (haveCanvas && !m_bCropOn) {
            outcome.invalidate = true;
            m_bCropOn = true;
            outcome.rebuild = true;
        }
        m_bCropNext = false;
    } else if (m_bCropOn) {
        outcome.caption = ButtonCaption{m_language.Tr("IDC_BUTTON_DRAWRECT", "Rect"),
                                        m_language.Tr("IDC_BUTTON_DRAWRECTTIPS", "Draw Rect")};
        m_rcCrop = m_rcCropHome;
        m_bCropOn = false;
        outcome.invalidate = true;
        // A batch shows each picture itself; redrawing here would add it twice.
        outcome.rebuild = haveCanvas && !batchAdding;
        m_bCropNext = true;
    }
    return outcome;
}

bool CropZoom::Zoom(int direction) {
    m_rcCrop = m_rcCropHome;
    m_nZoomDir = direction;
    m_fZoom += float(direction);
    return true;
}

bool CropZoom::ZoomIn(bool pictureLoaded, bool haveCanvas) {
    if (!pictureLoaded || m_bCropNext || !haveCanvas || !m_bCanZoomIn) return false;
    return Zoom(+1);
}

bool CropZoom::ZoomOut(bool pictureLoaded, bool haveCanvas) {
    if (!pictureLoaded || m_bCropNext || !haveCanvas || !m_bCanZoomOut) return false;
    return Zoom(-1);
}

Size CropZoom::SizeForRebuild(int fitWidth, int fitHeight, Size lcd, Size avail) {
    const ZoomAnswer a = SizeZoomed({fitWidth, fitHeight, lcd.width, lcd.height, avail.width,
                                     avail.height, m_nZoomWidth, m_nZoomHeight, m_nZoomDir});
    m_bCanZoomIn = a.canZoomIn;
    m_bCanZoomOut = a.canZoomOut;
    Size used{a.width, a.height};
    if (!a.accepted) {
        used = m_nZoomDir == -1 ? Size{m_nBaseWidth, m_nBaseHeight}
                                : Size{m_nZoomWidth, m_nZoomHeight};
    }
    if (a.firstSizing) {
        m_nBaseWidth = used.width;
        m_nBaseHeight = used.height;
    }
    m_nZoomWidth = used.width;
    m_nZoomHeight = used.height;
    return used;
}

void CropZoom::ResetZoom() {
    m_nZoomWidth = m_nZoomHeight = 0;
    m_nBaseWidth = m_nBaseHeight = 0;
    m_nZoomDir = 0;
}

void CropZoom::LeftButtonDown(Point p) {
    if (m_bCropOn && m_rcCrop.Contains(p)) {
        m_ptLast = p;
        m_bDragging = true;
    }
}

MoveOutcome CropZoom::MouseMove(Point p, const Rect& box, Point ptShow, Size shown) {
    MoveOutcome outcome;
    if (p.x > box.right || p.y > box.bottom || p.x <= 0 || p.y <= 0) m_bDragging = false;
    if (m_bCropOn) {
        outcome.capture =
            m_rcCrop.Contains(p) ? PointerCapture::TakeWithSizeAllCursor : PointerCapture::Release;
    }
    if (m_bDragging) {
        const int dx = p.x - m_ptLast.x;
        const int dy = p.y - m_ptLast.y;
        // The last point moves on even when the frame may not: a refused move is not
        // made up for later.
        m_ptLast = p;
        const Rect moved = m_rcCrop.Moved(dx, dy);
        if (CropFrameOnPicture(moved, ptShow, shown)) {
            m_rcCrop = moved;
            outcome.moved = true;
        }
    }
    return outcome;
}

}  // namespace framewise
