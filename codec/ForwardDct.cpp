// AAN forward DCT, ifast form: 5 multiplications per 1-D pass instead of 11, at the price of
// a result scaled per coefficient, which costs nothing since the quantizer's divisors fold the
// scale in. Constants are 256 times the factors; products are shifted right without rounding.
#include "codec/ForwardDct.h"

#include "codec/Vectorize.h"

namespace framewise {

namespace {
constexpr int32_t FIX_0_382683433 = 98;
constexpr int32_t FIX_0_541196100 = 139;
constexpr int32_t FIX_0_707106781 = 181;
constexpr int32_t FIX_1_306562965 = 334;

inline int32_t Mul(int32_t x, int32_t c) {
    return (x * c) >> 8;
}

// One 1-D pass over 8 lanes: element k of lane l is at in[k * kStep + l * lStep]. Written
// lane-innermost so that the column pass vectorises across the 8 columns.
template <int kStep, int lStep>
inline void Pass(const int32_t* in, int32_t* out) {
    for (int l = 0; l < 8; ++l) {
        const int32_t* d = in + l * lStep;
        int32_t* o = out + l * lStep;
        int32_t tmp0 = d[0 * kStep] + d[7 * kStep];
        int32_t tmp7 = d[0 * kStep] - d[7 * kStep];
        int32_t tmp1 = d[1 * kStep] + d[6 * kStep];
        int32_t tmp6 = d[1 * kStep] - d[6 * kStep];
        int32_t tmp2 = d[2 * kStep] + d[5 * kStep];
        int32_t tmp5 = d[2 * kStep] - d[5 * kStep];
        int32_t tmp3 = d[3 * kStep] + d[4 * kStep];
        int32_t tmp4 = d[3 * kStep] - d[4 * kStep];

        // Even part.
        int32_t tmp10 = tmp0 + tmp3;
        int32_t tmp13 = tmp0 - tmp3;
        int32_t tmp11 = tmp1 + tmp2;
        int32_t tmp12 = tmp1 - tmp2;
        o[0 * kStep] = tmp10 + tmp11;
        o[4 * kStep] = tmp10 - tmp11;
        int32_t z1 = Mul(tmp12 + tmp13, FIX_0_707106781);
        o[2 * kStep] = tmp13 + z1;
        o[6 * kStep] = tmp13 - z1;

        // Odd part.
        tmp10 = tmp4 + tmp5;
        tmp11 = tmp5 + tmp6;
        tmp12 = tmp6 + tmp7;
        int32_t z5 = Mul(tmp10 - tmp12, FIX_0_382683433);
        int32_t z2 = Mul(tmp10, FIX_0_541196100) + z5;
        int32_t z4 = Mul(tmp12, FIX_1_306562965) + z5;
        int32_t z3 = Mul(tmp11, FIX_0_707106781);
        int32_t z11 = tmp7 + z3;
        int32_t z13 = tmp7 - z3;
        o[5 * kStep] = z13 + z2;
        o[3 * kStep] = z13 - z2;
        o[1 * kStep] = z11 + z4;
        o[7 * kStep] = z11 - z4;
    }
}
}  // namespace

FRAMEWISE_VECTOR_KERNEL void ForwardDct(int32_t* block) {
    alignas(32) int32_t rows[64];
    Pass<1, 8>(block, rows);  // rows: element k of row l at l * 8 + k
    Pass<8, 1>(rows, block);  // columns, in place into the caller's block
}

}  // namespace framewise
