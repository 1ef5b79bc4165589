#include "config/DeviceKeys.h"

namespace framewise {

namespace {
ThumbnailKeys ReadKeys(const Settings& settings, bool shipped) {
    auto read = [&](const char* key) {
        return shipped ? settings.ReadShippedInt("info", key, 0) : settings.ReadInt("info", key, 0);
    };
    return {read("ThumbWidth"), read("ThumbColumn"), read("SThumbWidth"), read("SThumbColumn")};
}

bool Same(const ThumbnailKeys& a, const ThumbnailKeys& b) {
    return a.thumbWidth == b.thumbWidth && a.thumbColumn == b.thumbColumn &&
           a.sThumbWidth == b.sThumbWidth && a.sThumbColumn == b.sThumbColumn;
}
}  // namespace

ThumbnailKeys ReadThumbnailKeysAtAttach(const Settings& settings) {
    ThumbnailKeys shipped = ReadKeys(settings, true);
    ThumbnailKeys current = ReadKeys(settings, false);
    if (Same(shipped, current)) return current;
    settings.ResetCurrentFromShipped();
    return ReadKeys(settings, false);
}

void WriteDeviceValues(const Settings& settings, const DeviceValues& values) {
    settings.WriteText("info", "FirmwareVer", values.firmwareVersion);
    settings.WriteText("info", "FlashType", values.flashType);
    settings.WriteText("LCD", "Width", std::to_string(values.lcdWidth));
    settings.WriteText("LCD", "Height", std::to_string(values.lcdHeight));
    settings.WriteText("info", "FlashSize", std::to_string(values.flashSizeKB));
}

}  // namespace framewise
