// The language keys of the main window's captions and tooltips with their English defaults,
// and the built-in two-language messages that carry a file name or a number.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace framewise {

class Language;

struct KeyedText {
    int controlId;         // a ControlId; 0 for texts that belong to no single control
    std::string_view key;  // key in the language's section
    std::string_view englishDefault;
};

// Captions of the controls in the order they are applied (the Rect/Clear pair is not in it,
// see RectCaption). Folder tree root items and the status bar's left part are separate.
std::span<const KeyedText> CaptionTable();
inline constexpr KeyedText kCaptionMyComputer{0, "MY_COMPUTER", "My Computer"};
inline constexpr KeyedText kCaptionDesktop{0, "DESK_TOP", "Desktop"};
inline constexpr KeyedText kCaptionMyDocument{0, "MY_DOCUMENT", "My Document"};
// The label of the picture total. It is no caption: control 1017 shows only the whole total
// text (label, count and flash use), which UpdatePictureTotal writes.
inline constexpr KeyedText kPictureTotalLabel{0, "IDC_STATIC_HIDSTATUS", "Total Pictures"};
inline constexpr KeyedText kCaptionStatusLeft{1013, "STATUSBAR_LEFT", "Info:"};
inline constexpr KeyedText kCaptionQuality{1067, "IDC_STATIC_JPGQUALITY", "Jpg Quality:"};
// The Rect/Clear button's caption: "Rect" while the next press switches the rectangle on.
KeyedText RectCaption(bool cropNext);

// Tooltips in the order they are registered; the Rect entry stands for the pair of RectTooltip.
std::span<const KeyedText> TooltipTable(bool cropNext);
KeyedText RectTooltip(bool cropNext);

// Status texts and message box texts, keyed, with their English defaults (where a key has two
// defaults in different places, the first one; callers pass their own default to Tr).
std::span<const KeyedText> MessageTable();

// The built-in messages that exist in English and Chinese only.
enum class BuiltInMessage {
    SaveFileFailed,    // "Save %s file failed!"
    FileExists,        // "File %s existed, want to over write?"
    CannotOpenFile,    // "Cannot open file %s!"
    VerifyAfterWrite,  // "Verify failed after write %d length data at address %l B!"
    DpfNotForDevice,   // "The dpf file %s is not suit for the size of this Device!"
};
std::string_view BuiltInText(BuiltInMessage message, bool chinese);
// The form for the current language (Chinese when its name contains "Chinese").
std::string BuiltInText(BuiltInMessage message, const Language& language);

// The access-denied text of the drive scan, chosen by the language index itself:
// 0 English, 1 Chinese, any other the short English form. %s is the device path.
std::string_view AccessDeniedText(int langIndex);

}  // namespace framewise
