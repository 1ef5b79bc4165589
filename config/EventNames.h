// The window events by name: the device link and the workers report through them, posted
// (or, for "SourceTileToBmpONE" and "PaintFromOriginPic", sent) to the main window.
#pragma once

#include <string_view>

namespace framewise::events {

// Device presence changed; wParam 1 found and opened, 0 gone.
inline constexpr std::string_view kHidDeviceChange = "HIDDEVICECHANGE";
// Attach done; start the album read.
inline constexpr std::string_view kDpfAttach = "DPFAttach";
// The album read or the synchronize finished successfully.
inline constexpr std::string_view kFinishThread = "FinishThread";
// The album read or the synchronize ended without success (failed, stopped, device gone);
// wParam names which (kTransferRead, kTransferSynchronize). Every read and synchronize ends
// with exactly one of "FinishThread" and this.
inline constexpr std::string_view kTransferFailed = "TransferFailed";
inline constexpr long kTransferRead = 1;
inline constexpr long kTransferSynchronize = 2;
// Start the batch add worker; and the batch finished.
inline constexpr std::string_view kReceivePic = "ReceivePic";
inline constexpr std::string_view kProcessFinish = "ProcessFinish";
// The thumbnail run: start it, make thumbnail wParam (sent), finished.
inline constexpr std::string_view kSourceTileToBmp = "SourceTileToBmp";
inline constexpr std::string_view kSourceTileToBmpOne = "SourceTileToBmpONE";
inline constexpr std::string_view kSourceTileToBmpFinish = "SourceTileToBmpFinish";
// Rebuild the preview from the source picture (sent); redraw it from its frame image (posted).
inline constexpr std::string_view kPaintFromOriginPic = "PaintFromOriginPic";
inline constexpr std::string_view kPaintFromForCutBmp = "paintfromforcutbmp";

}  // namespace framewise::events
