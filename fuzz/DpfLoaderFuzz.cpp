// The .dpf loader over arbitrary files, as the preview shows them: the size check against
// the LCD, the decode into the temporary bitmap, the bitmap the canvas then loads and fits.
// A file whose own size is a small LCD size is loaded on that LCD (so the decoder runs);
// any other on a 32 x 24 one (so the size check refuses it).
#include <cstdint>

#include "QtFuzzSupport.h"
#include "codec/JpegDecoder.h"

using namespace framewise;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    // The decoder names each picture's sampling on standard output.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = fuzz::Scratch() / "picture.dpf";
    fuzz::WriteBytes(file, data, size);
    Size lcd{32, 24};
    if (size >= 4) {
        const Size own{data[0] * 256 + data[1], data[2] * 256 + data[3]};
        if (own.width >= 1 && own.width <= 256 && own.height >= 1 && own.height <= 256) lcd = own;
    }
    fuzz::CanvasRig rig(lcd);
    static JpegDecoder decoder;
    rig.canvas.SetDpfDecoder(
        [lcd](const std::filesystem::path& stream, const std::filesystem::path& bitmap) {
            return decoder.decodeToBitmap(stream, bitmap, lcd.width, lcd.height);
        });
    rig.CheckOutcome(rig.canvas.ShowPicture(file.string()));
    return 0;
}
