/* fixed.h - 16.16 fixed-point helpers that turn the host's lengths and sizes (65536 = 1 point)
 * into printable numbers. */
#ifndef TAGWRIGHT_SUPPORT_FIXED_H
#define TAGWRIGHT_SUPPORT_FIXED_H

#include <stdint.h>

#define FIXED_ONE 0x10000

/* a / b in 16.16. b = 0 ends in FatalError; a quotient too large for 16.16 saturates to
 * the largest positive or most negative value by the signs of a and b. */
int32_t FixedDivide(int32_t a, int32_t b);
/* a * 2^-16 in single precision. */
float FixedToFloat(int32_t a);

#endif
