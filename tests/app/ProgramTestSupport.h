// The whole program against a simulated frame, for the Qt Tests that drive its window: frames
// that hold an album of plain-coloured pictures, and one run of the program over such a frame
// with every dialog answered by the test (Dialogs' script).
#pragma once

#include <QColor>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "app/Dialogs.h"
#include "app/Program.h"
#include "codec/BmpFile.h"
#include "codec/JpegEncoder.h"
#include "config/ControlIds.h"
#include "device/FrameImage.h"
#include "device/SimulatedFrame.h"

namespace framewise::test {

// The colour of test picture k (from 1): far apart, so that a thumbnail's centre tells which
// picture it shows.
inline QColor PictureColour(int k) {
    static const QColor colours[] = {
        QColor(220, 30, 30),   QColor(30, 200, 40),  QColor(30, 60, 220),   QColor(230, 220, 40),
        QColor(200, 40, 200),  QColor(40, 210, 210), QColor(250, 150, 30),  QColor(120, 60, 20),
        QColor(250, 250, 250), QColor(20, 20, 20),   QColor(130, 130, 130), QColor(90, 160, 90)};
    return colours[(k - 1) % 12];
}

// A device picture stream of a 128 x 128 picture in one colour; with noise, a picture that
// compresses badly (a long stream).
inline std::vector<uint8_t> ColourStream(const QColor& colour, bool noise = false) {
    constexpr int side = 128;
    const int stride = BmpRowStride(side);
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * side);
    uint32_t seed = static_cast<uint32_t>(colour.rgb());
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint8_t* p = rows.data() + y * stride + x * 3;
            int jitter = 0;
            if (noise) {
                seed = seed * 1664525u + 1013904223u;
                jitter = static_cast<int>(seed >> 26) - 32;
            }
            p[0] = static_cast<uint8_t>(std::clamp(colour.blue() + jitter, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(colour.green() + jitter, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(colour.red() + jitter, 0, 255));
        }
    JpegEncoder encoder(90);
    encoder.jfifMode = false;
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(side, side, 0));
    size_t size = 0;
    if (!encoder.encode(rows.data(), out.data(), side, side, size, 0, out.size())) return {};
    out.resize(size);
    return out;
}

// A fresh 128 x 128 frame of 2 MB whose album holds pictures 1 to count (PictureColour),
// laid into the flash as the frame's firmware keeps them. Answers the streams' total bytes.
inline int MakeFrame(const std::filesystem::path& image, int count, bool noise = false) {
    std::string error;
    if (!CreateFrameImage(image, FrameImageOptions{}, error)) return -1;
    auto frame = SimulatedFrame::Open(image, error);
    if (!frame) return -1;
    constexpr uint32_t indexAddress = 0x30000;
    std::vector<uint8_t> index(4096, 0);
    std::memcpy(index.data(), "TQFS", 4);
    uint32_t address = indexAddress + 4096;
    int total = 0;
    for (int k = 1; k <= count; ++k) {
        const std::vector<uint8_t> stream = ColourStream(PictureColour(k), noise);
        uint8_t* e = index.data() + 16 + 8 * (k - 1);
        const uint32_t n = static_cast<uint32_t>(stream.size());
        e[0] = 1;
        e[1] = address & 0xFF, e[2] = (address >> 8) & 0xFF, e[3] = (address >> 16) & 0xFF;
        e[5] = n & 0xFF, e[6] = (n >> 8) & 0xFF, e[7] = (n >> 16) & 0xFF;
        if (!frame->Poke(address, stream)) return -1;
        address += n;
        total += static_cast<int>(n);
    }
    if (!frame->Poke(indexAddress, index)) return -1;
    return total;
}

// The colour at the centre of a list item's thumbnail.
inline QColor ThumbnailCentre(QListWidget* list, int row) {
    const QListWidgetItem* item = list->item(row);
    if (!item) return {};
    const QImage image = item->icon().pixmap(list->iconSize()).toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Whether two colours are the same picture's after the codec's round trip.
inline bool Near(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// One run of the program over image, its work files and backups under dir; Dialogs scripted.
class ProgramRun {
  public:
    ProgramRun(const std::filesystem::path& dir, const std::filesystem::path& image,
               AppOptions options = {})
        : m_options(Options(dir, image, std::move(options))),
          program(std::make_unique<Program>(m_options)),
          finished(&program->Window(), &QDialog::finished) {
        program->Window().SetScreenSize(QSize(1024, 768));
    }
    ~ProgramRun() { program->Shutdown(); }

    // Starts it and waits for the album read to end (whole or failed); false if it did not.
    bool StartAndRead(int timeoutMs = 20000) {
        if (program->Start()) return false;
        return QTest::qWaitFor([this] { return ReadEnded(); }, timeoutMs);
    }
    bool ReadEnded() {
        const AppState& s = Session().State();
        return (s.m_bAlbumRead || s.m_bReadStopped) && s.m_bReady &&
               !Session().Worker().Running() && !Window().Enabling().Holds(DisableReason::Transfer);
    }
    MainWindow& Window() { return program->Window(); }
    FrameSession& Session() { return program->Session(); }
    QListWidget* List() { return Window().Controls().AlbumList(); }
    template <typename T = QWidget>
    T* Get(int id) {
        return Window().findChild<T*>(QString::number(id));
    }
    QString Total() { return Get<QLabel>(kIdPictureTotal)->text(); }
    QString Status() { return Window().Status()->StatusText(); }
    bool Ended(int code = 0) {
        return finished.count() == 1 && finished.at(0).at(0).toInt() == code;
    }

  private:
    static AppOptions Options(const std::filesystem::path& dir, const std::filesystem::path& image,
                              AppOptions options) {
        std::filesystem::create_directories(dir);
        options.simulateImage = image;
        options.workRoot = dir / "work";
        options.backupRoot = dir / "backups";
        if (options.dataFolder.empty())
            options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";
        return options;
    }

    AppOptions m_options;

  public:
    std::unique_ptr<Program> program;
    QSignalSpy finished;
};

// A text in the run's current language.
inline QString Tr(ProgramRun& run, const char* key, const char* english) {
    return QString::fromStdString(run.Session().GetLanguage().Tr(key, english));
}

// The colours the album list shows, picture by picture.
inline bool ShowsColours(QListWidget* list, const std::vector<int>& pictures) {
    if (list->count() != static_cast<int>(pictures.size())) return false;
    for (int row = 0; row < list->count(); ++row)
        if (!Near(ThumbnailCentre(list, row), PictureColour(pictures[static_cast<size_t>(row)])))
            return false;
    return true;
}

}  // namespace framewise::test
