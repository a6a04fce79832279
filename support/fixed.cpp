/* fixed.cpp - 16.16 division (with saturation) and conversion to float. */
#include "support/fixed.h"

#include "support/memory.h"

static uint32_t Magnitude(int32_t value) { return value < 0 ? (uint32_t)0 - (uint32_t)value : (uint32_t)value; }

int32_t FixedDivide(int32_t a, int32_t b)
{
    if (b == 0) {
        FatalError();
        return a > 0 ? INT32_MAX : INT32_MIN; /* only if a handler let the raise continue */
    }
    if (b == FIXED_ONE)
        return a;
    if ((b & 0xFFFF) == 0) {
        int32_t whole = b / FIXED_ONE;
        if (whole == -1) /* -a overflows for the most negative a */
            return a == INT32_MIN ? INT32_MAX : -a;
        return a / whole;
    }

    /* floor(|a| * 65536 / |b|) by shift-and-subtract over the 48-bit dividend |a| << 16,
     * on 32-bit unsigned magnitudes only. */
    int negative = (a <= 0) != (b < 0);
    uint32_t dividend = Magnitude(a);
    uint32_t divisor = Magnitude(b);
    uint32_t quotient = 0;
    uint32_t remainder = 0;
    int overflow = 0;
    for (int bit = 47; bit >= 0; bit--) {
        uint32_t next = bit >= 16 ? (dividend >> (bit - 16)) & 1u : 0u;
        /* remainder < divisor <= 2^31, so the shifted remainder still fits in 32 bits */
        remainder = (remainder << 1) | next;
        if (quotient & 0x80000000u)
            overflow = 1;
        quotient <<= 1;
        if (remainder >= divisor) {
            remainder -= divisor;
            quotient |= 1u;
        }
    }
    if (overflow || quotient >= 0x80000000u)
        return negative ? INT32_MIN : INT32_MAX;
    return negative ? -(int32_t)quotient : (int32_t)quotient;
}

float FixedToFloat(int32_t a) { return (float)a * (1.0f / 65536.0f); }
