#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "data/HaemoglobinCalc.h"

namespace {

MEAS_DATA_TYPE SampleWithIntensities(int ch, float i770, float i830, uint16_t status = 0) {
    MEAS_DATA_TYPE sample{};
    sample.ch[ch].i770 = i770;
    sample.ch[ch].i830 = i830;
    sample.ch[ch].status = status;
    sample.ch[ch].oxhb = 99;
    sample.ch[ch].dxhb = 99;
    sample.ch[ch].tohb = 42;
    return sample;
}

struct KnownAnswer {
    float i770, i830, ini7, ini8;
    uint32_t oxhbBits, dxhbBits;
};

// Computed outside this program with exact rational arithmetic and 60-digit
// logarithms, rounding to single precision after the ratios, after the
// logarithms and at the end, and to 64-bit mantissas inside the combination.
// The first group also differs from an all-double evaluation, the second from
// one with the divisor in double precision, the third (values cancelling to
// near 0) from a combination evaluated in double, so each would fail here.
const KnownAnswer KnownAnswers[] = {
    {31658.771484375f, 18023.380859375f, 40581.05859375f, 24827.00390625f, 0x3D3C2FA2, 0x3C0335C9},
    {38911.51953125f, 39225.44921875f, 39079.3671875f, 35246.203125f, 0xBCDF8672, 0x3C5B9170},
    {59248.88671875f, 58461.3203125f, 49313.94140625f, 76815.109375f, 0x3DBF027E, 0xBD872ED4},
    {58437.1171875f, 16494.693359375f, 54948.38671875f, 19571.18359375f, 0x3D5156FE, 0xBD01087C},
    {32544.626953125f, 11061.7021484375f, 34523.9296875f, 15346.4013671875f, 0x3D96CA16, 0xBCE2FCE5},
    {38181.21484375f, 23343.6484375f, 45738.6328125f, 20494.16015625f, 0xBD6A56E9, 0x3D472DE5},
    {8253.0556640625f, 40378.71484375f, 10611.7958984375f, 43915.8671875f, 0xBC5C6607, 0x3D1537B6},
    {33269.07421875f, 59730.4609375f, 39447.859375f, 60742.609375f, 0xBC9CAA93, 0x3CF0F558},
    {16384.0f, 8192.0f, 25172.7734375f, 10335.427734375f, 0xBA4C1942, 0x3D53F89A},
    {16384.0f, 8192.0f, 27562.5703125f, 13372.953125f, 0x3D515A8A, 0x3D1C0A3D},
    {16384.0f, 8192.0f, 25680.5859375f, 10481.912109375f, 0x2EF314F0, 0x3D5C40BB},
    {16384.0f, 8192.0f, 22120.421875f, 13098.8857421875f, 0x3D9BC117, 0xB0725E6F},
    {28935.791015625f, 12591.5244140625f, 38661.5546875f, 11613.625f, 0xBD751B76, 0x3D80E1D0},
    {34003.08984375f, 17118.017578125f, 41586.77734375f, 16939.626953125f, 0xBCF72D6C, 0x3D1D08C8},
    {25155.50390625f, 2921.637451171875f, 34776.13671875f, 2684.773681640625f, 0xBD86009B, 0x3D8EA451},
    {30962.203125f, 20735.0f, 40538.65625f, 27329.33984375f, 0x3D03311B, 0x3C8C3870},
};

}  // namespace

TEST(BrainCalc, KnownAnswersAreBitExactInEitherChannel) {
    for (const auto& known : KnownAnswers) {
        for (int ch = 0; ch < ChannelCount; ++ch) {
            MEAS_DATA_TYPE sample = SampleWithIntensities(ch, known.i770, known.i830);
            Brain_Calc(sample, ch, known.ini7, known.ini8);
            EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[ch].oxhb), known.oxhbBits) << known.i770 << " ch " << ch;
            EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[ch].dxhb), known.dxhbBits) << known.i770 << " ch " << ch;
            EXPECT_EQ(sample.ch[ch].status, 0);
            EXPECT_EQ(sample.ch[ch].tohb, 42) << "tohb is the caller's";
        }
    }
}

