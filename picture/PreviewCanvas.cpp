#include "picture/PreviewCanvas.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "picture/AddMath.h"
#include "picture/Bmp24.h"
#include "picture/Halftone.h"
#include "picture/PictureLoader.h"

namespace framewise {

namespace {

// A device picture file is told by its name's extension, in any case (cameras and Windows
// copies write ".DPF"); a folder whose name ends in ".dpf" holds ordinary pictures.
bool IsDpfFile(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dpf";
}

}  // namespace

FitSize FitToLimit(int width, int height) {
    FitSize fit{double(width), double(height)};
    if (width > kFitLimit || height > kFitLimit) {
        if (width > height) {
            fit.width = kFitLimit;
            fit.height = double(height) * kFitLimit / width;
        } else {
            fit.height = kFitLimit;
            fit.width = double(width) * kFitLimit / height;
        }
    }
    return fit;
}

Size TruncatedFit(const FitSize& fit) {
    return {std::max(1, int(fit.width)), std::max(1, int(fit.height))};
}

PreparedPicture PreparePicture(const std::filesystem::path& file) {
    PreparedPicture prepared;
    if (IsDpfFile(file.string())) return prepared;
    prepared.file = file;
    ReducedPicture loaded;
    if (!ReadPictureReduced(file, kFitLimit, loaded)) return prepared;
    prepared.fit = FitToLimit(loaded.fullSize.width(), loaded.fullSize.height());
    const Size fitted = TruncatedFit(prepared.fit);
    prepared.working = HalftoneStretch(loaded.image, fitted.width, fitted.height);
    prepared.ok = !prepared.working.isNull();
    return prepared;
}

Size AlignShownSize(Size shown) {
    if (shown.width % 4 != 0) {
        shown.width = (shown.width + 3) / 4 * 4;
        shown.height = (shown.height + 3) / 4 * 4;
    }
    return shown;
}

Point ShowPosition(const Rect& box, Size shown) {
    return {box.left + (box.Width() - shown.width) / 2,
            box.top + (box.Height() - shown.height) / 2};
}

QImage MakeFrameImage(const QImage& working, Size shown, QColor buttonFace) {
    QImage frame(shown.width + 2, shown.height + 2, QImage::Format_RGB32);
    frame.fill(buttonFace);
    const QImage stretched = HalftoneStretch(working, shown.width, shown.height);
    if (!stretched.isNull()) {
        QPainter painter(&frame);
        painter.drawImage(1, 1, stretched);
    }
    return frame;
}

PreviewCanvas::PreviewCanvas(WorkPaths paths, const Language& language, Frontend& frontend,
                             const AppState& state)
    : m_paths(std::move(paths)),
      m_language(language),
      m_frontend(frontend),
      m_state(state),
      m_crop(language) {}

Size PreviewCanvas::FitSizeTruncated() const {
    return TruncatedFit({m_dFitWidth, m_dFitHeight});
}

Size PreviewCanvas::AvailableArea() const {
    return {m_box.Width() - kAvailMargin, m_box.Height() - kAvailMargin};
}

void PreviewCanvas::Invalidate() {
    if (m_onInvalidate) m_onInvalidate();
}

void PreviewCanvas::ApplyToggle(const ToggleOutcome& outcome) {
    if (outcome.caption) m_caption = outcome.caption;
    if (outcome.invalidate) Invalidate();
    if (outcome.rebuild) Rebuild();
}

bool PreviewCanvas::ShowPicture(const std::string& path) {
    m_crop.ResetZoom();
    m_strSourcePath = path;
    m_bRotated = false;
    if (IsDpfFile(path) &&
        !LoadDpfFile(path, m_lcd, m_decodeDpf, m_paths, m_language, m_frontend)) {
        m_strSourcePath.clear();
        return false;
    }
    Invalidate();
    // Keep the mode while re-centring the frame: the toggle flips the inverted flag back.
    m_crop.m_bCropOn = true;
    m_crop.m_bCropNext = !m_crop.m_bCropNext;
    ToggleCropRect();
    m_crop.m_fZoom = 0.0f;
    m_crop.m_bCanZoomOut = false;
    m_crop.m_bCanZoomIn = true;
    Rebuild();
    return !m_strSourcePath.empty();
}

std::filesystem::path PreviewCanvas::FileToLoad() const {
    if (m_bRotated) return m_paths.forShowBmp;
    if (IsDpfFile(m_strSourcePath)) return m_paths.forShow;
    return m_strSourcePath;
}

PreparedPicture PreviewCanvas::TakePrepared(const std::filesystem::path& file) {
    PreparedPicture prepared = std::move(m_prepared);
    m_prepared = {};
    if (!prepared.file.empty() && prepared.file == file) return prepared;
    return PreparePicture(file);
}

void PreviewCanvas::Rebuild() {
    if (!m_state.m_bReady || m_strSourcePath.empty()) return;
    m_bHaveCanvas = true;

    PreparedPicture loaded;
    const bool reload = m_crop.m_fZoom == 0.0f || m_MyBitmap.isNull();
    if (reload) {
        loaded = TakePrepared(FileToLoad());
        if (!loaded.ok) {
            ShowPictureDestroyed(m_frontend, m_language);
            m_strSourcePath.clear();
            return;
        }
        m_dFitWidth = loaded.fit.width;
        m_dFitHeight = loaded.fit.height;
    }
    const Size fitted = FitSizeTruncated();

    Size shown = m_crop.m_bCropOn
                     ? m_crop.SizeForRebuild(fitted.width, fitted.height, m_lcd, AvailableArea())
                     : m_lcd;
    shown = AlignShownSize(shown);
    m_nShowWidth = shown.width;
    m_nShowHeight = shown.height;
    m_ptShow = ShowPosition(m_box, shown);
    CentreRestingFrame();

    if (reload) m_MyBitmap = std::move(loaded.working);
    if (!CheckColourDepth()) return;

    m_frameImage = MakeFrameImage(m_MyBitmap, shown, m_buttonFace);
    if (!WriteBmp24(m_paths.forCut, m_frameImage)) {
        // A frame image cut short by a full disk is not left for anyone to load.
        std::error_code ec;
        std::filesystem::remove(m_paths.forCut, ec);
    }
    if (m_onRebuilt) m_onRebuilt();
}

void PreviewCanvas::CentreRestingFrame() {
    CropZoom& crop = m_crop;
    // The frame was placed with the size the previous rebuild showed; where a picture of
    // another shape (or a zoom step) changes the shown size, the halvings round differently
    // and the frame would stand a pixel off the picture, and Add would store a row of the
    // frame's colour. A frame the user has dragged away from its place stays where it is.
    if (crop.m_rcCropHome.bottom == 0 || !(crop.m_rcCrop == crop.m_rcCropHome)) return;
    crop.m_rcCropHome = CentredCropFrame(m_box, ShownSize(), m_lcd);
    crop.m_rcCrop = crop.m_rcCropHome;
}

DrawPlan PreviewCanvas::Draw() {
    DrawPlan plan;
    if (!m_state.m_bReady || m_strSourcePath.empty()) return plan;
    if (m_bReloadCut) {
        // What the last rebuild wrote to "ForCut.bmp", kept as written: a write that failed
        // must not leave the previous picture (or part of this one) on show as this one.
        m_hMyBitmap2 = m_frameImage;
        m_bReloadCut = false;
    }
    if (m_ptShow.x > 0 && m_ptShow.y > 0 && !m_hMyBitmap2.isNull()) {
        plan.drawPicture = true;
        plan.at = {m_ptShow.x - 1, m_ptShow.y - 1};
        plan.picture = m_hMyBitmap2;
    }
    if (m_crop.m_bCropOn) {
        plan.drawCrop = true;
        plan.crop = m_crop.m_rcCrop;
    }
    return plan;
}

void PreviewCanvas::ToggleCropRect() {
    m_bReloadCut = true;
    ApplyToggle(m_crop.ToggleCropRect(Geometry(), m_bHaveCanvas, m_state.m_bBatchAdding));
}

void PreviewCanvas::ZoomIn() {
    if (!m_crop.ZoomIn(PictureLoaded(), m_bHaveCanvas)) return;
    Invalidate();
    m_bReloadCut = true;
    Rebuild();
}

void PreviewCanvas::ZoomOut() {
    if (!m_crop.ZoomOut(PictureLoaded(), m_bHaveCanvas)) return;
    Invalidate();
    m_bReloadCut = true;
    Rebuild();
}

void PreviewCanvas::RotateBy(RotateDirection direction) {
    if (!PictureLoaded()) return;
    m_crop.ResetZoom();
    m_bReloadCut = true;
    m_bRotated = true;
    RotatePicture(direction);
}

void PreviewCanvas::RotatePicture(RotateDirection direction) {
    WriteBmp24(m_paths.forShowBmp, RotatePixels(m_MyBitmap, direction));
    std::swap(m_dFitWidth, m_dFitHeight);
    Invalidate();
    m_crop.m_bCropOn = true;
    m_crop.m_bCropNext = !m_crop.m_bCropNext;
    ToggleCropRect();
    m_crop.m_fZoom = 0.0f;
    Rebuild();
}

void PreviewCanvas::LeftButtonDown(Point p) {
    if (m_state.m_bReady) m_crop.LeftButtonDown(p);
}

MoveOutcome PreviewCanvas::MouseMove(Point p) {
    if (!m_state.m_bReady || m_state.m_bBatchAdding) return {};
    return m_crop.MouseMove(p, m_box, m_ptShow, ShownSize());
}

void PreviewCanvas::LeftButtonUp() {
    if (m_state.m_bReady) m_crop.LeftButtonUp();
}

bool PreviewCanvas::IsAddDoubleClick(Point p) const {
    return m_state.m_bReady && !m_state.m_bBatchAdding && PictureLoaded() &&
           m_crop.m_rcCrop.Contains(p);
}

bool PreviewCanvas::CheckColourDepth() {
    if (m_nDisplayDepth >= 16) return true;
    m_frontend.ShowMessage(m_language.Tr("SYSTEMCOLOR_TIPS",
                                         "The color quality of the system is less than 16 bit, "
                                         "the application cannot use in this situation!"));
    m_bExitRequested = true;
    return false;
}

void PreviewCanvas::DeleteCanvasFiles() const {
    m_paths.DeleteCanvasFiles();
}

QImage PreviewCanvas::CutForAdd() const {
    return CutPicture(m_MyBitmap, ShownSize(), m_crop.m_rcCrop, m_ptShow, m_lcd, m_buttonFace);
}

}  // namespace framewise
