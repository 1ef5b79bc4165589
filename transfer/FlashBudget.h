// The flash budget: how much of the frame's flash the album uses, how much is free, and how
// many more pictures of the album's kind fit before Add refuses one.
#pragma once

namespace framewise {

class FlashModel;
struct DeviceInfo;

struct FlashBudget {
    long flashBytes = 0;
    long usedBytes = 0;     // below the index address, the index block and the pictures
    long freeBytes = 0;     // what is left for pictures
    int pictures = 0;
    int capacity = 0;       // the frame's picture limit
    long pictureBytes = 0;  // the average picture, or the estimate for an empty album
    bool estimated = false; // pictureBytes from the LCD size and quality, not the album
    int moreFit = 0;        // further pictures of pictureBytes each that Add would take
};

// A picture of an LCD of width x height encoded at quality, roughly: a photograph's bits per
// pixel at that quality.
long EstimatedPictureBytes(int width, int height, int quality);

// The budget of an album of albumCount pictures as the model holds it, with the quality
// pictures are added at now.
FlashBudget ComputeFlashBudget(const FlashModel& model, const DeviceInfo& info, int albumCount,
                               int quality);

}  // namespace framewise
