// Loading an album file as a thumbnail of the album list: the bitmap read (16, 24 or 32-bit)
// and reduced by area averaging to the thumbnail size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace framewise {

// RGB rows, top-down, width × height; empty when the file cannot be read as a bitmap.
std::vector<uint8_t> LoadAlbumThumbnail(const std::filesystem::path& file, int width, int height);

}  // namespace framewise
