#include "picture/SavePictures.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "config/TextTables.h"
#include "picture/AlbumPictureReader.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCannotSave = "cannot save in this file,please choose other path!";
constexpr uint32_t kJfifLayout = kLayoutChromaHalfWidth | kLayoutChromaHalfHeight;

enum class Format { Bmp, Jpeg };

// A save needs the device: the album belongs to it, and the buffers exist only with it.
bool Attached(const SaveContext& ctx) {
    return ctx.state.m_bAttached.load() && ctx.connection.IsConnected();
}

void ShowFailed(SaveContext& ctx, BuiltInMessage message, const fs::path& target) {
    ctx.frontend.ShowMessage(FormatText(BuiltInText(message, ctx.language), target.string()));
}

std::optional<Format> ChooseFormat(SaveContext& ctx) {
    const Answer answer =
        ctx.frontend.AskYesNoCancel(ctx.language.Tr(kSaveFormatKey, kSaveFormatText));
    if (answer == Answer::Yes) return Format::Bmp;
    if (answer == Answer::No) return Format::Jpeg;
    return std::nullopt;
}

std::optional<std::string> ChooseTargetFolder(SaveContext& ctx, Format format) {
    const std::string title = format == Format::Bmp
                                  ? ctx.language.Tr("SAVEBMPDIR_TIPS", "Choose Save BMP Directory")
                                  : ctx.language.Tr("SAVEJPGDIR_TIPS", "Choose Save JPG Directory");
    std::optional<std::string> folder = ctx.frontend.ChooseFolder(title);
    if (!folder) return std::nullopt;
    if (folder->empty()) {
        ctx.frontend.ShowWarning("Message", kCannotSave);
        return std::nullopt;
    }
    return folder;
}

bool CopyAlbumFile(SaveContext& ctx, const std::string& itemText, const fs::path& target) {
    std::error_code ec;
    return fs::copy_file(ctx.folder.PathOf(itemText), target, fs::copy_options::overwrite_existing,
                         ec) &&
           !ec;
}

// The walk of Save (several pictures) and Save All over the given list positions.
SaveOutcome SaveInto(SaveContext& ctx, const std::vector<int>& positions) {
    SaveOutcome outcome;
    const std::optional<Format> format = ChooseFormat(ctx);
    if (!format) return outcome;
    const std::optional<std::string> folder = ChooseTargetFolder(ctx, *format);
    if (!folder) return outcome;

    for (int position : positions) {
        // A device that went away ends the walk without a word.
        if (!Attached(ctx)) return outcome;
        const fs::path target = SaveTargetName(*folder, position, *format == Format::Bmp);
        std::error_code ec;
        if (fs::exists(target, ec) &&
            !ctx.frontend.AskYesNo(FormatText(BuiltInText(BuiltInMessage::FileExists, ctx.language),
                                              target.string()))) {
            ++outcome.skipped;
            continue;
        }
        const std::string text = ctx.list.ItemText(position);
        if (*format == Format::Bmp) {
            if (!CopyAlbumFile(ctx, text, target)) {
                ctx.frontend.ShowWarning("Message", kCannotSave);
                return outcome;
            }
        } else if (JpegWrite result = WriteJpegFile(ctx, text, target);
                   result != JpegWrite::Written) {
            if (result == JpegWrite::NotEncoded) {
                ShowFailed(ctx, BuiltInMessage::SaveFileFailed, target);
            } else {
                ctx.frontend.ShowWarning("Message", kCannotSave);
            }
            return outcome;
        }
        ++outcome.written;
    }
    ctx.frontend.ShowMessage(ctx.language.Tr("SAVEPICFINISH_TIPS", "All pics were saved!"));
    outcome.finished = true;
    return outcome;
}

std::string LowerExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

fs::path SaveTargetName(const std::string& folder, int position, bool bmp) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.%s", position + 1, bmp ? "bmp" : "jpg");
    if (!folder.empty() && folder.back() == '/') return fs::path(folder + name);
    return fs::path(folder + "/" + name);
}

