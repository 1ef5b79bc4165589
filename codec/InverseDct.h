// The decoder's inverse DCT: the Arai-Agui-Nakajima fast method in the arrangement of the
// IJG "ifast" inverse transform, 6-bit multipliers, 16-bit intermediate values.
#pragma once

#include <cstdint>

namespace framewise {

// Dequantizes and transforms one block of coefficients (natural order) into 64 samples
// 0..255 (natural order). dequant holds quantization value times the 6-bit AAN scale.
void InverseDct(const int16_t* coef, const uint16_t* dequant, uint8_t* samples);

// The block of a DC-only coefficient set: every sample equal. Same result as InverseDct.
void InverseDctDcOnly(int16_t dc, const uint16_t* dequant, uint8_t* samples);

// The dequantized value of one coefficient: (c * q + 32) / 64 truncated toward zero, kept
// as a signed 16-bit value.
inline int16_t Dequantize(int32_t c, int32_t q) {
    return static_cast<int16_t>((c * q + 32) / 64);
}

}  // namespace framewise
