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

// The message for a picture that cannot be loaded: PICDESTROY_TIPS.
void ShowPictureDestroyed(Frontend& frontend, const Language& language);

}  // namespace framewise
