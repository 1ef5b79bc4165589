// Save and Save All: album pictures copied out of the album folder to a place the user
// chooses, as the BMP album files themselves or re-encoded as JFIF files.
#pragma once

#include <filesystem>
#include <string>

#include "album/AlbumFolder.h"
#include "album/AlbumListModel.h"
#include "codec/JpegEncoder.h"
#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "transfer/DeviceConnection.h"

namespace framewise {

// What a save needs of the window: the album, the shared encoder and buffers, the user.
struct SaveContext {
    AlbumFolder& folder;
    AlbumListModel& list;
    const AppState& state;
    Frontend& frontend;
    const Language& language;
    JpegEncoder& encoder;
    DeviceConnection& connection;  // FrameBuffer, StreamBuffer and the LCD size
};

// The format question: Yes for BMP files, No for JPG files, Cancel for neither.
inline constexpr const char* kSaveFormatKey = "SAVE_TIPS_2";
inline constexpr const char* kSaveFormatText =
    "Want to save as BMP files, please select Yes, else if you want to save as JPG files, "
    "please select NO!";

struct SaveOutcome {
    bool finished = false;  // the walk reached its end (the final message was shown)
    int written = 0;        // files written
    int skipped = 0;        // existing files the user chose to keep
};

// The name of the picture at list position `position` (from 0) in folder: "%04d.bmp" or
// "%04d.jpg" of position + 1, without a doubled separator when folder ends with one.
std::filesystem::path SaveTargetName(const std::string& folder, int position, bool bmp);

// Save (1033): the selected album pictures; one picture goes through the save-file dialog.
SaveOutcome SavePictures(SaveContext& ctx);
// Save All (1034): every album picture into one folder.
SaveOutcome SaveAllPictures(SaveContext& ctx);

enum class JpegWrite { Written, NotEncoded, CannotCreate };

// One album picture (its list item text) as a JFIF file at quality 100, chroma halved both
// ways, through FrameBuffer and StreamBuffer. Nothing is left at the target when the picture
// cannot be encoded or the file cannot be written whole; the caller says so.
JpegWrite WriteJpegFile(SaveContext& ctx, const std::string& itemText,
                        const std::filesystem::path& target);

}  // namespace framewise
