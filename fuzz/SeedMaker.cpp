// Writes the seed corpora of the fuzz targets: device picture streams from our own encoder in
// every layout, bitmaps from our own writer and by hand, the shipped profile files in both
// encodings, frame flash with albums on it, and pictures in the formats Add reads. Run by hand
// (fuzz_seeds SOURCE_DIR) after changing what a target reads; the seeds are committed.
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/BmpFile.h"
#include "codec/JpegEncoder.h"

using namespace framewise;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

fs::path g_corpus;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = g_corpus / target;
    fs::create_directories(folder);
    std::ofstream(folder / ("seed-" + name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Smooth gradients with an edge, as bottom-up BGR rows of the encoder's stride.
Bytes Pixels(int width, int height, int seed) {
    const int stride = BmpRowStride(width);
    Bytes rows(size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rows[size_t(y) * stride + size_t(x) * 3];
            p[0] = uint8_t(x * 9 + seed * 40);
            p[1] = uint8_t(y * 7 + seed * 17);
            p[2] = uint8_t(x > width / 2 ? 230 : 20 + seed * 30);
        }
    return rows;
}

Bytes Stream(int width, int height, uint32_t flags, int quality, int seed) {
    JpegEncoder encoder{uint16_t(quality)};
    encoder.jfifMode = false;
    const Bytes pixels = Pixels(width, height, seed);
    Bytes out(JpegEncoder::MaxEncodedSize(width, height, flags));
    size_t size = 0;
    if (!encoder.encode(pixels.data(), out.data(), width, height, size, flags, out.size())) {
        std::fprintf(stderr, "encode %dx%d flags %u failed\n", width, height, flags);
        std::exit(1);
    }
    out.resize(size);
    return out;
}

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Put24(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8), b[at + 2] = uint8_t(v >> 16);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v), Put16(b, at + 2, v >> 16);
}

void StreamSeeds() {
    Seed("stream_decoder", "16x16-h1v1", Stream(16, 16, 0, 90, 0));
    Seed("stream_decoder", "24x16-h2v2", Stream(24, 16, 3, 75, 1));
    Seed("stream_decoder", "17x9-h2v1", Stream(17, 9, 1, 50, 2));
    Seed("stream_decoder", "9x17-h1v2", Stream(9, 17, 2, 30, 3));
    Seed("stream_decoder", "16x8-no-tables", Stream(16, 8, 4, 60, 4));
    Seed("stream_decoder", "16x8-no-index", Stream(16, 8, 8, 95, 5));
    Seed("stream_decoder", "32x16-bare-h2v2", Stream(32, 16, 15, 10, 6));
    Bytes cut = Stream(16, 16, 0, 90, 7);
    cut.resize(cut.size() - 9);
    Seed("stream_decoder", "16x16-cut-short", cut);
}

// A bitmap by hand: 40-byte information header, optional bit-field masks, then rows.
Bytes Bitmap(int width, int height, int bits, uint32_t compression, const Bytes& masks,
             const Bytes& rows) {
    Bytes b(54, 0);
    b[0] = 'B', b[1] = 'M';
    const uint32_t offset = uint32_t(54 + masks.size());
    Put32(b, 2, uint32_t(offset + rows.size()));
    Put32(b, 10, offset);
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, uint32_t(bits));
    Put32(b, 30, compression);
    b.insert(b.end(), masks.begin(), masks.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

void BmpSeeds() {
    const Bytes rows24 = Pixels(5, 3, 1);
    Seed("bmp", "5x3-24bit", EncodeBmp24(5, 3, rows24.data(), 300));
    Bytes rows16(size_t(8) * 3, 0);  // 3 pixels of 2 bytes, padded to 8
    for (size_t i = 0; i < rows16.size(); ++i) rows16[i] = uint8_t(i * 29);
    Seed("bmp", "3x3-16bit-555", Bitmap(3, 3, 16, 0, {}, rows16));
    Bytes masks565(12, 0);
    Put32(masks565, 0, 0xF800), Put32(masks565, 4, 0x07E0), Put32(masks565, 8, 0x001F);
    Seed("bmp", "3x3-16bit-565", Bitmap(3, 3, 16, 3, masks565, rows16));
    Bytes rows32(size_t(4) * 2 * 2, 0);
    for (size_t i = 0; i < rows32.size(); ++i) rows32[i] = uint8_t(255 - i * 13);
    Seed("bmp", "2x2-32bit-topdown", Bitmap(2, -2, 32, 0, {}, rows32));
    Bytes masks32(12, 0);
    Put32(masks32, 0, 0x3FF00000), Put32(masks32, 4, 0x000FFC00), Put32(masks32, 8, 0x3FF);
    Seed("bmp", "2x2-32bit-10bit-fields", Bitmap(2, 2, 32, 3, masks32, rows32));
}

// Text of a UTF-16LE file with BOM, as UTF-8 (the shipped files hold no surrogates).
std::string Utf16ToUtf8(const Bytes& b) {
    std::string out;
    for (size_t i = 2; i + 1 < b.size(); i += 2) {
        const uint32_t u = b[i] | (b[i + 1] << 8);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6)), out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12)), out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

