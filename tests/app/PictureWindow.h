// The real main window with its picture side over a frame session on a simulated frame, for
// the Qt Tests of the preview, the picture commands and the batch; and real photographs (the
// nature pictures of Debian's mate-backgrounds) cut into as many distinct photos as a test needs.
#pragma once

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "app/Dialogs.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/PictureSide.h"
#include "app/WindowActions.h"
#include "config/ControlIds.h"
#include "config/EventNames.h"
#include "device/FrameImage.h"
#include "picture/Workbench.h"

namespace framewise::test {

inline constexpr char kPhotoFolder[] = "/usr/share/backgrounds/mate/nature";

// The photographs to cut test photos from, in name order.
inline QStringList PhotoSources() {
    QDir folder(QString::fromLatin1(kPhotoFolder));
    QStringList files;
    for (const QString& name : folder.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        files << folder.filePath(name);
    return files;
}

// n distinct JPEG photos in folder: photo i is a crop of source i mod count - the whole
// picture, a portrait cut of its middle, or a landscape cut of a corner, by turns - with the
// longer side at most maxSide. Empty when the photographs are missing.
inline std::vector<std::string> RealPhotos(const std::filesystem::path& folder, int n,
                                           int maxSide = 1200) {
    const QStringList sources = PhotoSources();
    std::vector<std::string> photos;
    if (sources.isEmpty()) return photos;
    std::vector<QImage> decoded;
    for (const QString& file : sources) decoded.push_back(QImage(file));
    for (int i = 0; i < n; ++i) {
        const QImage& source = decoded[size_t(i % sources.size())];
        const int w = source.width(), h = source.height();
        QRect cut = source.rect();
        switch ((i / sources.size()) % 3) {
            case 1: cut = QRect(w / 2 - h * 3 / 8, 0, h * 3 / 4, h); break;
            case 2: cut = QRect(w / 3, h / 4, w * 2 / 3, h * 3 / 4); break;
            default: break;
        }
        QImage photo = source.copy(cut);
        if (std::max(photo.width(), photo.height()) > maxSide)
            photo = photo.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const std::string path = (folder / ("photo" + std::to_string(100 + i) + ".jpg")).string();
        if (!photo.save(QString::fromStdString(path), "JPG", 90)) return {};
        photos.push_back(path);
    }
    return photos;
}

// The window's commands as the program's wiring hands them to the picture side.
class PictureActions : public WindowActions {
  public:
    explicit PictureActions(PictureSide& side) : m_side(side) {}
    void Add() override { m_side.Add(); }
    void ZoomIn() override { m_side.ZoomIn(); }
    void ZoomOut() override { m_side.ZoomOut(); }
    void ToggleRect() override { m_side.ToggleRect(); }
    void RotateLeft() override { m_side.RotateLeft(); }
    void RotateRight() override { m_side.RotateRight(); }
    void FilesDropped(const std::vector<std::string>& queue) override {
        m_side.FilesDropped(queue);
    }

  private:
    PictureSide& m_side;
};

// The window at 1024 x 768, laid out and shown, its frame attached and its (empty) album read.
// Message boxes are answered by the dialogs' script (OK, and No to questions).
struct PictureWindow {
    explicit PictureWindow(FrameImageOptions options = {}) {
        Dialogs::SetScripted(true);
        std::string error;
        if (!CreateFrameImage(image, options, error)) qFatal("frame image: %s", error.c_str());
        FrameSessionOptions o;
        o.workRoot = dir / "work";
        o.simulateImage = image;
        o.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
        if (!session.Open(o, error)) qFatal("session: %s", error.c_str());
        session.Simulated()->SetBusyPolls(0);
        // The workbench takes the session's work paths: made once the session is open.
        bench = std::make_unique<Workbench>(session, frontend);
        side = std::make_unique<PictureSide>(window, *bench, frontend);
        actions = std::make_unique<PictureActions>(*side);
        window.SetCore(session.State(), session.GetLanguage(), frontend);
        side->InstallEventHandlers(window.Events());
        // Counts the batches that finished, after the picture side's own handler.
        window.Events().On(events::kProcessFinish, [this](long) {
            side->OnProcessFinish();
            ++finishes;
        });
        window.SetActions(actions.get());
        window.SetScreenSize(QSize(1024, 768));
        window.LayoutMainWindow();
        window.show();
        window.activateWindow();
        if (!session.AttachAndRead()) qFatal("the simulated frame was not read");
        side->Attached();
        QCoreApplication::processEvents();
        Dialogs::TakeShown();
    }
    ~PictureWindow() {
        // No batch step may be left waiting on a window that is going away.
        frontend.Close();
        window.SetActions(nullptr);
        Dialogs::SetScripted(false);
    }

    template <typename T = QWidget>
    T* Get(int id) {
        return window.findChild<T*>(QString::number(id));
    }
    PreviewWidget& Preview() { return *side->Preview(); }
    PreviewCanvas& Canvas() { return bench->Canvas(); }
    AppState& State() { return session.State(); }
    int Count() { return session.List().ItemCount(); }
    // A point of the canvas as the preview widget's.
    QPoint At(Point p) { return Preview().Mapping().ToWidget(p); }
    // The centre of the crop frame, in the preview widget.
    QPoint FrameCentre() {
        const Rect& f = Canvas().Crop().m_rcCrop;
        return At({(f.left + f.right) / 2, (f.top + f.bottom) / 2});
    }
    // Drops files on the window as the desktop does; answers once the batch has finished.
    bool DropAndWait(const std::vector<std::string>& files, int timeoutMs = 60000) {
        DropOnly(files);
        return QTest::qWaitFor([&] { return finishes > finishedBefore; }, timeoutMs);
    }
    void DropOnly(const std::vector<std::string>& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const auto& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
        mime.setUrls(urls);
        finishedBefore = finishes;
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
    }
    // The album picture file of number n.
    QImage AlbumPicture(int n) {
        return QImage(QString::fromStdString(session.Folder().FilePath(n).string()));
    }

    TempDir dir;
    std::filesystem::path image = dir / "frame.img";
    MainWindow window;
    GuiFrontend frontend{window};
    FrameSession session{frontend};
    std::unique_ptr<Workbench> bench;
    std::unique_ptr<PictureSide> side;
    std::unique_ptr<PictureActions> actions;
    int finishes = 0;
    int finishedBefore = 0;
};

}  // namespace framewise::test
