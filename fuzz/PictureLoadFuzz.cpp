// The picture loading path of Add over arbitrary files: the completeness check, Qt's image
// readers decided by content (JPEG, PNG, GIF, BMP and whatever else the plugins read) behind
// our size limits, the fit to the working bitmap and the cut Add stores.
#include <cstdint>

#include "QtFuzzSupport.h"

using namespace framewise;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = fuzz::Scratch() / "picture";
    fuzz::WriteBytes(file, data, size);
    fuzz::CanvasRig rig({128, 96});
    rig.CheckOutcome(rig.canvas.ShowPicture(file.string()));
    return 0;
}