Bytes Prefixed(uint8_t mode, const std::string& text) {
    Bytes b{mode};
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

void ProfileSeeds(const fs::path& source) {
    const Bytes startInfo = ReadAll(source / "data" / "StartInfoUnicode.ini");
    Bytes asIs{0};
    asIs.insert(asIs.end(), startInfo.begin(), startInfo.end());
    Seed("profile", "startinfo-utf16-as-shipped", asIs);
    Seed("profile", "startinfo-utf8", Prefixed(0, Utf16ToUtf8(startInfo)));
    Seed("profile", "startinfo-utf8-bom", Prefixed(2, Utf16ToUtf8(startInfo)));
    // The language file's list and its English section.
    const std::string language = Utf16ToUtf8(ReadAll(source / "data" / "LanguageUnicode.ini"));
    const size_t chinese = language.find("[Chinese]");
    Seed("profile", "language-english-to-utf16", Prefixed(1, language.substr(0, chinese)));
    Seed("profile", "quirks",
         Prefixed(1,
                  "; comment\r\n[ info ]\r\n  LangIndex = \"  2 \"\r\nJpgQuality=-12abc\r\n"
                  "[Language]\nLan_1=English\n\n[English]\r\nIDC_BUTTON_SAVE=" +
                      std::string(300, 'x') +
                      "\r\n[LCD\r\nWidth=1\r\n[info]\r\n"
                      "Titlename=\xE4\xB8\xAD\xF0\x9F\x98\x80"));
}

// Frame flash as the album read takes it: header, index block, then the picture area.
Bytes Flash(int lcdW, int lcdH, int format, const std::vector<Bytes>& pictures, bool magic,
            uint32_t capacity = 0) {
    // A small flash (64 KB, index block at 32 KB): the fuzz target keeps flash this small.
    constexpr uint32_t kIndex = 0x8000;
    Bytes b(64 + 4096, 0xFF);
    std::memset(b.data(), 0, 32);
    Put24(b, 32, kIndex);
    Put16(b, 35, uint32_t(lcdW));
    Put16(b, 37, uint32_t(lcdH));
    b[39] = 0xD8, b[40] = 0, b[41] = 0, b[42] = 0;
    Put24(b, 43, 0x10000);
    Put16(b, 46, capacity);
    b[48] = uint8_t(format), b[49] = 80;
    uint8_t* index = b.data() + 64;
    std::memset(index, 0, 4096);
    if (magic) std::memcpy(index, "TQFS", 4);
    Put24(b, 64 + 9, kIndex);
    b[64 + 12] = 0x00, b[64 + 13] = 0x10;
    uint32_t address = kIndex + 4096;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const size_t e = 64 + 16 + 8 * i;
        b[e] = 1;
        Put24(b, e + 1, address);
        b[e + 4] = 0;
        Put24(b, e + 5, uint32_t(pictures[i].size()));
        b.insert(b.end(), pictures[i].begin(), pictures[i].end());
        address += uint32_t(pictures[i].size());
    }
    return b;
}

void FlashSeeds() {
    const std::vector<Bytes> three = {Stream(24, 16, 0, 80, 0), Stream(24, 16, 0, 60, 1),
                                      Stream(24, 16, 0, 40, 2)};
    Seed("flash_index", "three-pictures", Flash(24, 16, 1, three, true));
    Seed("flash_index", "two-pictures-h2v2",
         Flash(16, 16, 4, {Stream(16, 16, 3, 80, 3), Stream(16, 16, 3, 20, 4)}, true));
    Seed("flash_index", "no-album", Flash(24, 16, 1, {}, false));
    Bytes holes = Flash(24, 16, 1, three, true, 2);
    holes[64 + 16 + 8] = 0;  // the second entry freed: a hole the read closes
    Seed("flash_index", "hole-and-capacity-2", holes);
    Bytes damaged = Flash(24, 16, 1, three, true);
    damaged[damaged.size() - 700] ^= 0x5A;  // the middle picture's data damaged
    Seed("flash_index", "damaged-picture", damaged);
}

