// The real program with its main window on a simulated frame, for the Qt Tests of the
// preview, the picture commands, the batch and the folder browser; and real photographs (the
// nature pictures of Debian's mate-backgrounds) cut into as many distinct photos as a test needs.
#pragma once

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "app/BrowserSide.h"
#include "app/ControlEnabling.h"
#include "app/Dialogs.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/PictureSide.h"
#include "app/Program.h"
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

// The whole program over a fresh simulated frame (1024 x 768), its empty album read; message
// boxes answered by the dialogs' script (OK, and No to questions).
struct PictureWindow {
    explicit PictureWindow(FrameImageOptions options = {})
        : made(MakeImage(image, options)),
          program(std::make_unique<Program>(Options(dir.path(), image))),
          window(program->Window()),
          frontend(program->Gui()),
          session(program->Session()) {
        window.SetScreenSize(QSize(1024, 768));
        if (!made || program->Start()) qFatal("the program did not start");
        bench = &program->Bench();
        side = &program->Pictures();
        browser = &program->Browser();
        if (!QTest::qWaitFor([this] { return ReadEnded() && window.LaidOut(); }, 20000))
            qFatal("the simulated frame was not read");
        session.Simulated()->SetBusyPolls(0);
        // Counts the batches that finished, after the picture side's own handler.
        auto finish = program->Hooks().processFinish;
        program->Hooks().processFinish = [this, finish] {
            finish();
            ++finishes;
        };
        window.activateWindow();
        QCoreApplication::processEvents();
        Dialogs::TakeShown();
    }
    ~PictureWindow() {
        // No batch step may be left waiting on a window that is going away.
        program->Shutdown();
        Dialogs::SetScripted(false);
    }

    bool ReadEnded() {
        const AppState& s = session.State();
        return s.m_bAlbumRead && s.m_bReady && !session.Worker().Running() &&
               !window.Enabling().Holds(DisableReason::Transfer);
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
    // Clicks album item row (from 0) as the user does, once the list shows it; with Ctrl, adds
    // it to the selection.
    bool ClickAlbumItem(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QListWidget* list = window.Controls().AlbumList();
        if (!QTest::qWaitFor([&] { return list->count() > row; }, 5000)) return false;
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
        return true;
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

    static bool MakeImage(const std::filesystem::path& image, const FrameImageOptions& options) {
        Dialogs::SetScripted(true);
        std::string error;
        return CreateFrameImage(image, options, error);
    }
    static AppOptions Options(const std::filesystem::path& dir, const std::filesystem::path& image) {
        AppOptions o;
        o.simulateImage = image;
        o.workRoot = dir / "work";
        o.backupRoot = dir / "backups";
        o.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
        return o;
    }

    TempDir dir;
    std::filesystem::path image = dir / "frame.img";
    bool made;
    std::unique_ptr<Program> program;
    MainWindow& window;
    GuiFrontend& frontend;
    FrameSession& session;
    Workbench* bench = nullptr;
    PictureSide* side = nullptr;
    BrowserSide* browser = nullptr;
    int finishes = 0;
    int finishedBefore = 0;
};

}  // namespace framewise::test
