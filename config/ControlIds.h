// The numeric identifiers of the main window's controls, its status bar, the About box lines
// and the menu commands; widgets carry them so that code and tests find each control by id.
#pragma once

namespace framewise {

enum ControlId : int {
    kIdExit = 2,                  // push button "Exit"
    kIdSynchronize = 1001,        // push button "Synchronize"
    kIdZoomIn = 1004,             // image button "+"
    kIdAlbumList = 1005,          // album list (icon view)
    kIdDelete = 1006,             // push button "Delete"
    kIdRead = 1007,               // push button "Read", never shown
    kIdZoomOut = 1008,            // image button "-"
    kIdSelectAll = 1009,          // push button "Select All"
    kIdRotateRight = 1011,        // image button "RotateR"
    kIdRect = 1012,               // image button "Rect" / "Clear"
    kIdStatusBar = 1013,          // status window, recreated by every layout and caption change
    kIdPictureTotal = 1017,       // static text "Total Pictures:\n 0 / 0"
    kIdAdd = 1019,                // image button "Add"
    kIdPreviewGroup = 1020,       // group box framing the preview canvas
    kIdMoveUp = 1021,             // image button "Up"
    kIdMoveDown = 1022,           // image button "Down"
    kIdRotateLeft = 1023,         // image button "RotateL"
    kIdFolderTree = 1025,         // folder tree
    kIdProgress = 1027,           // transfer progress bar
    kIdSave = 1033,               // push button "Save"
    kIdSaveAll = 1034,            // push button "Save All"
    kIdConnection = 1039,         // device connection indicator
    kIdAlbumGroup = 1042,         // group box framing the album list
    kIdQualityLabel = 1067,       // static text "Jpg Quality:"
    kIdQualitySlider = 1069,      // JPEG quality track bar
    kIdFolderPictureList = 1070,  // folder picture list (icon view)

    // About box lines.
    kIdAboutFlashSize = 1047,
    kIdAboutFirmware = 1048,
    kIdAboutLink = 1050,
    kIdAboutProduct = 1064,
    kIdAboutNotice = 1066,
};

enum CommandId : int {
    kCmdAbout = 16,              // the About entry of the system menu
    kCmdAddAccelerator = 32789,  // Ctrl+Right: Add while no batch runs
    kCmdFirstLanguage = 9002,    // language i of the context menu is 9002 + i
    kCmdLastLanguage = 9102,
    kCmdRestore = 9200,          // "Restore frame from backup…" of the context menu
};

// The context menu command of language index i.
constexpr int kCmdLanguage(int index) {
    return kCmdFirstLanguage + index;
}

}  // namespace framewise