// Over the range of real intensities the result stays within single-precision
// rounding of the formula evaluated plainly in double.
TEST(BrainCalc, AgreesWithTheFormulaInDouble) {
    std::mt19937 random(580);
    std::uniform_real_distribution<float> intensity(100.0f, 65000.0f);
    std::uniform_real_distribution<float> change(0.5f, 2.0f);
    for (int i = 0; i < 2000; ++i) {
        const float i770 = intensity(random), i830 = intensity(random);
        const float ini7 = i770 * change(random), ini8 = i830 * change(random);
        MEAS_DATA_TYPE sample = SampleWithIntensities(1, i770, i830);
        Brain_Calc(sample, 1, ini7, ini8);
        const double l7 = std::log(double(ini7) / i770), l8 = std::log(double(ini8) / i830);
        const double oxhb = (-3.49185 * l7 + 6.36668 * l8) / 25.51;
        const double dxhb = (4.70129 * l7 - 3.00682 * l8) / 25.51;
        // Each logarithm is off by at most 1e-7 after its two single roundings;
        // the coefficients carry that as under 4e-8, the result's own rounding is relative.
        EXPECT_NEAR(sample.ch[1].oxhb, oxhb, 5e-8 + 2e-7 * std::abs(oxhb));
        EXPECT_NEAR(sample.ch[1].dxhb, dxhb, 5e-8 + 2e-7 * std::abs(dxhb));
    }
}

TEST(BrainCalc, NaturalLogarithmOfOneMakesTheCoefficientsShow) {
    // 2.71828198f is the single whose logarithm rounds to exactly 1.
    MEAS_DATA_TYPE sample = SampleWithIntensities(0, 1.0f, 1000.0f);
    Brain_Calc(sample, 0, 2.71828198f, 1000.0f);
    EXPECT_NEAR(sample.ch[0].oxhb, -3.49185 / 25.51, 1e-7);
    EXPECT_NEAR(sample.ch[0].dxhb, 4.70129 / 25.51, 1e-7);
    EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[0].oxhb), 0xBE0C2AB2u);
    EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[0].dxhb), 0x3E3CB70Du);
}

TEST(BrainCalc, ReferenceEqualToTheSampleGivesZeroAndClearsAnOldError) {
    MEAS_DATA_TYPE sample = SampleWithIntensities(1, 12345.5f, 6789.25f, 0x1100);
    Brain_Calc(sample, 1, 12345.5f, 6789.25f);
    EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[1].oxhb), 0u);
    EXPECT_EQ(std::bit_cast<uint32_t>(sample.ch[1].dxhb), 0u);
    EXPECT_EQ(sample.ch[1].status, 0x1000) << "only the calculation error bit is cleared";
}

TEST(BrainCalc, ImpossibleRatiosGiveZerosAndTheErrorBit) {
    struct Case {
        float i770, i830, ini7, ini8;
    };
    const Case cases[] = {
        {0, 500, 500, 500},      // no 770 nm light
        {500, 0, 500, 500},      // no 830 nm light
        {500, 500, 500, 0},      // reference 0: ratio 0
        {500, 500, -1, 500},     // negative ratio
        {500, -500, 500, 500},   // negative intensity
        {500, std::numeric_limits<float>::infinity(), 500, 500},  // ratio 0 again
    };
    for (const auto& c : cases) {
        MEAS_DATA_TYPE sample = SampleWithIntensities(0, c.i770, c.i830, 0x0003);
        Brain_Calc(sample, 0, c.ini7, c.ini8);
        EXPECT_EQ(sample.ch[0].oxhb, 0) << c.i770 << " " << c.i830 << " " << c.ini7 << " " << c.ini8;
        EXPECT_EQ(sample.ch[0].dxhb, 0);
        EXPECT_EQ(sample.ch[0].status, 0x0103);
    }
}

TEST(BrainCalc, NotANumberIsComputedThroughWithoutTheErrorBit) {
    MEAS_DATA_TYPE sample = SampleWithIntensities(0, std::numeric_limits<float>::quiet_NaN(), 500);
    Brain_Calc(sample, 0, 500, 500);
    EXPECT_TRUE(std::isnan(sample.ch[0].oxhb));
    EXPECT_TRUE(std::isnan(sample.ch[0].dxhb));
    EXPECT_EQ(sample.ch[0].status, 0);
}
