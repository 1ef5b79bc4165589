#include "app/PictureSide.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QWindow>

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "album/AlbumCommands.h"
#include "album/FrameSession.h"
#include "app/ControlFactory.h"
#include "app/MainWindow.h"
#include "app/PictureSideHooks.h"
#include "app/WindowEvents.h"
#include "config/ControlIds.h"
#include "config/EventNames.h"
#include "picture/QualityLabel.h"
#include "picture/Workbench.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A file as the file system knows it, whatever it is named: renaming keeps it.
std::optional<std::pair<unsigned long, unsigned long>> FileIdentity(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return std::pair<unsigned long, unsigned long>(st.st_dev, st.st_ino);
}

}  // namespace

PictureSide::PictureSide(MainWindow& window, Workbench& workbench, Frontend& frontend)
    : m_window(window), m_workbench(workbench), m_frontend(frontend) {
    m_preview = new PreviewWidget(window.Control(kIdPreviewGroup), &window);
    m_preview->SetInput(this);
    m_preview->SetBoxChangedHandler([this] { BoxChanged(); });

    PreviewCanvas& canvas = workbench.Canvas();
    canvas.SetPreviewBox(m_preview->CanvasBox());
    canvas.SetButtonFace(window.palette().color(QPalette::Button));
    // InvalidatePreview: the box is cleared, and the frame image drawn again once the work
    // under way (a rebuild) is done, as a repaint posts it.
    canvas.SetInvalidateHandler([this] { InvalidatePreview(); });
    workbench.SetRebuiltHandler([this] { OnRebuilt(); });

    m_stop = factory::MakeImageButton(&window, QStringLiteral("Stop"));
    m_stop->setObjectName(QStringLiteral("StopBatch"));
    m_stop->hide();
    connect(m_stop, &QAbstractButton::clicked, this, &PictureSide::StopBatch);

    m_slider = qobject_cast<QSlider*>(window.Control(kIdQualitySlider));
    m_qualityLabel = qobject_cast<QLabel*>(window.Control(kIdQualityLabel));
    if (m_slider) {
        m_slider->setRange(JpgQuality::kMin, JpgQuality::kMax);
        m_slider->setPageStep(1);
        // Read while it moves, as every drawing of the slider read it, and once more when the
        // pointer lets it go.
        connect(m_slider, &QSlider::valueChanged, this, &PictureSide::SetQuality);
        connect(m_slider, &QSlider::sliderReleased, this,
                [this] { SetQuality(m_slider->value()); });
    }
    SyncButtons();
}

PictureSide::~PictureSide() {
    if (m_preview) m_preview->SetInput(nullptr);
}

void PictureSide::FillHooks(PictureSideHooks& hooks) {
    hooks.add = [this] { Add(); };
    hooks.zoomIn = [this] { ZoomIn(); };
    hooks.zoomOut = [this] { ZoomOut(); };
    hooks.toggleRect = [this] { ToggleRect(); };
    hooks.rotateLeft = [this] { RotateLeft(); };
    hooks.rotateRight = [this] { RotateRight(); };
    hooks.receivePic = [this] { OnReceivePic(); };
    hooks.processFinish = [this] { OnProcessFinish(); };
    hooks.paintFromOriginPic = [this] { OnPaintFromOriginPic(); };
    hooks.paintFromForCutBmp = [this] { OnPaintFromForCutBmp(); };
    hooks.lastFolderPicture = [this] { return m_lastFolderPicture; };
    hooks.showAfterAlbumEmptied = [this](const std::string& path) { ShowAfterAlbumEmptied(path); };
    RunBefore(hooks.frameArrived, [this] { ClearPreview(); });
    RunBefore(hooks.frameAttached, [this] { Attached(); });
    hooks.albumItemClicked = [this](const std::vector<int>& selected) { ShowAlbumItem(selected); };
    hooks.beforeAlbumEdit = [this] { BeforeAlbumEdit(); };
    hooks.afterAlbumEdit = [this] { AfterAlbumEdit(); };
    hooks.languageApplied = [this] { RelabelQuality(); };
}

// ---- Start-up and attach ----

bool PictureSide::CheckDisplay(std::optional<int> bitsPerPixel) {
    if (!bitsPerPixel) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        bitsPerPixel = screen ? screen->depth() : 32;
    }
    PreviewCanvas& canvas = m_workbench.Canvas();
    canvas.SetDisplayDepth(*bitsPerPixel);
    return canvas.CheckColourDepth();
}

void PictureSide::Attached() {
    if (m_slider) {
        m_slider->setValue(m_workbench.Adder().JpgQuality());
        m_slider->setEnabled(true);
        m_slider->show();
    }
    if (m_qualityLabel) m_qualityLabel->show();
    RelabelQuality();
    SyncButtons();
}

