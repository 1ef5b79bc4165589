#include "picture/PictureLoader.h"

#include <QImageReader>
#include <system_error>

#include "config/Frontend.h"
#include "config/Language.h"

namespace framewise {

bool ReadPictureFile(const std::filesystem::path& file, QImage& picture) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    const auto length = std::filesystem::file_size(file, ec);
    if (ec || length == 0) return false;

    QImageReader reader(QString::fromStdString(file.string()));
    // A picture is what its bytes say it is, whatever its name ends in.
    reader.setDecideFormatFromContent(true);
    // Phone photos store the sensor's orientation and an EXIF tag saying how to turn it.
    reader.setAutoTransform(true);
    QImage decoded = reader.read();
    if (decoded.isNull() || decoded.width() <= 0 || decoded.height() <= 0) return false;
    picture = std::move(decoded);
    return true;
}

void ShowPictureDestroyed(Frontend& frontend, const Language& language) {
    frontend.ShowMessage(language.Tr("PICDESTROY_TIPS", "The picture is destroyed!"));
}

}  // namespace framewise
