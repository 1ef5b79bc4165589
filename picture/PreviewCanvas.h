// The preview canvas as a model: loads a picture, keeps the working bitmap, works out the shown
// size and place, writes the frame image, and answers what the preview must draw.
#pragma once

#include <QColor>
#include <QImage>
#include <functional>
#include <optional>
#include <string>

#include "config/WorkPaths.h"
#include "picture/CropZoom.h"
#include "picture/DpfLoader.h"
#include "picture/Geometry.h"
#include "picture/Rotate.h"

namespace framewise {

class Frontend;
class Language;
struct AppState;

// Longer side of the working bitmap.
inline constexpr int kFitLimit = 512;
// The available area is the preview box less this much each way.
inline constexpr int kAvailMargin = 26;
// The preview group box (control 1020) as laid out on the 860 x 630 window.
inline constexpr Rect kPreviewBox{2, 230, 2 + 537, 230 + 326};

// The fitted size of a picture: the longer side brought down to 512, the ratio kept.
struct FitSize {
    double width = 0;
    double height = 0;
};
FitSize FitToLimit(int width, int height);

// The truncated fitted size; a picture fitted thinner than a pixel still keeps one.
Size TruncatedFit(const FitSize& fit);

// A picture file read and reduced to its working bitmap ahead of its load. The batch makes it
// on its worker, so that the window's thread, which shows and adds each picture, never waits on
// a decode; the canvas takes it for the next load of the same file, with the same result as
// reading the file there.
struct PreparedPicture {
    std::filesystem::path file;  // empty: nothing prepared
    bool ok = false;             // false: the file cannot be read as a picture
    FitSize fit;
    QImage working;  // the fitted picture at its truncated size
};
// Any thread. A device picture file is not prepared: it is decoded through the work files on
// the window's thread.
PreparedPicture PreparePicture(const std::filesystem::path& file);

// The width alignment: a width that is not a multiple of 4 is raised to one, and the height
// with it; a width that is one leaves both as they are.
Size AlignShownSize(Size shown);

// Where the shown picture's top-left pixel goes: centred in the box.
Point ShowPosition(const Rect& box, Size shown);

// The frame image: the working picture stretched to the shown size at (1, 1) in a picture two
// pixels wider and higher, ringed by the button-face colour.
QImage MakeFrameImage(const QImage& working, Size shown, QColor buttonFace);

// What a draw puts on the window.
struct DrawPlan {
    bool drawPicture = false;  // the frame image at `at`
    Point at;
    QImage picture;
    bool drawCrop = false;  // the dotted crop frame
    Rect crop;
};

class PreviewCanvas {
  public:
    PreviewCanvas(WorkPaths paths, const Language& language, Frontend& frontend,
                  const AppState& state);

    // Inputs from the device and the window.
    void SetLcdSize(Size lcd) { m_lcd = lcd; }
    void SetPreviewBox(const Rect& box) { m_box = box; }
    void SetButtonFace(QColor colour) { m_buttonFace = colour; }
    void SetDisplayDepth(int bitsPerPixel) { m_nDisplayDepth = bitsPerPixel; }
    void SetDpfDecoder(DecodeToBitmap decode) { m_decodeDpf = std::move(decode); }
    // Called after every completed rebuild, where the window's "PaintFromOriginPic" handler
    // draws the frame and a batch adds the picture just shown.
    void SetRebuiltHandler(std::function<void()> handler) { m_onRebuilt = std::move(handler); }
    // InvalidatePreview of the window.
    void SetInvalidateHandler(std::function<void()> handler) {
        m_onInvalidate = std::move(handler);
    }

    // The next load of prepared.file takes the prepared picture instead of reading the file;
    // any other load drops it.
    void SetPrepared(PreparedPicture prepared) { m_prepared = std::move(prepared); }

