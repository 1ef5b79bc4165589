// The device-independent computations of Add: the per-picture budget, the LCD-sized cut
// from inside the crop frame, and the encode loop that steps the quality down to fit.
#pragma once

#include <QColor>
#include <QImage>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "picture/Geometry.h"

namespace framewise {

// The message of an Add whose picture cannot be encoded within its budget.
inline constexpr const char* kCanNotAddText = "Can not add this picture!";

// Bytes the next device picture stream may take: an equal share of the free flash for each
// free picture number, ((flashKB - ceil(totalStored / 1024) - indexAddress / 1024 - 4) * 1024)
// / (capacity - count). nullopt when no number is free (the caller keeps its last budget).
std::optional<long long> PerPictureBudget(long long flashKB, long long totalStoredBytes,
                                          long long indexAddress, int capacity, int count);

// Top-left, in the picture shown at the shown size, of the pixels just inside the frame.
Point CutOrigin(const Rect& crop, Point ptShow);

// The album picture: the working picture stretched to the shown size, and the LCD-sized block
// just inside the crop frame copied out of it. Pixels of the block that lie off the shown
// picture keep the button-face colour.
QImage CutPicture(const QImage& working, Size shown, const Rect& crop, Point ptShow, Size lcd,
                  QColor buttonFace);

// Encodes the picture at a quality and answers the stream size, or nullopt on failure.
using EncodeAtQuality = std::function<std::optional<std::size_t>(int quality)>;

struct BudgetedEncode {
    bool accepted = false;
    int quality = 0;       // quality of the accepted stream (the encoder's last output)
    std::size_t size = 0;  // its size
    int attempts = 0;      // encodes run
    std::string message;   // kCanNotAddText when refused
};

// The encode loop: the stream is made at q, q - 10, q - 20, ... and the first one within the
// budget is taken, as long as a quality of 0 or more would still be left below it. A device
// of capacity 500 takes the first stream whatever its size (the room check decides). A failed
// encode fails the Add.
BudgetedEncode EncodeWithinBudget(int startQuality, int capacity, long long budget,
                                  const EncodeAtQuality& encode);

}  // namespace framewise
