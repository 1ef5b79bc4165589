// AAN inverse DCT, ifast form. Every sum and difference is kept as a signed 16-bit value,
// as is each dequantized coefficient; products are (x * m + 32) >> 6 with m = 64 times the
// constant. The column pass has no explicit all-zero-AC shortcut: with zero AC terms the
// network yields the dequantized DC in all eight places anyway, so the vectorised full pass
// gives the same result; the whole-block DC-only case is taken out by InverseDctDcOnly.
#include "codec/InverseDct.h"

#include "codec/Vectorize.h"

namespace framewise {

namespace {
constexpr int32_t M_1_414213562 = 91;
constexpr int32_t M_1_847759065 = 118;
constexpr int32_t M_1_082392200 = 69;
constexpr int32_t M_2_613125930 = 167;

inline int32_t S16(int32_t x) {
    return static_cast<int16_t>(x);
}
inline int32_t Mul(int32_t x, int32_t m) {
    return (x * m + 32) >> 6;
}

// One 1-D pass over 8 lanes; element k of lane l at in[k * kStep + l * lStep].
template <int kStep, int lStep>
inline void Pass(const int16_t* in, int16_t* out) {
    for (int l = 0; l < 8; ++l) {
        const int16_t* d = in + l * lStep;
        int16_t* o = out + l * lStep;
        // Even part.
        int32_t tmp0 = d[0 * kStep], tmp1 = d[2 * kStep], tmp2 = d[4 * kStep], tmp3 = d[6 * kStep];
        int32_t tmp10 = S16(tmp0 + tmp2);
        int32_t tmp11 = S16(tmp0 - tmp2);
        int32_t tmp13 = S16(tmp1 + tmp3);
        int32_t tmp12 = S16(Mul(S16(tmp1 - tmp3), M_1_414213562) - tmp13);
        tmp0 = S16(tmp10 + tmp13);
        tmp3 = S16(tmp10 - tmp13);
        tmp1 = S16(tmp11 + tmp12);
        tmp2 = S16(tmp11 - tmp12);
        // Odd part.
        int32_t tmp4 = d[1 * kStep], tmp5 = d[3 * kStep], tmp6 = d[5 * kStep], tmp7 = d[7 * kStep];
        int32_t z13 = S16(tmp6 + tmp5);
        int32_t z10 = S16(tmp6 - tmp5);
        int32_t z11 = S16(tmp4 + tmp7);
        int32_t z12 = S16(tmp4 - tmp7);
        tmp7 = S16(z11 + z13);
        tmp11 = Mul(S16(z11 - z13), M_1_414213562);
        int32_t z5 = Mul(S16(z10 + z12), M_1_847759065);
        tmp10 = S16(Mul(z12, M_1_082392200) - z5);
        tmp12 = S16(z5 - Mul(z10, M_2_613125930));
        tmp6 = S16(tmp12 - tmp7);
        tmp5 = S16(tmp11 - tmp6);
        tmp4 = S16(tmp10 + tmp5);
        o[0 * kStep] = static_cast<int16_t>(tmp0 + tmp7);
        o[7 * kStep] = static_cast<int16_t>(tmp0 - tmp7);
        o[1 * kStep] = static_cast<int16_t>(tmp1 + tmp6);
        o[6 * kStep] = static_cast<int16_t>(tmp1 - tmp6);
        o[2 * kStep] = static_cast<int16_t>(tmp2 + tmp5);
        o[5 * kStep] = static_cast<int16_t>(tmp2 - tmp5);
        o[4 * kStep] = static_cast<int16_t>(tmp3 + tmp4);
        o[3 * kStep] = static_cast<int16_t>(tmp3 - tmp4);
    }
}

inline uint8_t Descale(int32_t x) {
    int32_t v = ((x + 4) >> 3) + 128;
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}
}  // namespace

FRAMEWISE_VECTOR_KERNEL void InverseDct(const int16_t* coef, const uint16_t* dequant,
                                        uint8_t* samples) {
    alignas(32) int16_t in[64];
    for (int i = 0; i < 64; ++i) in[i] = Dequantize(coef[i], dequant[i]);
    alignas(32) int16_t cols[64];
    Pass<8, 1>(in, cols);  // columns: lanes are the 8 columns, contiguous in memory
    // Rows: transpose so the row pass also runs lane-parallel, then transpose back while
    // descaling.
    alignas(32) int16_t t[64];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) t[c * 8 + r] = cols[r * 8 + c];
    alignas(32) int16_t rows[64];
    Pass<8, 1>(t, rows);  // rows[k * 8 + r]: sample k of row r
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) samples[r * 8 + c] = Descale(rows[c * 8 + r]);
}

void InverseDctDcOnly(int16_t dc, const uint16_t* dequant, uint8_t* samples) {
    uint8_t v = Descale(Dequantize(dc, dequant[0]));
    for (int i = 0; i < 64; ++i) samples[i] = v;
}

}  // namespace framewise
