#include "cli/SimDemo.h"

#include <stdlib.h>

#include <QGuiApplication>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "album/FrameSession.h"
#include "cli/DemoPictures.h"
#include "cli/StdoutDiverted.h"
#include "config/RecordingFrontend.h"
#include "device/SimulatedFrame.h"
#include "picture/Workbench.h"

namespace framewise::cli {

namespace fs = std::filesystem;

namespace {

// Painted larger than the LCD, so that Add's area-averaging makes smooth edges of them.
constexpr int kPaintScale = 4;
constexpr int kMaxPaintSide = 2048;

// A private scratch folder for the painted files, the run's work root and its backups (a
// fresh demonstration frame needs no backup kept); removed with everything in it.
class Scratch {
  public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            ((tmp && *tmp) ? fs::path(tmp) : fs::path("/tmp")) / "framewise-demo-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

QtMessageHandler g_qtMessages = nullptr;

// The off-screen application warns where the session has no runtime folder (a root shell, a
// container); it needs none, and the command's output stays clean.
void WithoutRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                                 const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths:"))) return;
    if (g_qtMessages) g_qtMessages(type, context, text);
}

// Text is drawn through the font database, which wants a QGuiApplication; a command-line run
// makes an off-screen one, which needs no display.
std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    static int argc = 3;
    static char name[] = "framewise-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    if (!g_qtMessages) g_qtMessages = qInstallMessageHandler(WithoutRuntimeFolderWarning);
    return std::make_unique<QGuiApplication>(argc, argv);
}

QSize PaintSize(const FrameImageOptions& options) {
    QSize size(static_cast<int>(options.lcdWidth) * kPaintScale,
               static_cast<int>(options.lcdHeight) * kPaintScale);
    if (size.width() > kMaxPaintSide || size.height() > kMaxPaintSide)
        size.scale(kMaxPaintSide, kMaxPaintSide, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

// What the core said, for a failure's message.
std::string Said(const RecordingFrontend& frontend) {
    std::string text;
    for (const std::string& message : frontend.Messages()) text += " (" + message + ")";
    return text;
}

// Paints the pictures into scratch, then runs what `add` runs on the fresh frame: attach,
// read (an empty album), a batch of every picture stretched to the LCD, synchronize.
bool FillDemoFrame(Context& ctx, const fs::path& image, const FrameImageOptions& options,
                   const fs::path& scratch, std::string& error) {
    const auto app = EnsureGuiApplication();
    std::vector<std::string> files;
    for (int i = 0; i < kDemoPictureCount; ++i) {
        const fs::path file = scratch / ("demo-" + std::to_string(i + 1) + ".png");
        if (!PaintDemoPicture(i, PaintSize(options)).save(QString::fromStdString(file.string()))) {
            error = "cannot write the painted picture " + file.string();
            return false;
        }
        files.push_back(file.string());
    }

    RecordingFrontend frontend;
    FrameSession session(frontend);
    FrameSessionOptions o;
    o.simulateImage = image;
    o.workRoot = ctx.global.workRoot ? fs::path(*ctx.global.workRoot) : scratch / "work";
    o.backupRoot = scratch / "backups";
    if (!session.Open(o, error)) return false;
    bool read = false;
    if (session.DevicePresent() && session.StartupAttach()) {
        StdoutDiverted decoderLines;
        read = session.ReadAlbum();
    }
    if (!read) {
        error = "the new simulated frame could not be read" + Said(frontend);
        return false;
    }
    Workbench bench(session, frontend);
    bench.Attached();
    // Painted in the LCD's own shape: the whole picture is what the frame shows.
    bench.SetFitMode(FitMode::Stretch);
    int added = 0;
    {
        StdoutDiverted decoderLines;
        added = bench.AddAll(files);
    }
    if (added != kDemoPictureCount) {
        error = std::to_string(added) + " of " + std::to_string(kDemoPictureCount) +
                " pictures went onto the frame" + Said(frontend);
        return false;
    }
    if (!session.Synchronize()) {
        error = "the album could not be written to the simulated frame" + Said(frontend);
        return false;
    }
    return true;
}

void RemoveFrameImage(const fs::path& image) {
    std::error_code ec;
    fs::remove(image, ec);
    fs::remove(FirmwareSidecarPath(image), ec);
    fs::remove(UnpluggedMarkerPath(image), ec);
}

}  // namespace

int CreateDemoFrame(Context& ctx, const fs::path& image, const FrameImageOptions& options) {
    std::error_code ec;
    if (fs::exists(image, ec) || fs::is_symlink(image, ec)) {
        ctx.err << "framewise-cli: " << image.string() << " exists already\n";
        return kExitFailure;
    }
    Scratch scratch;
    if (scratch.Path().empty()) {
        ctx.err << "framewise-cli: cannot make a temporary folder\n";
        return kExitFailure;
    }
    std::string error;
    if (!CreateFrameImage(image, options, error)) {
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    if (!FillDemoFrame(ctx, image, options, scratch.Path(), error)) {
        // Half a demonstration is none: the next run starts afresh.
        RemoveFrameImage(image);
        ctx.err << "framewise-cli: " << error << "\n";
        return kExitFailure;
    }
    ctx.out << "Created " << image.string() << ": a simulated frame (LCD " << options.lcdWidth
            << "x" << options.lcdHeight << ") with " << kDemoPictureCount
            << " pictures painted by Framewise\n";
    return kExitOk;
}

}  // namespace framewise::cli
