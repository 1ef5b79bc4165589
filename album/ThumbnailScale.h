// The album list's thumbnail scaling: an area-averaging resize of 24-bit bitmap rows to the
// thumbnail size, as the list's image slots hold them.
#pragma once

#include <cstdint>
#include <vector>

namespace framewise {

// Scales a 24-bit bottom-up BGR picture (rows of `stride` bytes) to width × height pixels,
// each the average of the source area it covers (fractional coverage weighted exactly).
// Answers RGB rows, top-down, 3 × width bytes each; empty when a size is not positive or
// the stride is too short.
std::vector<uint8_t> AreaScaleToRgb(const uint8_t* bottomUpBgr, int srcWidth, int srcHeight,
                                    int stride, int width, int height);

}  // namespace framewise
