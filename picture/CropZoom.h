// The crop frame over the preview with its zoom state: the Rect/Clear toggle, the zoom
// commands, the sizing each rebuild asks for, and dragging the frame with the pointer.
#pragma once

#include <optional>
#include <string>

#include "picture/Geometry.h"
#include "picture/ZoomSizing.h"

namespace framewise {

class Language;

// The Rect/Clear button's caption and tooltip after a toggle.
struct ButtonCaption {
    std::string text;
    std::string tooltip;
    bool operator==(const ButtonCaption&) const = default;
};

// What a toggle asks of its caller.
struct ToggleOutcome {
    std::optional<ButtonCaption> caption;  // set when the mode changed hands
    bool invalidate = false;               // InvalidatePreview
    bool rebuild = false;                  // send "PaintFromOriginPic"
};

// What the geometry of the preview is at the moment of a command.
struct CropGeometry {
    Rect box;    // preview group box, client coordinates
    Size shown;  // m_nShowWidth x m_nShowHeight of the last rebuild
    Size lcd;    // device LCD size
};

// Pointer capture over the frame as the mouse moves.
enum class PointerCapture { Unchanged, TakeWithSizeAllCursor, Release };

struct MoveOutcome {
    PointerCapture capture = PointerCapture::Unchanged;
    bool moved = false;  // the frame moved: post "paintfromforcutbmp"
};

// The centred crop frame: its inside, LCD-sized, centred on a picture of the shown size
// centred in the box. Each halving truncates toward zero on its own.
Rect CentredCropFrame(const Rect& box, Size shown, Size lcd);

// Whether a frame may stand at frame: its inside must stay on the shown picture.
bool CropFrameOnPicture(const Rect& frame, Point ptShow, Size shown);

class CropZoom {
  public:
    explicit CropZoom(const Language& language) : m_language(language) {}

    // ToggleCropRect. haveCanvas: the canvas has been rebuilt at least once.
    ToggleOutcome ToggleCropRect(const CropGeometry& geometry, bool haveCanvas, bool batchAdding);

    // ZoomIn / ZoomOut: true when the command ran and the canvas must be rebuilt.
    bool ZoomIn(bool pictureLoaded, bool haveCanvas);
    bool ZoomOut(bool pictureLoaded, bool haveCanvas);

    // The size a rebuild with the frame on shows (before the width alignment), with the
    // fallbacks for a refused size; updates the zoom size, base and the zoom flags.
    Size SizeForRebuild(int fitWidth, int fitHeight, Size lcd, Size avail);

    // A load or a rotation: not yet sized.
    void ResetZoom();

    // Dragging, positions in client coordinates.
    void LeftButtonDown(Point p);
    MoveOutcome MouseMove(Point p, const Rect& box, Point ptShow, Size shown);
    void LeftButtonUp() { m_bDragging = false; }

    // The window state of the frame and zoom, by their names.
    Rect m_rcCrop;
    Rect m_rcCropHome;
    bool m_bCropOn = false;
    bool m_bCropNext = false;
    float m_fZoom = 0.0f;
    int m_nZoomDir = 0;
    int m_nZoomWidth = 0;
    int m_nZoomHeight = 0;
    int m_nBaseWidth = 0;
    int m_nBaseHeight = 0;
    bool m_bCanZoomIn = false;
    bool m_bCanZoomOut = false;
    bool m_bDragging = false;
    Point m_ptLast;

  private:
    bool Zoom(int direction);

    const Language& m_language;
};

}  // namespace framewise