void DpfSeeds() {
    Seed("dpf_loader", "32x24-h1v1", Stream(32, 24, 0, 90, 0));
    Seed("dpf_loader", "20x12-h2v2", Stream(20, 12, 3, 50, 1));
    Seed("dpf_loader", "16x16-bare", Stream(16, 16, 12, 70, 2));
}

QImage Photo(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 90));
    QPainter painter(&image);
    painter.setBrush(QColor(230, 200, 40));
    painter.drawEllipse(QPoint(w / 2, h / 2), w / 5, h / 5);
    return image;
}

Bytes Saved(const QImage& image, const char* format, int quality = -1) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) {
        std::fprintf(stderr, "cannot write %s\n", format);
        std::exit(1);
    }
    return Bytes(data.begin(), data.end());
}

void PictureSeeds(const fs::path& source) {
    Seed("picture_load", "photo-40x30.jpg", Saved(Photo(40, 30), "JPG", 70));
    Seed("picture_load", "photo-24x36.png", Saved(Photo(24, 36), "PNG"));
    Seed("picture_load", "photo-17x5.bmp", Saved(Photo(17, 5), "BMP"));
    QImage alpha = Photo(12, 12).convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(3, 3, qRgba(10, 20, 30, 100));
    Seed("picture_load", "alpha-12x12.png", Saved(alpha, "PNG"));
    // A GIF by hand (Qt writes none): two colours, 8 x 8, LZW codes clear, 0, end.
    Seed("picture_load", "tiny-8x8.gif",
         Bytes{'G', 'I',  'F', '8', '9', 'a', 8, 0, 8, 0, 0x80, 0, 0, 0,    0,    0, 255, 255,
               255, 0x2C, 0,   0,   0,   0,   8, 0, 8, 0, 0,    2, 2, 0x44, 0x01, 0, 0x3B});
    // The hostile pictures of the tests are seeds as they stand.
    for (const auto& entry : fs::directory_iterator(source / "tests" / "data" / "hostile")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".py") continue;
        Seed(entry.path().extension() == ".dpf" ? "dpf_loader" : "picture_load", name,
             ReadAll(entry.path()));
    }
}

// The header scan takes JPEG files with EXIF blocks; the thumbnails take every picture, its
// first byte choosing the file name's extension (0 .jpg, 1 .dpf, 2 .png, 3 none).
void ThumbnailSeeds(const fs::path& source) {
    for (const auto& entry : fs::directory_iterator(source / "tests" / "data" / "exif")) {
        const Bytes jpeg = ReadAll(entry.path());
        const std::string name = entry.path().filename().string();
        Seed("jpeg_header_scan", name, jpeg);
        Bytes named{0};
        named.insert(named.end(), jpeg.begin(), jpeg.end());
        Seed("thumbnail", name, named);
    }
    auto named = [](uint8_t kind, const Bytes& bytes) {
        Bytes b{kind};
        b.insert(b.end(), bytes.begin(), bytes.end());
        return b;
    };
    Seed("jpeg_header_scan", "photo-40x30.jpg", Saved(Photo(40, 30), "JPG", 70));
    Seed("thumbnail", "photo-40x30.jpg", named(0, Saved(Photo(40, 30), "JPG", 70)));
    Seed("thumbnail", "32x24-h1v1.dpf", named(1, Stream(32, 24, 0, 90, 0)));
    Seed("thumbnail", "photo-24x36.png", named(2, Saved(Photo(24, 36), "PNG")));
    Seed("thumbnail", "photo-17x5.bmp", named(3, Saved(Photo(17, 5), "BMP")));
    for (const auto& entry : fs::directory_iterator(source / "tests" / "data" / "hostile")) {
        if (entry.path().extension() == ".py") continue;
        const uint8_t kind = entry.path().extension() == ".dpf" ? 1 : 3;
        Seed("thumbnail", entry.path().filename().string(), named(kind, ReadAll(entry.path())));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds SOURCE_DIR\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const fs::path source = argv[1];
    g_corpus = source / "fuzz" / "corpus";
    StreamSeeds();
    BmpSeeds();
    ProfileSeeds(source);
    FlashSeeds();
    DpfSeeds();
    PictureSeeds(source);
    ThumbnailSeeds(source);
    return 0;
}