void PictureSide::SetQuality(int quality) {
    m_workbench.Adder().SetJpgQuality(quality);
    RelabelQuality();
}

void PictureSide::RelabelQuality() {
    if (!m_qualityLabel) return;
    const std::string text = m_qualityLabel->text().toStdString();
    const QString label = Q(QualityLabelText(text, m_workbench.Adder().JpgQuality()));
    m_qualityLabel->setText(label);
    // The label's narrow place cuts the number off; the pointer over either shows it whole.
    m_qualityLabel->setToolTip(label);
    if (m_slider) m_slider->setToolTip(label);
}

// ---- Commands ----

void PictureSide::Add() {
    m_workbench.Adder().AddPicture();
    SyncButtons();
}

void PictureSide::ZoomIn() {
    m_workbench.Canvas().ZoomIn();
    SyncButtons();
}

void PictureSide::ZoomOut() {
    m_workbench.Canvas().ZoomOut();
    SyncButtons();
}

void PictureSide::ToggleRect() {
    PreviewCanvas& canvas = m_workbench.Canvas();
    if (!canvas.PictureLoaded()) return;
    canvas.ToggleCropRect();
    Redraw();
    SyncButtons();
}

void PictureSide::RotateLeft() {
    m_workbench.Canvas().RotateLeft();
    SyncButtons();
}

void PictureSide::RotateRight() {
    m_workbench.Canvas().RotateRight();
    SyncButtons();
}

bool PictureSide::FilesDropped(const std::vector<std::string>& queue) {
    return m_workbench.Adder().AcceptBatch(queue);
}

// ---- Folder list and album list ----

bool PictureSide::ShowFolderPicture(const std::string& path) {
    PreviewCanvas& canvas = m_workbench.Canvas();
    canvas.m_bReloadCut = true;
    m_lastFolderPicture = path;
    const bool shown = canvas.ShowFolderPicture(path);
    EnablePictureButtons(true);
    Redraw();
    SyncButtons();
    return shown;
}

void PictureSide::EnablePictureButtons(bool enable) {
    m_window.SetDisabled(DisableReason::PictureTools, !enable);
}

void PictureSide::ShowAlbumItem(const std::vector<int>& selected) {
    const AppState& state = m_workbench.Session().State();
    // A batch selects each new album item itself; that is no click of the user's.
    if (!state.m_bReady || state.m_bAdding || state.m_bBatchAdding || selected.size() != 1)
        return;
    PreviewCanvas& canvas = m_workbench.Canvas();
    canvas.m_bReloadCut = true;
    const auto source = m_workbench.Session().Folder().SourcePath(size_t(selected.front()));
    if (source && !source->empty()) canvas.ShowPicture(*source);
    Redraw();
    SyncButtons();
}

void PictureSide::BeforeAlbumEdit() {
    m_shownAlbumFile.reset();
    const std::string& shown = m_workbench.Canvas().m_strSourcePath;
    if (!shown.empty() && m_workbench.Session().Folder().IsAlbumFilePath(shown))
        m_shownAlbumFile = FileIdentity(shown);
}

void PictureSide::AfterAlbumEdit() {
    if (!m_shownAlbumFile) return;
    const auto shown = *m_shownAlbumFile;
    m_shownAlbumFile.reset();
    PreviewCanvas& canvas = m_workbench.Canvas();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_workbench.Session().Folder().Path(), ec)) {
        if (FileIdentity(entry.path()) == shown) {
            canvas.m_strSourcePath = entry.path().string();
            return;
        }
    }
    // The picture shown was deleted: its old name may now hold another picture.
    canvas.m_strSourcePath.clear();
    m_preview->ShowPlan({});
    SyncButtons();
}

void PictureSide::AfterDelete(const DeleteOutcome& outcome) {
    if (outcome.emptiedAlbum) ShowAfterAlbumEmptied(outcome.previewPath);
}

void PictureSide::ShowAfterAlbumEmptied(const std::string& path) {
    PreviewCanvas& canvas = m_workbench.Canvas();
    canvas.m_strSourcePath = path;
    if (!path.empty()) {
        canvas.m_bReloadCut = true;
        canvas.ShowPicture(path);
    }
    Redraw();
    SyncButtons();
}

void PictureSide::ClearPreview() {
    m_workbench.Canvas().m_strSourcePath.clear();
    m_preview->ShowPlan({});
    SyncButtons();
}

void PictureSide::InvalidatePreview() {
    m_preview->update();
    m_frontend.PostEvent(events::kPaintFromForCutBmp);
}

// ---- The batch ----

