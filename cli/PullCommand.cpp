// framewise-cli pull: reads the frame's album and writes every picture into a folder, as
// 0001.bmp (the album file itself) or 0001.jpg (a JFIF file as Save All writes it).
#include <cstdio>
#include <fstream>
#include <ostream>
#include <system_error>

#include "cli/Command.h"
#include "cli/SessionFrontend.h"
#include "codec/BmpFile.h"
#include "codec/JpegEncoder.h"

namespace framewise::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSynopsis = "pull DIR [--format bmp|jpg]";

// Save All's JPEG form: JFIF, quality 100, chroma halved both ways (layout flags 3).
bool WriteJfif(const fs::path& albumFile, const fs::path& target, std::string& error) {
    BmpImage image;
    if (!ReadBmp24(albumFile, image, &error)) return false;
    JpegEncoder encoder(100);
    encoder.jfifMode = true;
    encoder.setQuality(100);
    const uint32_t flags = kLayoutChromaHalfWidth | kLayoutChromaHalfHeight;
    std::vector<uint8_t> out(JpegEncoder::MaxEncodedSize(image.width, image.height, flags));
    size_t size = 0;
    if (!encoder.encode(image.rows.data(), out.data(), image.width, image.height, size, flags,
                        out.size())) {
        error = "the picture could not be encoded";
        return false;
    }
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(size));
    if (!file.flush()) {
        error = "cannot write " + target.string();
        return false;
    }
    return true;
}

int RunPull(Context& ctx) {
    std::optional<std::string> format;
    if (!TakeOption(ctx.args, "--format", format, ctx.err)) return kExitUsage;
    const std::string ext = format.value_or("bmp");
    if ((ext != "bmp" && ext != "jpg") || ctx.args.size() != 1 || ctx.args[0].rfind("--", 0) == 0) {
        ctx.err << "usage: framewise-cli " << kSynopsis << "\n";
        return kExitUsage;
    }
    const fs::path dir = ctx.args[0];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        ctx.err << "framewise-cli: cannot make the folder " << dir.string() << "\n";
        return kExitFailure;
    }

    SessionFrontend frontend(ctx.err, SessionFrontend::StderrIsTerminal());
    FrameSession session(frontend);
    if (int code = OpenFrameSession(ctx, frontend, session, true); code != kExitOk) return code;

    const auto items = session.List().Items();
    for (size_t i = 0; i < items.size(); ++i) {
        // Named by list position, as Save All names them.
        char name[32];
        std::snprintf(name, sizeof name, "%04d.%s", static_cast<int>(i + 1), ext.c_str());
        const fs::path source = session.Folder().PathOf(items[i].name);
        const fs::path target = dir / name;
        std::string error;
        bool ok;
        if (ext == "bmp") {
            ok = fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec) && !ec;
            if (!ok) error = ec.message();
        } else {
            ok = WriteJfif(source, target, error);
        }
        if (!ok) {
            ctx.err << "framewise-cli: cannot write " << target.string() << ": " << error << "\n";
            return kExitFailure;
        }
    }
    ctx.out << "Wrote " << items.size() << (items.size() == 1 ? " picture" : " pictures") << " to "
            << dir.string() << "\n";
    return kExitOk;
}

const CommandRegistrar kPull({"pull", kSynopsis,
                              "read the frame's album and write its pictures into DIR as "
                              "0001.bmp ... or JPEG files",
                              RunPull});

}  // namespace
}  // namespace framewise::cli
