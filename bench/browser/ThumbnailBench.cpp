// The folder browser's thumbnails against vipsthumbnail on the same photos: wall time per
// photo from the folder's selection to its last thumbnail shown in the list, the real widgets
// on the offscreen platform; vipsthumbnail makes the same folder's thumbnails in one process.
// A small program rather than a Google Benchmark: each side runs as a user meets it, in turns.
//
// Usage: thumbnail_bench [--rounds N] [--side S] FOLDER...
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "browser/FolderBrowser.h"
#include "browser/FolderPictureNames.h"
#include "browser/FolderTreeCtrl.h"

using namespace framewise;

namespace {

// CPU time (user + system) of this process's threads, or of its waited-for children, in ms.
double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One selection of the folder to the end of its run.
Sample BrowserRun(FolderBrowser& browser, bool& ended) {
    ended = false;
    const double cpu = CpuMs(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    browser.OnFolderSelected();
    QEventLoop loop;
    while (!ended) loop.processEvents(QEventLoop::WaitForMoreEvents);
    return {timer.nsecsElapsed() / 1e6, CpuMs(RUSAGE_SELF) - cpu};
}

Sample VipsRun(const QStringList& files, int side, const QString& outFolder) {
    QStringList args = files;
    args << "-s" << QString::number(side) << "-o" << outFolder + "/%s.jpg";
    const double cpu = CpuMs(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    QProcess vips;
    vips.start("vipsthumbnail", args);
    if (!vips.waitForFinished(600000) || vips.exitCode() != 0) return {-1, -1};
    return {timer.nsecsElapsed() / 1e6, CpuMs(RUSAGE_CHILDREN) - cpu};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 5, side = 48;
    QStringList folders;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--rounds" && i + 1 < args.size()) {
            rounds = args[++i].toInt();
        } else if (args[i] == "--side" && i + 1 < args.size()) {
            side = args[++i].toInt();
        } else {
            folders << QDir(args[i]).absolutePath();
        }
    }
    if (folders.isEmpty()) {
        std::fprintf(stderr, "usage: thumbnail_bench [--rounds N] [--side S] FOLDER...\n");
        return 2;
    }
    const bool haveVips = !QStandardPaths::findExecutable("vipsthumbnail").isEmpty();
    QTemporaryDir work;

    std::printf(
        "Per photo, median of %d rounds: wall time from the selection to the last\n"
        "thumbnail shown (ours) or to vipsthumbnail's exit, and the CPU time spent.\n",
        rounds);
    std::printf("%-10s %6s %10s %10s %6s %10s %10s  %s\n", "folder", "photos", "ours wall",
                "vips wall", "ratio", "ours cpu", "vips cpu", "thumbnails from");
    for (const QString& folder : folders) {
        const std::vector<std::string> names = ListFolderPictures(folder.toStdString());
        QStringList files;
        for (const std::string& name : names) files << folder + "/" + QString::fromStdString(name);
        if (files.isEmpty()) continue;

        FolderSelection selection;
        QWidget window;
        auto* tree = new FolderTreeCtrl(&window);
        auto* list = new FolderPictureList(selection, &window);
        tree->setGeometry(2, 6, 275, 222);
        list->setGeometry(281, 6, 255, 222);
        tree->SetVolumeSource([] { return std::vector<Volume>{}; });
        tree->SetSpecialFolders(folder, folder);
        tree->populateRoots();
        FolderBrowser browser(*tree, *list);
        browser.SetThumbFolder(work.filePath("SourceFile").toStdString());
        browser.SetThumbnailGeometry(side, 3);
        bool ended = false;
        BrowserHooks hooks;
        hooks.setThumbnailRunActive = [&](bool running) { ended = !running; };
        browser.SetHooks(hooks);
        window.resize(560, 240);
        window.show();
        tree->setCurrentItem(tree->desktopItem());  // the folder, selected once
        QEventLoop().processEvents();
        while (!ended) QEventLoop().processEvents(QEventLoop::WaitForMoreEvents);

        QDir().mkpath(work.filePath("vips"));
        // Warm both (the page cache holds the files for each alike), then take turns.
        BrowserRun(browser, ended);
        if (haveVips) VipsRun(files, side, work.filePath("vips"));
        std::vector<double> ours, vips, oursCpu, vipsCpu;
        const double n = files.size();
        for (int r = 0; r < rounds; ++r) {
            const Sample o = BrowserRun(browser, ended);
            ours.push_back(o.wallMs / n);
            oursCpu.push_back(o.cpuMs / n);
            if (!haveVips) continue;
            const Sample v = VipsRun(files, side, work.filePath("vips"));
            vips.push_back(v.wallMs / n);
            vipsCpu.push_back(v.cpuMs / n);
        }
        // Where the thumbnails came from, for the record.
        std::map<ThumbnailSource, int> sources;
        for (const QString& file : files)
            ++sources[RenderThumbnail(file.toStdString(), side, QColor(240, 240, 240)).source];
        const double o = Median(ours), v = haveVips ? Median(vips) : 0;
        std::printf(
            "%-10s %6lld %7.1f ms %7.1f ms %6.2f %7.1f ms %7.1f ms  %d embedded, %d "
            "decoded\n",
            qPrintable(QDir(folder).dirName()), static_cast<long long>(files.size()), o, v,
            v > 0 ? o / v : 0.0, Median(oursCpu), haveVips ? Median(vipsCpu) : 0.0,
            sources[ThumbnailSource::Embedded], sources[ThumbnailSource::Decoded]);
    }
    if (!haveVips) std::printf("(vipsthumbnail not installed: apt-get install libvips-tools)\n");
    return 0;
}
