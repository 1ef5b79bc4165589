#include "config/TextTables.h"

#include <array>

#include "config/Language.h"

namespace framewise {

namespace {

constexpr std::array kCaptions{
    KeyedText{1020, "IDC_STATIC_PREVIEW", "Preview: "},
    KeyedText{1042, "IDC_STATIC_PICSINDPF", "Pics In DPF:"},
    KeyedText{1023, "IDC_BUTTON_CHANGE_L", "RotateL"},
    KeyedText{1011, "IDC_BUTTON_CHANGE", "RotateR"},
    KeyedText{1001, "IDC_BUTTON_SEND", "Synchronize"},
    KeyedText{1009, "IDC_BUTTON_SELECTALL", "All"},
    KeyedText{1006, "IDC_BUTTON_DELECT", "Delete"},
    KeyedText{1033, "IDC_BUTTON_SAVE", "Save"},
    KeyedText{1034, "IDC_BUTTON_SAVEALL", "SaveAll"},
    KeyedText{2, "ID_EXIT", "Exit"},
    KeyedText{1019, "IDC_BTN_ADDTODPF", "Add"},
    kCaptionQuality,
};

constexpr KeyedText kDrawRect{1012, "IDC_BUTTON_DRAWRECT", "Rect"};
constexpr KeyedText kClearRect{1012, "IDC_BUTTON_CLEARRECT", "Clear"};
constexpr KeyedText kDrawRectTip{1012, "IDC_BUTTON_DRAWRECTTIPS", "Draw Rect"};
constexpr KeyedText kClearRectTip{1012, "IDC_BUTTON_CLEARRECTTIPS", "Clear Rect"};

// Registration order of the tooltips; index 8 is the Rect button's.
template <const KeyedText& Rect>
constexpr std::array kTooltips{
    KeyedText{2, "ID_EXITTIPS", "Exit"},
    KeyedText{1006, "IDC_BUTTON_DELECTTIPS", "Delete"},
    KeyedText{1011, "IDC_BUTTON_CHANGETIPS", "Rotate Right"},
    KeyedText{1001, "IDC_BUTTON_SENDTIPS", "Synchronize"},
    KeyedText{1004, "IDC_BUTTON_ZOOMINTIPS", "Zoom In"},
    KeyedText{1008, "IDC_BUTTON_ZOOMOUTTIPS", "Zoom Out"},
    KeyedText{1021, "IDC_BUTTON_UPPERTIPS", "Move Up"},
    KeyedText{1022, "IDC_BUTTON_DOWNWARDTIPS", "Move Down"},
    Rect,
    KeyedText{1019, "IDC_BTN_ADDTODPFTIPS", "Add Photo"},
    KeyedText{1023, "IDC_BUTTON_CHANGE_LTIPS", "Rotate Left"},
    KeyedText{1033, "IDC_BUTTON_SAVETIPS", "Save As"},
    KeyedText{1034, "IDC_BUTTON_SAVEALLTIPS", "Save all"},
    KeyedText{1009, "IDC_BUTTON_SELECTALLTIPS", "Select all"},
};

constexpr std::array kMessages{
    KeyedText{0, "DEVICEON_TIPS", "DPF Connected!"},
    KeyedText{0, "DEVICEOFF_TIPS", "DPF Detached!"},
    KeyedText{0, "INSERTDEVICE_TIPS", "Please insert the DPF device!"},
    KeyedText{0, "ALLOCMEMFAIL_TIPS", "Allocate memory failed, not enough memory to use!"},
    KeyedText{0, "SYNCHRONIZETIME_TIPS", "Synchronize time failed!"},
    KeyedText{0, "LCDSIZEZERO_TIPS", "LCD width is 0, it must have something wrong with your DPF!"},
    KeyedText{0, "NOPICS_TIPS", "No photos in device!"},
    KeyedText{0, "WARN_TIPS", "Don't pullout USB cable \nwhile reading or writing!"},
    KeyedText{0, "READVERIFY_TIPS", "Cannot read the verify value from the DPF!"},
    KeyedText{0, "VERIFYINDEX_TIPS",
              "Verify index failed! Please insert the Device and try again!"},
    KeyedText{0, "DOWNLOADING_TIPS", "Sending"},
    KeyedText{0, "DOWNFINISH_TIPS", "Finished!"},
    KeyedText{0, "READFINISH_TIPS", "Reading Finished!"},
    KeyedText{0, "WRITEINPROTECT_TIPS",
              "Download address wrong!It should not write in the protected address!"},
    KeyedText{0, "SENDING_TIPS", "Sending data, Please operate after sending finished!"},
    KeyedText{0, "STOP_TIPS_1", "Stop download and quit?"},
    KeyedText{0, "STOPDOWNLOAD_TIPS", "Stopping……"},
    KeyedText{0, "EXIT_TIPS_1",
              "The pictures in the Preview Album are not synchronized with the Watch. Do you "
              "really want to quit (and NOT download)?"},
    KeyedText{0, "EXIT_TIPS_2", "Really want to quit?"},
    KeyedText{0, "DELETE_TIPS_1", "Please select at least a pic before you delete it!"},
    KeyedText{0, "DELETE_TIPS_2", "Delete the selected photo(s)?"},
    KeyedText{0, "MOVE_TIPS_1", "Please select one pic only!"},
    KeyedText{0, "MEMFULL_TIPS_1",
              "The maximum number of images has been reached.  Delete some images before adding "
              "any more."},
    KeyedText{0, "PICDESTROY_TIPS", "The picture is destroyed!"},
    KeyedText{0, "SYSTEMCOLOR_TIPS",
              "The color quality of the system is less than 16 bit, the application cannot use in "
              "this situation!"},
    KeyedText{0, "SAVE_TIPS_1", "You should select one pic at least!"},
    KeyedText{0, "SAVE_TIPS_2",
              "Want to save as BMP files, please select Yes, else if you want to save as JPG "
              "files, please select NO!"},
    KeyedText{0, "SAVEBMPDIR_TIPS", "Choose Save BMP Directory"},
    KeyedText{0, "SAVEJPGDIR_TIPS", "Choose Save JPG Directory"},
    KeyedText{0, "SAVEPICFINISH_TIPS", "All pics were saved!"},
};

struct TwoLanguageText {
    std::string_view english;
    std::string_view chinese;
};

constexpr std::array kBuiltIn{
    TwoLanguageText{"Save %s file failed!", "保存文件 %s 失败!"},
    TwoLanguageText{"File %s existed, want to over write?", "文件 %s 已存在, 覆盖此文件吗?"},
    TwoLanguageText{"Cannot open file %s!", "无法打开文件 %s!"},
    TwoLanguageText{"Verify failed after write %d length data at address %l B!",
                    "在地址%l B写完长度为%d 的数据后校验失败!"},
    TwoLanguageText{"The dpf file %s is not suit for the size of this Device!",
                    "选取的dpf文件%s不适用于本设备的尺寸!"},
};

}  // namespace

std::span<const KeyedText> CaptionTable() {
    return kCaptions;
}

std::span<const KeyedText> MessageTable() {
    return kMessages;
}

KeyedText RectCaption(bool cropNext) {
    return cropNext ? kDrawRect : kClearRect;
}

std::span<const KeyedText> TooltipTable(bool cropNext) {
    if (cropNext) return kTooltips<kDrawRectTip>;
    return kTooltips<kClearRectTip>;
}

KeyedText RectTooltip(bool cropNext) {
    return cropNext ? kDrawRectTip : kClearRectTip;
}

std::string_view BuiltInText(BuiltInMessage message, bool chinese) {
    const auto& text = kBuiltIn[static_cast<size_t>(message)];
    return chinese ? text.chinese : text.english;
}

std::string BuiltInText(BuiltInMessage message, const Language& language) {
    return std::string(BuiltInText(message, language.IsChinese()));
}

std::string_view AccessDeniedText(int langIndex) {
    if (langIndex == 0) return "Refuse Access %s.Please access as an administrator.";
    if (langIndex == 1) return "拒绝访问 %s.请使用管理员权限.";
    return "Open the drv %s Error.";
}

}  // namespace framewise
