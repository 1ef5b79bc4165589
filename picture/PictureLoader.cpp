#include "picture/PictureLoader.h"

#include <QImageReader>
#include <algorithm>
#include <system_error>

#include "config/Frontend.h"
#include "config/Language.h"
#include "picture/PictureCompleteness.h"

namespace framewise {

namespace {

// A file cut short would be read with its missing part filled in grey and stored as a photo.
bool WholeNonEmptyFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    const auto length = std::filesystem::file_size(file, ec);
    return !ec && length > 0 && !PictureFileCutShort(file);
}

// No picture is decoded into more than this, whatever the Qt version's own default: a header
// that declares a giant picture (30000 x 30000 is 3.6 GB) is refused before anything is
// allocated. A JPEG is decoded reduced (to an eighth at most), so only its reduced size counts.
constexpr int kDecodeLimitMb = 128;

void Prepare(QImageReader& reader) {
    static const bool limited = [] {
        QImageReader::setAllocationLimit(kDecodeLimitMb);
        return true;
    }();
    (void)limited;
    // A picture is what its bytes say it is, whatever its name ends in.
    reader.setDecideFormatFromContent(true);
    // Phone photos store the sensor's orientation and an EXIF tag saying how to turn it.
    reader.setAutoTransform(true);
}

bool Usable(const QImage& image) {
    return !image.isNull() && image.width() > 0 && image.height() > 0;
}

// The frame has no transparency: see-through parts of a PNG or GIF are shown on white, as a
// viewer shows them, instead of whatever colour the transparent pixels happen to carry.
QImage OnWhite(QImage image) {
    if (!image.hasAlphaChannel()) return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            line[x] = qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p)));
        }
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

bool ReadPictureFile(const std::filesystem::path& file, QImage& picture) {
    if (!WholeNonEmptyFile(file)) return false;
    QImageReader reader(QString::fromStdString(file.string()));
    Prepare(reader);
    QImage decoded = reader.read();
    if (!Usable(decoded)) return false;
    picture = OnWhite(std::move(decoded));
    return true;
}

bool ReadPictureReduced(const std::filesystem::path& file, int limit, ReducedPicture& picture) {
    if (!WholeNonEmptyFile(file)) return false;
    QImageReader reader(QString::fromStdString(file.string()));
    Prepare(reader);
    QSize stored = reader.size();
    // The reader scales in the file's own orientation, before turning the picture upright.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    QSize upright = turned ? stored.transposed() : stored;
    const int longer = std::max(upright.width(), upright.height());
    const bool reduce = stored.isValid() && limit > 0 && longer > 4 * limit;
    if (reduce) {
        const double scale = 2.0 * limit / longer;
        const QSize target(std::max(1, int(upright.width() * scale)),
                           std::max(1, int(upright.height() * scale)));
        reader.setScaledSize(turned ? target.transposed() : target);
    }
    QImage decoded = reader.read();
    if (!Usable(decoded)) return false;
    picture.fullSize = reduce ? upright : decoded.size();
    picture.image = OnWhite(std::move(decoded));
    return true;
}

void ShowPictureDestroyed(Frontend& frontend, const Language& language) {
    frontend.ShowMessage(language.Tr("PICDESTROY_TIPS", "The picture is destroyed!"));
}

}  // namespace framewise
