#include "browser/ThumbnailRender.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "codec/JpegDecoder.h"
#include "codec/JpegHeaderScan.h"
#include "picture/Geometry.h"
#include "picture/PreviewCanvas.h"

namespace framewise {
namespace {

namespace fs = std::filesystem;

bool HasDpfExtension(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".dpf";
}

std::vector<uint8_t> ReadHead(const fs::path& file, std::size_t limit) {
    std::vector<uint8_t> head(limit);
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(limit));
    head.resize(std::size_t(in.gcount()));
    return head;
}

// See-through parts are shown on white, as the preview shows them.
QImage Flatten(const QImage& image) {
    if (!image.hasAlphaChannel()) return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

RenderedThumbnail Framed(const QImage& picture, int side, QColor face, ThumbnailSource source) {
    if (picture.isNull()) return {};
    return {MakeFrameImage(Flatten(picture), Size{side, side}, face), source};
}

// The camera's own small picture, when it can stand for the whole one.
QImage EmbeddedThumbnail(const std::vector<uint8_t>& head, const JpegHeaderScan& scan, int side,
                         const ThumbnailLimits& limits) {
    if (scan.thumbnailLength == 0 || scan.width <= 0 || scan.height <= 0) return {};
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(head.data() + scan.thumbnailOffset),
                                qsizetype(scan.thumbnailLength));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    if (static_cast<long long>(size.width()) * size.height() > limits.maxWholePixels) return {};
    if (!EmbeddedThumbnailFits(size.width(), size.height(), scan.width, scan.height, side))
        return {};
    const QImage stored = reader.read();
    if (stored.size() != size) return {};
    return ApplyExifOrientation(stored, scan.orientation);
}

// The picture decoded no larger than needed: JPEG scales by 1/2, 1/4 or 1/8 while decoding.
QImage ReducedDecode(const fs::path& file, int side, const ThumbnailLimits& limits) {
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty()) return {};
    const long long pixels = static_cast<long long>(stored.width()) * stored.height();
    const bool scales = reader.format() == "jpeg";
    if (pixels > (scales ? limits.maxPixels : limits.maxWholePixels)) return {};
    if (scales) {
        // The scaled size is in the file's own orientation; the turn comes after.
        const int k = DctScaleDenominator(stored.width(), stored.height(), side);
        if (k > 1)
            reader.setScaledSize(
                QSize((stored.width() + k - 1) / k, (stored.height() + k - 1) / k));
    }
    return reader.read();
}

QImage DevicePicture(const fs::path& file, const ThumbnailLimits& limits) {
    std::error_code ec;
    const auto length = fs::file_size(file, ec);
    if (ec || length > limits.maxDpfBytes) return {};
    const std::vector<uint8_t> data = ReadHead(file, std::size_t(length));
    int width = 0, height = 0;
    if (!ReadStreamSize(data.data(), data.size(), width, height) || width <= 0 || height <= 0 ||
        width > limits.maxDpfSide || height > limits.maxDpfSide)
        return {};
    JpegDecoder decoder;
    DecodedPicture decoded;
    if (!decoder.decode(data.data(), data.size(), width, height, decoded)) return {};
    QImage image(decoded.width, decoded.height, QImage::Format_RGB32);
    for (int y = 0; y < decoded.height; ++y) {
        const uint8_t* bgr = decoded.bgr.data() + std::size_t(y) * decoded.width * 3;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < decoded.width; ++x)
            line[x] = qRgb(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]);
    }
    return image;
}

}  // namespace

bool EmbeddedThumbnailFits(int thumbWidth, int thumbHeight, int width, int height, int side) {
    if (thumbWidth < side || thumbHeight < side || width <= 0 || height <= 0) return false;
    const long long skew = std::llabs(static_cast<long long>(thumbWidth) * height -
                                      static_cast<long long>(thumbHeight) * width);
    return skew <= std::max(width, height);
}

int DctScaleDenominator(int width, int height, int side) {
    for (int k : {8, 4, 2})
        if ((width + k - 1) / k >= side && (height + k - 1) / k >= side) return k;
    return 1;
}

QImage ApplyExifOrientation(const QImage& stored, int orientation) {
    const QTransform quarter = QTransform().rotate(90);  // clockwise on screen
    switch (orientation) {
        case 2:
            return stored.mirrored(true, false);
        case 3:
            return stored.mirrored(true, true);
        case 4:
            return stored.mirrored(false, true);
        case 5:
            return stored.transformed(quarter).mirrored(true, false);
        case 6:
            return stored.transformed(quarter);
        case 7:
            return stored.transformed(quarter).mirrored(false, true);
        case 8:
            return stored.transformed(QTransform().rotate(270));
        default:
            return stored;
    }
}

RenderedThumbnail RenderThumbnail(const fs::path& file, int side, QColor buttonFace,
                                  const ThumbnailLimits& limits) {
    if (side <= 0) return {};
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) == 0 || ec) return {};
    if (HasDpfExtension(file))
        return Framed(DevicePicture(file, limits), side, buttonFace,
                      ThumbnailSource::DevicePicture);
    const std::vector<uint8_t> head = ReadHead(file, limits.headBytes);
    const JpegHeaderScan scan = ScanJpegHeader(head.data(), head.size());
    if (scan.isJpeg && static_cast<long long>(scan.width) * scan.height > limits.maxPixels)
        return {};
    if (scan.isJpeg) {
        const QImage embedded = EmbeddedThumbnail(head, scan, side, limits);
        if (!embedded.isNull())
            return Framed(embedded, side, buttonFace, ThumbnailSource::Embedded);
    }
    return Framed(ReducedDecode(file, side, limits), side, buttonFace, ThumbnailSource::Decoded);
}

}  // namespace framewise
