// Where the picture side (preview, crop, zoom, rotate, Add, the batch) and the folder browser
// plug into the program's wiring. Every hook may be left empty; the album side then does the
// least that keeps the window sound (noted at each hook).
#pragma once

#include <functional>
#include <string>

namespace framewise {

struct PictureSideHooks {
    // The picture commands (1019, 1004, 1008, 1012, 1023, 1011). Empty: the command does
    // nothing.
    std::function<void()> add, zoomIn, zoomOut, toggleRect, rotateLeft, rotateRight;
    // Whether the next Rect press switches the crop rectangle on (the Rect/Clear captions).
    // Empty: the rectangle counts as on.
    std::function<bool()> cropNext;

    // The picture side's window events. Empty for "ReceivePic": the accepted batch is run by
    // the workbench's batch worker; for "ProcessFinish": the worker is joined and the album
    // tidied up (BatchAdd::Finish). The two paint events are dropped when empty.
    std::function<void()> receivePic, processFinish, paintFromOriginPic, paintFromForCutBmp;

    // The folder picture the preview showed last (shown again once Delete empties the album),
    // and the preview's fall-back after that Delete. Empty: no picture, nothing shown.
    std::function<std::string()> lastFolderPicture;
    std::function<void(const std::string& path)> showAfterAlbumEmptied;
    // A frame arrived: the preview's picture and the folder tree's selection are cleared.
    std::function<void()> frameArrived;
    // A frame was attached (after Workbench::Attached): thumbnail geometry and the like.
    std::function<void()> frameAttached;

    // The folder picture list (1070): whether it holds the keyboard focus, and Select All on
    // it. Empty: the placeholder list widget of the window answers.
    std::function<bool()> folderListHasFocus;
    std::function<void()> selectAllFolderPictures;
    // The thumbnail run: whether one runs, stopping it (the window closes or the frame goes),
    // and its three events. The program ends only once no run is left.
    std::function<bool()> thumbnailsRunning;
    std::function<void()> stopThumbnails;
    std::function<void(const std::string& name, long wParam)> thumbnailEvent;
};

}  // namespace framewise
