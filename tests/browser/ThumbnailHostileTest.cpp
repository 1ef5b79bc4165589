// The hostile pictures as folder-list thumbnails, each made in a child process whose peak
// memory the kernel measures and whose address space is capped: no thumbnail of a picture
// that lies about its size, is cut short or overflows, and no run past a fixed bound.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "browser/ThumbnailRender.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

constexpr long kPeakBoundKb = 200 * 1024;
constexpr rlim_t kAddressSpaceBound = rlim_t(2) << 30;

struct Outcome {
    bool exited = false;
    bool madeThumbnail = false;
    long peakKb = 0;
};

Outcome ThumbnailInChild(const fs::path& file) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{kAddressSpaceBound, kAddressSpaceBound};
        ::setrlimit(RLIMIT_AS, &limit);
        const RenderedThumbnail thumb = RenderThumbnail(file, 64, QColor(240, 240, 240));
        ::_exit(thumb.framed.isNull() ? 0 : 1);
    }
    Outcome outcome;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return outcome;
    outcome.exited = WIFEXITED(status);
    outcome.madeThumbnail = outcome.exited && WEXITSTATUS(status) == 1;
    outcome.peakKb = usage.ru_maxrss;
    return outcome;
}

TEST(ThumbnailHostile, NoThumbnailAndBoundedMemoryForEach) {
    const fs::path hostile = fs::path(FRAMEWISE_SOURCE_DIR) / "tests" / "data" / "hostile";
    test::TempDir dir;
    std::vector<fs::path> files;
    for (const char* name :
         {"jpeg-65500x65500.jpg", "png-30000x30000.png", "gif-30000x30000.gif",
          "bmp-overflow-32bit.bmp", "bmp-overflow-topdown.bmp", "bmp-lying-size.bmp",
          "tiff-30000x30000.tif", "dpf-65535x65535.dpf", "png-truncated.png"})
        files.push_back(hostile / name);
    // Sparse files of 300 MB behind a JPEG signature and a device picture header.
    for (const auto& [name, head] :
         {std::pair<std::string, std::string>{"junk.jpg", "\xFF\xD8\xFF\xE0"},
          {"junk.dpf", std::string("\x00\x40\x00\x40\x00", 5)}}) {
        const fs::path file = dir / name;
        std::ofstream(file, std::ios::binary) << head;
        fs::resize_file(file, uintmax_t(300) << 20);
        files.push_back(file);
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const Outcome outcome = ThumbnailInChild(file);
        std::printf("peak RSS, thumbnail of %s: %ld KB\n", file.filename().c_str(), outcome.peakKb);
        EXPECT_TRUE(outcome.exited);
        EXPECT_FALSE(outcome.madeThumbnail);
        EXPECT_LT(outcome.peakKb, kPeakBoundKb);
    }
    // The one that declares 30000 x 30000 but holds two bytes of data decodes reduced, as
    // any JPEG within the limits does: bounded, whatever it shows.
    const Outcome lying = ThumbnailInChild(hostile / "jpeg-30000x30000.jpg");
    std::printf("peak RSS, thumbnail of jpeg-30000x30000.jpg: %ld KB\n", lying.peakKb);
    EXPECT_TRUE(lying.exited);
    EXPECT_LT(lying.peakKb, kPeakBoundKb);

    // A whole picture within the decode limits, 16 pixels wide and a million tall (a sparse
    // file of black rows): its thumbnail is made, its stretch to the square in memory of the
    // square's size.
    const fs::path thin = dir / "thin.bmp";
    {
        const int32_t width = 16, height = 1000000;
        const uint32_t pixels = uint32_t(width) * 3 * uint32_t(height);
        const uint32_t fields[] = {54 + pixels, 0, 54, 40, uint32_t(width), uint32_t(height),
                                   1 | (24u << 16), 0, pixels, 0, 0, 0, 0};
        {
            std::ofstream out(thin, std::ios::binary);
            out << "BM";
            out.write(reinterpret_cast<const char*>(fields), sizeof fields);
        }
        fs::resize_file(thin, 54 + uintmax_t(pixels));
    }
    const Outcome thinOutcome = ThumbnailInChild(thin);
    std::printf("peak RSS, thumbnail of a 16 x 1000000 BMP: %ld KB\n", thinOutcome.peakKb);
    EXPECT_TRUE(thinOutcome.madeThumbnail);
    EXPECT_LT(thinOutcome.peakKb, kPeakBoundKb);
}

}  // namespace
}  // namespace framewise