void PictureSide::OnReceivePic() {
    SetMinimizeBox(false);
    ShowStopButton(true);
    m_workbench.Batch().Start();
}

void PictureSide::OnProcessFinish() {
    BatchAdd& batch = m_workbench.Batch();
    batch.Finish();
    SetMinimizeBox(true);
    ShowStopButton(false);
    // Zoom and rotate wait for a single folder picture to be clicked again.
    EnablePictureButtons(false);
    if (batch.Stopped())
        m_frontend.SetStatusText(std::to_string(batch.Processed()) + " / " +
                                 std::to_string(batch.Queued()));
    Redraw();
    SyncButtons();
}

void PictureSide::StopBatch() {
    if (!m_workbench.Session().State().m_bBatchAdding) return;
    m_workbench.Batch().RequestStop();
    m_stop->setEnabled(false);
    m_frontend.SetStatusText(
        m_workbench.Session().GetLanguage().Tr("STOPDOWNLOAD_TIPS", "Stopping……"));
}

void PictureSide::ShowStopButton(bool shown) {
    if (!shown) {
        m_stop->hide();
        return;
    }
    // In the Add button's place: the batch was started by Add or by a drop.
    const Language& language = m_workbench.Session().GetLanguage();
    m_stop->setText(Q(language.Tr("IDC_BUTTON_STOPADD", "Stop")));
    m_stop->setToolTip(Q(language.Tr("IDC_BUTTON_STOPADDTIPS", "Stop adding pictures")));
    m_stop->setGeometry(m_window.Control(kIdAdd)->geometry());
    m_stop->setEnabled(true);
    m_stop->show();
    m_stop->raise();
}

void PictureSide::SetMinimizeBox(bool shown) {
    Qt::WindowFlags flags = m_window.windowFlags();
    flags.setFlag(Qt::WindowMinimizeButtonHint, shown);
    if (flags == m_window.windowFlags()) return;
    // Told to the shown window as it is: setWindowFlags would hide and re-create it.
    m_window.overrideWindowFlags(flags);
    if (QWindow* handle = m_window.windowHandle()) handle->setFlags(flags);
}

// ---- The preview ----

void PictureSide::OnPaintFromOriginPic() {
    m_workbench.Canvas().Rebuild();
}

void PictureSide::OnPaintFromForCutBmp() {
    Redraw();
}

void PictureSide::OnRebuilt() {
    Redraw();
    SyncButtons();
    EndIfDisplayTooShallow();
}

void PictureSide::Redraw() {
    if (!m_workbench.Session().State().m_bReady) return;
    m_preview->ShowPlan(m_workbench.Canvas().Draw());
}

void PictureSide::BoxChanged() {
    PreviewCanvas& canvas = m_workbench.Canvas();
    canvas.SetPreviewBox(m_preview->CanvasBox());
    if (!canvas.PictureLoaded()) return;
    canvas.m_bReloadCut = true;
    canvas.Rebuild();
}

void PictureSide::EndIfDisplayTooShallow() {
    if (!m_workbench.Canvas().ExitRequested()) return;
    m_workbench.Batch().RequestStop();
    QMetaObject::invokeMethod(
        &m_window, [this] { m_window.EndProgram(0); }, Qt::QueuedConnection);
}

void PictureSide::SyncButtons() {
    PreviewCanvas& canvas = m_workbench.Canvas();
    if (const auto& caption = canvas.Caption()) {
        if (QAbstractButton* rect = qobject_cast<QAbstractButton*>(m_window.Control(kIdRect))) {
            rect->setText(Q(caption->text));
            rect->setToolTip(Q(caption->tooltip));
        }
    }
    const CropZoom& crop = canvas.Crop();
    const bool zooming = canvas.PictureLoaded() && crop.m_bCropOn && !crop.m_bCropNext;
    m_window.SetDisabled(DisableReason::CannotZoomIn, !(zooming && crop.m_bCanZoomIn));
    m_window.SetDisabled(DisableReason::CannotZoomOut, !(zooming && crop.m_bCanZoomOut));
}

// ---- Mouse over the preview ----

void PictureSide::LeftButtonDown(Point p) {
    m_workbench.Canvas().LeftButtonDown(p);
}

MoveOutcome PictureSide::MouseMove(Point p) {
    const MoveOutcome outcome = m_workbench.Canvas().MouseMove(p);
    if (outcome.moved) m_frontend.PostEvent(events::kPaintFromForCutBmp);
    return outcome;
}

void PictureSide::LeftButtonUp() {
    m_workbench.Canvas().LeftButtonUp();
}

void PictureSide::LeftDoubleClick(Point p) {
    m_workbench.Adder().AddByDoubleClick(p);
    SyncButtons();
}

}  // namespace framewise
