// The folder list's thumbnails over arbitrary files, made as the thumbnail run makes them: the
// embedded EXIF thumbnail or a reduced decode behind the thumbnail limits, or a device picture
// file. The first byte chooses the name's extension (a .dpf file is read as a device picture).
// Whatever the file, the answer is no thumbnail or a framed square of the asked size.
#include <QCoreApplication>
#include <cstdint>

#include "FuzzSupport.h"
#include "browser/ThumbnailRender.h"

using namespace framewise;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "framewise-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kNames[] = {"picture.jpg", "picture.dpf", "picture.png", "picture"};
    const std::filesystem::path file = fuzz::Scratch() / kNames[data[0] % 4];
    fuzz::WriteBytes(file, data + 1, size - 1);
    constexpr int kSide = 48;
    const RenderedThumbnail thumb = RenderThumbnail(file, kSide, QColor(240, 240, 240));
    if (thumb.framed.isNull()) {
        FUZZ_CHECK(thumb.source == ThumbnailSource::None);
    } else {
        FUZZ_CHECK(thumb.source != ThumbnailSource::None);
        FUZZ_CHECK(thumb.framed.width() == kSide + 2 && thumb.framed.height() == kSide + 2);
    }
    std::filesystem::remove(file);
    return 0;
}
