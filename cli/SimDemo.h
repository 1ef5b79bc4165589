// framewise-cli sim demo: a simulated frame whose album holds pictures the program paints
// itself, for a first look at the program without a frame or photos of one's own.
#pragma once

#include <filesystem>

#include "cli/Command.h"
#include "device/FrameImage.h"

namespace framewise::cli {

// Creates the frame image with options, adds the demonstration pictures to its album and
// writes it. Refuses an existing image; a run that fails leaves no image behind. An exit code.
int CreateDemoFrame(Context& ctx, const std::filesystem::path& image,
                    const FrameImageOptions& options);

}  // namespace framewise::cli
