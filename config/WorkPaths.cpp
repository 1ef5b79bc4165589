#include "config/WorkPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace framewise {

namespace fs = std::filesystem;

WorkPaths WorkPaths::Under(const fs::path& root) {
    WorkPaths p;
    p.root = root;
    p.albumFolder = root / "PicsInMiniDPF";
    p.thumbFolder = root / "SourceFile";
    p.jpgTmp = root / "JPGTmp.jpg";
    p.bmpTmp = root / "BMPTmp.bmp";
    p.forCut = root / "ForCut.bmp";
    p.forShow = root / "ForShow.bmp";
    p.forShowBmp = root / "ForShowBMP.bmp";
    p.startInfo = root / "StartInfoUnicode.ini";
    p.language = root / "LanguageUnicode.ini";
    return p;
}

namespace {

// A folder the work files may live in: ours, a real folder, not a link, private.
bool MakePrivateFolder(const fs::path& dir, std::string& error) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create the work folder " + dir.string() + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        error = "cannot examine the work folder " + dir.string() + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        error = "refusing the work folder " + dir.string() + ": it is a symbolic link";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = "refusing the work folder " + dir.string() + ": it is not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        error = "refusing the work folder " + dir.string() + ": it belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) {
        error = "cannot make the work folder " + dir.string() + " private";
        return false;
    }
    return true;
}

void DeleteFiles(const fs::path& dir, const char* extension) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) && !it->is_symlink(ec)) continue;
        if (extension) {
            std::string ext = it->path().extension().string();
            for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext != extension) continue;
        }
        fs::remove(it->path(), ec);
    }
}

}  // namespace

std::optional<WorkPaths> WorkPaths::Prepare(const std::optional<fs::path>& override,
                                            std::string& error) {
    fs::path root;
    if (override && !override->empty()) {
        root = *override;
    } else if (const char* env = std::getenv("FRAMEWISE_WORK_ROOT"); env && *env) {
        root = env;
    } else {
        const char* tmp = std::getenv("TMPDIR");
        fs::path base = (tmp && *tmp) ? fs::path(tmp) : fs::path("/tmp");
        root = base / ("framewise-" + std::to_string(::geteuid()));
    }
    if (!MakePrivateFolder(root, error)) return std::nullopt;
    WorkPaths paths = Under(root);
    if (!MakePrivateFolder(paths.albumFolder, error)) return std::nullopt;
    if (!MakePrivateFolder(paths.thumbFolder, error)) return std::nullopt;
    return paths;
}

void WorkPaths::EmptyAlbumFolder() const { DeleteFiles(albumFolder, ".bmp"); }
void WorkPaths::EmptyThumbFolder() const { DeleteFiles(thumbFolder, nullptr); }

void WorkPaths::DeleteTempFiles() const {
    std::error_code ec;
    fs::remove(jpgTmp, ec);
    fs::remove(bmpTmp, ec);
}

void WorkPaths::DeleteCanvasFiles() const {
    std::error_code ec;
    fs::remove(forCut, ec);
    fs::remove(forShow, ec);
    fs::remove(forShowBmp, ec);
}

fs::path FindDataFolderFor(const fs::path& exeFolder, const fs::path& fallback) {
    std::error_code ec;
    if (!exeFolder.empty()) {
        if (fs::is_regular_file(exeFolder / "StartInfoUnicode.ini", ec)) return exeFolder;
        const fs::path installed = exeFolder.parent_path() / "share" / "framewise";
        if (fs::is_regular_file(installed / "StartInfoUnicode.ini", ec)) return installed;
    }
    return fallback;
}

fs::path FindDataFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return FindDataFolderFor(ec ? fs::path() : exe.parent_path(), fs::path(FRAMEWISE_DATA_DIR));
}

}  // namespace framewise
