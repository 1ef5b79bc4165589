// Hostile pictures handed to framewise-cli add, each in a child process of its own whose peak
// memory the kernel measures: headers that lie about a huge size, files cut short, bitmaps
// whose sizes overflow, a device picture file of huge dimensions. Each one is refused with a
// clear message, the pictures around it are added, and no run grows past a fixed bound (the
// address space is capped as well, so an attempt at a giant allocation fails the run instead of
// passing unseen). The preview and the batch take the same loading path as this run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempDir.h"
#include "device/FrameImage.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

// A picture never takes the program past this much memory; a run that adds one ordinary
// picture stays near 30 MB (Qt's libraries and the frame's flash images).
constexpr long kPeakBoundKb = 200 * 1024;
constexpr rlim_t kAddressSpaceBound = rlim_t(2) << 30;

struct ChildRun {
    int code = -1;
    long peakKb = 0;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// framewise-cli with the arguments, its address space capped; the exit code, the peak
// resident memory and both outputs.
ChildRun RunCli(const fs::path& dir, const std::vector<std::string>& args) {
    const fs::path out = dir / "out.txt", err = dir / "err.txt";
    std::vector<std::string> all = {FRAMEWISE_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{kAddressSpaceBound, kAddressSpaceBound};
        ::setrlimit(RLIMIT_AS, &limit);
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0), ::dup2(o, 1), ::dup2(e, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildRun run;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.peakKb = usage.ru_maxrss;
    run.out = ReadText(out);
    run.err = ReadText(err);
    return run;
}

class HostilePicturesTest : public ::testing::Test {
  protected:
    HostilePicturesTest() {
        std::string error;
        EXPECT_TRUE(CreateFrameImage(image, FrameImageOptions{}, error)) << error;
        QImage good(300, 200, QImage::Format_RGB32);
        good.fill(qRgb(40, 120, 200));
        EXPECT_TRUE(good.save(QString::fromStdString(goodPicture.string())));
    }
    ChildRun Add(const std::vector<std::string>& files) {
        std::vector<std::string> args = {"--simulate", image.string(), "--work-root",
                                         (dir / "work").string(), "add"};
        args.insert(args.end(), files.begin(), files.end());
        return RunCli(dir.path(), args);
    }
    static fs::path Hostile(const std::string& name) {
        return fs::path(FRAMEWISE_SOURCE_DIR) / "tests" / "data" / "hostile" / name;
    }

    test::TempDir dir;
    fs::path image = dir / "frame.img";
    fs::path goodPicture = dir / "good.png";
};

TEST_F(HostilePicturesTest, EachIsRefusedWithAClearMessageInBoundedMemory) {
    const ChildRun baseline = Add({goodPicture.string()});
    ASSERT_EQ(baseline.code, 0) << baseline.err;
    std::printf("peak RSS, one good picture: %ld KB\n", baseline.peakKb);

    const std::string destroyed = "The picture is destroyed!";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"jpeg-30000x30000.jpg", destroyed},
        {"jpeg-65500x65500.jpg", destroyed},
        {"jpeg-truncated.jpg", destroyed},
        {"png-30000x30000.png", destroyed},
        {"png-truncated.png", destroyed},
        {"gif-30000x30000.gif", destroyed},
        {"gif-truncated.gif", destroyed},
        {"bmp-overflow-32bit.bmp", destroyed},
        {"bmp-overflow-topdown.bmp", destroyed},
        {"bmp-lying-size.bmp", destroyed},
        {"tiff-30000x30000.tif", destroyed},
        {"dpf-65535x65535.dpf", "is not suit for the size of this Device!"},
    };
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name);
        const fs::path file = Hostile(name);
        ASSERT_TRUE(fs::exists(file));
        const ChildRun run = Add({file.string()});
        std::printf("peak RSS, %s: %ld KB\n", name.c_str(), run.peakKb);
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("refused " + file.string() + "\n"), std::string::npos) << run.out;
        EXPECT_LT(run.peakKb, kPeakBoundKb);
    }
}

// Files of hundreds of megabytes (sparse, so they cost nothing to make) behind a JPEG
// signature or a device picture header of the frame's own size: refused without being held.
TEST_F(HostilePicturesTest, HugeFilesAreNotTakenIntoMemory) {
    auto sparse = [&](const std::string& name, const std::string& head) {
        const fs::path file = dir / name;
        std::ofstream(file, std::ios::binary) << head;
        fs::resize_file(file, uintmax_t(300) << 20);
        return file;
    };
    const fs::path jpeg = sparse("junk.jpg", "\xFF\xD8\xFF\xE0");
    const fs::path dpf = sparse("junk.dpf", std::string("\x00\x80\x00\x80\x00", 5));
    for (const fs::path& file : {jpeg, dpf}) {
        SCOPED_TRACE(file.filename().string());
        const ChildRun run = Add({file.string()});
        std::printf("peak RSS, 300 MB %s: %ld KB\n", file.filename().c_str(), run.peakKb);
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_NE(run.out.find("refused " + file.string() + "\n"), std::string::npos) << run.out;
        EXPECT_LT(run.peakKb, kPeakBoundKb);
    }
}

TEST_F(HostilePicturesTest, BatchSkipsThemAndAddsThePicturesAround) {
    std::vector<std::string> files = {goodPicture.string()};
    for (const char* name : {"jpeg-30000x30000.jpg", "png-30000x30000.png", "gif-30000x30000.gif",
                             "bmp-overflow-32bit.bmp", "tiff-30000x30000.tif",
                             "dpf-65535x65535.dpf", "jpeg-truncated.jpg"})
        files.push_back(Hostile(name).string());
    files.push_back(goodPicture.string());
    const ChildRun run = Add(files);
    std::printf("peak RSS, batch of %zu: %ld KB\n", files.size(), run.peakKb);
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_NE(run.out.find("Total pictures: 2\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("7 of 9 pictures not added"), std::string::npos) << run.err;
    EXPECT_LT(run.peakKb, kPeakBoundKb);
}

}  // namespace
}  // namespace framewise
