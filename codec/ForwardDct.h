// The forward DCT of the encoder: the Arai-Agui-Nakajima fast integer transform in the
// arrangement of the IJG "ifast" method, 8 fraction bits, no rounding in the products.
#pragma once

#include <cstdint>

namespace framewise {

// Transforms one 8x8 block of level-shifted samples (natural order) in place. The result
// is scaled by 8 and by the AAN factors; the quantizer's divisors take both out again.
void ForwardDct(int32_t* block);

}  // namespace framewise
