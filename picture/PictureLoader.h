// Reading a picture file for the preview: every format the installed image plugins read
// (JPEG, BMP, GIF, PNG at least), decided by content, turned upright by its EXIF orientation.
#pragma once

#include <QImage>
#include <filesystem>

namespace framewise {

class Frontend;
class Language;

// The decoded, upright picture in picture. False (picture untouched) when the file is
// missing, is not a regular file, is empty, or cannot be decoded.
bool ReadPictureFile(const std::filesystem::path& file, QImage& picture);

// A picture read for a working bitmap no larger than a limit on its longer side.
struct ReducedPicture {
    QImage image;    // upright; at least twice the limit on its longer side when reduced
    QSize fullSize;  // the upright size of the picture in the file
};

// As ReadPictureFile, but a picture more than four times the limit on its longer side is
// decoded straight at twice the limit (JPEG scales while decoding), which keeps large photos
// fast and within the reader's memory limit. fullSize is what the fit is computed from.
bool ReadPictureReduced(const std::filesystem::path& file, int limit, ReducedPicture& picture);

// The message for a picture that cannot be loaded: PICDESTROY_TIPS.
void ShowPictureDestroyed(Frontend& frontend, const Language& language);

}  // namespace framewise