    // ShowPicture: true when the picture is loaded into the preview.
    bool ShowPicture(const std::string& path);
    // A folder-list click: the picture always comes up with the frame on.
    bool ShowFolderPicture(const std::string& path) {
        m_crop.m_bCropNext = false;
        return ShowPicture(path);
    }
    // The "PaintFromOriginPic" rebuild.
    void Rebuild();
    // The "paintfromforcutbmp" draw.
    DrawPlan Draw();

    // The picture commands.
    void ToggleCropRect();
    void ZoomIn();
    void ZoomOut();
    void RotateRight() { RotateBy(RotateDirection::Clockwise); }
    void RotateLeft() { RotateBy(RotateDirection::CounterClockwise); }
    void RotatePicture(RotateDirection direction);

    // The mouse over the preview, client coordinates.
    void LeftButtonDown(Point p);
    MoveOutcome MouseMove(Point p);
    void LeftButtonUp();
    // A left double-click that is Add: ready, no batch, inside the frame.
    bool IsAddDoubleClick(Point p) const;

    // CheckColourDepth: false (after SYSTEMCOLOR_TIPS) when the display has fewer than 16 bits
    // per pixel; the program must then end with exit code 0.
    bool CheckColourDepth();
    bool ExitRequested() const { return m_bExitRequested; }
    // DeleteCanvasFiles.
    void DeleteCanvasFiles() const;

    // Add's cut of the album picture out of what the preview shows.
    QImage CutForAdd() const;

    bool PictureLoaded() const { return !m_strSourcePath.empty(); }
    // The last Rect/Clear caption a toggle chose, for the button.
    const std::optional<ButtonCaption>& Caption() const { return m_caption; }
    CropZoom& Crop() { return m_crop; }
    const CropZoom& Crop() const { return m_crop; }
    const QImage& WorkingBitmap() const { return m_MyBitmap; }
    Size ShownSize() const { return {m_nShowWidth, m_nShowHeight}; }
    Size FitSizeTruncated() const;
    Size Lcd() const { return m_lcd; }
    const Rect& PreviewBox() const { return m_box; }
    Size AvailableArea() const;
    const WorkPaths& Paths() const { return m_paths; }

    // The window state of the canvas, by their names.
    std::string m_strSourcePath;
    double m_dFitWidth = 0;
    double m_dFitHeight = 0;
    bool m_bRotated = false;
    int m_nShowWidth = 0;
    int m_nShowHeight = 0;
    Point m_ptShow;
    bool m_bReloadCut = true;
    int m_nDisplayDepth = 32;

  private:
    void RotateBy(RotateDirection direction);
    // The frame at its resting place follows the size the rebuild now shows.
    void CentreRestingFrame();
    void ApplyToggle(const ToggleOutcome& outcome);
    void Invalidate();
    CropGeometry Geometry() const { return {m_box, ShownSize(), m_lcd}; }
    std::filesystem::path FileToLoad() const;
    // The picture for a load of file: the prepared one when it is for that file, else read now.
    PreparedPicture TakePrepared(const std::filesystem::path& file);

    WorkPaths m_paths;
    const Language& m_language;
    Frontend& m_frontend;
    const AppState& m_state;
    CropZoom m_crop;
    Size m_lcd;
    Rect m_box = kPreviewBox;
    QColor m_buttonFace{240, 240, 240};
    DecodeToBitmap m_decodeDpf;
    std::function<void()> m_onRebuilt;
    std::function<void()> m_onInvalidate;
    std::optional<ButtonCaption> m_caption;
    bool m_bHaveCanvas = false;  // the first rebuild has prepared the drawing
    bool m_bExitRequested = false;
    QImage m_MyBitmap;    // the working bitmap at the truncated fitted size
    QImage m_frameImage;  // the frame image the last rebuild made (and wrote to "ForCut.bmp")
    QImage m_hMyBitmap2;  // the frame image as taken for drawing
    PreparedPicture m_prepared;
};

}  // namespace framewise
