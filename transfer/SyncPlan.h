// Which 64 KB blocks a synchronize writes for each album picture, before the index block.
#pragma once

#include <cstdint>
#include <vector>

#include "transfer/FlashModel.h"

namespace framewise {

// For album pictures 0..n-1 in order, the blocks written on each one's behalf, in the order
// written: nothing for a picture already on the frame (state 1) or one starting within the
// index's 64 KB block, which goes with the index block, written last; else its first block
// unless an earlier picture wrote it already, and every further block the picture runs into,
// however long it is (such a block may be written again for the next picture). A picture
// outside the picture area has nothing of ours to write.
std::vector<std::vector<uint32_t>> ChooseSyncBlocks(const FlashModel& model, int n);

}  // namespace framewise