JpegWrite WriteJpegFile(SaveContext& ctx, const std::string& itemText, const fs::path& target) {
    DeviceConnection& conn = ctx.connection;
    const DeviceInfo& info = conn.Info();
    const Size lcd{info.lcdWidth, info.lcdHeight};
    // The number is the first four characters of the item text ("0012.bmp" -> 12).
    const int number = AlbumFolder::NumberOf(itemText.substr(0, 4));
    const size_t needed = static_cast<size_t>(FrameRowStride(lcd.width)) *
                          static_cast<size_t>(std::max(0, lcd.height));
    if (conn.FrameBuffer.size() < needed) conn.FrameBuffer.resize(needed, 0);
    // Read beside the shared buffer and copied into its front, so that FrameBuffer keeps the
    // size the connection gave it. A picture that cannot be opened has been reported; the JPEG
    // is then made of whatever the buffer holds.
    std::vector<uint8_t> pixels;
    if (ReadAlbumPicture(ctx.folder.Path(), number, lcd, pixels, ctx.language, ctx.frontend)) {
        std::copy_n(pixels.begin(), std::min(pixels.size(), needed), conn.FrameBuffer.begin());
    }

    ctx.encoder.jfifMode = true;
    ctx.encoder.setQuality(100);
    size_t size = 0;
    const bool encoded =
        !conn.StreamBuffer.empty() &&
        ctx.encoder.encode(conn.FrameBuffer.data(), conn.StreamBuffer.data(), lcd.width, lcd.height,
                           size, kJfifLayout, conn.StreamBuffer.size());
    // Without a result nothing is written: an empty or cut-off file would pass for a picture.
    if (!encoded) return JpegWrite::NotEncoded;
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return JpegWrite::CannotCreate;
    out.write(reinterpret_cast<const char*>(conn.StreamBuffer.data()),
              static_cast<std::streamsize>(size));
    if (!out.flush()) {
        out.close();
        std::error_code ec;
        fs::remove(target, ec);
        return JpegWrite::CannotCreate;
    }
    return JpegWrite::Written;
}

SaveOutcome SavePictures(SaveContext& ctx) {
    SaveOutcome outcome;
    if (ctx.state.m_bBatchAdding) return outcome;
    const std::vector<int> selected = ctx.list.SelectedIndices();
    if (selected.empty()) {
        ctx.frontend.ShowMessage(
            ctx.language.Tr("SAVE_TIPS_1", "You should select one pic at least!"));
        return outcome;
    }
    if (selected.size() > 1) return SaveInto(ctx, selected);

    const std::optional<std::string> chosen =
        ctx.frontend.ChooseSaveFile("BMP", "jpg files (*.JPG)|*.jpg|bmp files (*.BMP)|*.bmp||");
    if (!chosen || chosen->empty() || !Attached(ctx)) return outcome;
    const fs::path target(*chosen);
    // The picture saved is the one selected (the selection mark may still sit on the item
    // a rebuild last marked).
    const std::string text = ctx.list.ItemText(selected.front());
    if (LowerExtension(target) == "bmp") {
        if (!CopyAlbumFile(ctx, text, target)) {
            ShowFailed(ctx, BuiltInMessage::SaveFileFailed, target);
            return outcome;
        }
    } else if (WriteJpegFile(ctx, text, target) != JpegWrite::Written) {
        // A picture that was not saved is said so, whether it would not encode or the file
        // could not be written.
        ShowFailed(ctx, BuiltInMessage::SaveFileFailed, target);
        return outcome;
    }
    outcome.written = 1;
    outcome.finished = true;
    return outcome;
}

SaveOutcome SaveAllPictures(SaveContext& ctx) {
    if (ctx.state.m_bReading || ctx.state.m_bBatchAdding) return {};
    const int count = ctx.list.ItemCount();
    if (count == 0) return {};
    std::vector<int> positions(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) positions[static_cast<size_t>(i)] = i;
    return SaveInto(ctx, positions);
}

}  // namespace framewise
