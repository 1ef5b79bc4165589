#include "album/AlbumThumbnail.h"

#include "album/AlbumListModel.h"
#include "album/ThumbnailScale.h"
#include "codec/BmpFile.h"

namespace framewise {

std::vector<uint8_t> LoadAlbumThumbnail(const std::filesystem::path& file, int width, int height) {
    BmpImage image;
    if (!ReadBmp24(file, image, nullptr)) return {};
    const int stride = BmpRowStride(image.width);
    if (image.rows.size() < static_cast<size_t>(stride) * static_cast<size_t>(image.height)) {
        return {};
    }
    return AreaScaleToRgb(image.rows.data(), image.width, image.height, stride, width, height);
}

AlbumListModel::AlbumListModel(AlbumFolder& folder, const AppState& state)
    : AlbumListModel(folder, state, &LoadAlbumThumbnail) {}

}  // namespace framewise
