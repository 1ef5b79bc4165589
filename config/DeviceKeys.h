// The start-up file keys the device connection reads and writes at each attach: the thumbnail
// geometry (with its reset rule) and the recorded device values.
#pragma once

#include <string>

#include "config/Settings.h"

namespace framewise {

struct ThumbnailKeys {
    int thumbWidth = 0;    // ThumbWidth: album thumbnail width
    int thumbColumn = 0;   // ThumbColumn: album thumbnails per row
    int sThumbWidth = 0;   // SThumbWidth: folder thumbnail side
    int sThumbColumn = 0;  // SThumbColumn: folder thumbnails per row
};

// Reads the four thumbnail keys from the shipped file and the working copy; when any pair
// differs, the working copy is replaced by the shipped file (so the language choice returns to
// the shipped one) and the keys are read from it again.
ThumbnailKeys ReadThumbnailKeysAtAttach(const Settings& settings);

struct DeviceValues {
    std::string firmwareVersion;
    std::string flashType;
    int flashSizeKB = 0;
    int lcdWidth = 0;
    int lcdHeight = 0;
};

// Records the attached device in the current start-up file: [info] FirmwareVer, FlashType,
// FlashSize and [LCD] Width, Height.
void WriteDeviceValues(const Settings& settings, const DeviceValues& values);

}  // namespace framewise
