// fixed_test.cpp - 16.16 division on each of its paths, saturation, and conversion to float.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "support/fixed.h"

namespace {

constexpr int32_t Fx(double value) { return static_cast<int32_t>(value * 65536.0); }

// floor(|a| * 65536 / |b|) with the sign rule and saturation, in 64-bit arithmetic.
int32_t Reference(int32_t a, int32_t b)
{
    int64_t magnitudeA = a < 0 ? -static_cast<int64_t>(a) : a;
    int64_t magnitudeB = b < 0 ? -static_cast<int64_t>(b) : b;
    int64_t quotient = (magnitudeA << 16) / magnitudeB;
    bool negative = (a <= 0) != (b < 0);
    if (quotient >= (int64_t{1} << 31))
        return negative ? INT32_MIN : INT32_MAX;
    return static_cast<int32_t>(negative ? -quotient : quotient);
}

TEST(FixedDivide, OneReturnsTheDividendUnchanged)
{
    EXPECT_EQ(FixedDivide(0x12345, FIXED_ONE), 0x12345);
    EXPECT_EQ(FixedDivide(INT32_MIN, FIXED_ONE), INT32_MIN);
}

TEST(FixedDivide, WholeNumberDivisorTruncatesTowardZero)
{
    EXPECT_EQ(FixedDivide(Fx(5.0), Fx(2.0)), Fx(2.5));
    EXPECT_EQ(FixedDivide(Fx(3.0), Fx(2.0)), 0x18000);
    EXPECT_EQ(FixedDivide(-7, Fx(2.0)), -3); // truncation, not flooring
    EXPECT_EQ(FixedDivide(Fx(72.0), Fx(-2.0)), Fx(-36.0));
}

TEST(FixedDivide, MinusOneDoesNotOverflow)
{
    EXPECT_EQ(FixedDivide(Fx(3.0), Fx(-1.0)), Fx(-3.0));
    EXPECT_EQ(FixedDivide(INT32_MIN, Fx(-1.0)), INT32_MAX); // saturates instead of trapping
}

TEST(FixedDivide, FractionalDivisorUsesLongDivision)
{
    EXPECT_EQ(FixedDivide(Fx(1.0), Fx(0.75)), 87381); // largest 16.16 value not above 4/3
    EXPECT_EQ(FixedDivide(Fx(-1.0), Fx(0.75)), -87381);
    EXPECT_EQ(FixedDivide(Fx(10.0), 0x8000 + 0x10000), Reference(Fx(10.0), 0x18000));
    EXPECT_EQ(FixedDivide(0, -0x8000), 0); // a zero dividend stays 0 whatever the signs
    EXPECT_EQ(FixedDivide(0, 0x8000), 0);
}

TEST(FixedDivide, SaturatesWhenTheQuotientDoesNotFit)
{
    EXPECT_EQ(FixedDivide(Fx(16384.0), Fx(0.25)), INT32_MAX);
    EXPECT_EQ(FixedDivide(Fx(-16384.0), Fx(0.25)), INT32_MIN);
    EXPECT_EQ(FixedDivide(Fx(16384.0), -Fx(0.25)), INT32_MIN);
    EXPECT_EQ(FixedDivide(-Fx(16384.0), -Fx(0.25)), INT32_MAX);
    EXPECT_EQ(FixedDivide(INT32_MIN, 1), INT32_MIN);
    EXPECT_EQ(FixedDivide(INT32_MAX, 3), INT32_MAX);
}

TEST(FixedDivide, MatchesWideArithmeticAcrossRanges)
{
    const int32_t dividends[] = {1,          7,         0x7FFF, 0x10001,    Fx(72.0),  Fx(1000.5),
                                 0x3FFFFFFF, INT32_MAX, -1,     -Fx(12.25), INT32_MIN, INT32_MIN + 1};
    const int32_t divisors[] = {1,         3,          0x8000, 0xFFFF,   0x10001,   Fx(2.54),
                                Fx(28.35), 0x7FFFFFFF, -1,     -0x18000, -Fx(0.01), INT32_MIN + 1};
    for (int32_t a : dividends)
        for (int32_t b : divisors)
            EXPECT_EQ(FixedDivide(a, b), Reference(a, b)) << a << " / " << b;
}

TEST(FixedDivideDeathTest, DivisionByZeroIsFatal)
{
    EXPECT_DEATH(FixedDivide(Fx(1.0), 0), "structured exception 0x00000001");
}

TEST(FixedToFloat, ScalesBySixteenBits)
{
    EXPECT_FLOAT_EQ(FixedToFloat(0x18000), 1.5f);
    EXPECT_FLOAT_EQ(FixedToFloat(Fx(-72.0)), -72.0f);
    EXPECT_FLOAT_EQ(FixedToFloat(1), 1.0f / 65536.0f);
    // a report prints a length in inches: 1 inch = 72 points
    EXPECT_NEAR(static_cast<double>(FixedToFloat(FixedDivide(Fx(36.0), Fx(72.0)))), 0.5, 1e-9);
}

} // namespace
