#include "sim/Physiology.h"

#include <cmath>
#include <numbers>
#include <random>

namespace {

double Wave(double seconds, double hertz, double phase) {
    return std::sin(2.0 * std::numbers::pi * hertz * seconds + phase);
}

}  // namespace

Physiology::Physiology(uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (double& phase : phase_) phase = 2.0 * std::numbers::pi * unit(random);
    heartHertz_ = 1.0 + 0.3 * unit(random);    // 60..78 beats a minute
    breathHertz_ = 0.2 + 0.08 * unit(random);  // 12..17 breaths a minute
    for (int channel = 0; channel < 2; ++channel) {
        baseIntensity_[channel][0] = 9000.0 + 3000.0 * unit(random);
        baseIntensity_[channel][1] = 12000.0 + 3000.0 * unit(random);
        // Light counts of a sensor on the skin: within the 0..4000 the
        // detectors report, well above the 500 of a poor contact, less light
        // the farther the detector.
        baseLevel_[channel][0] = 3000.0 + 400.0 * unit(random);
        baseLevel_[channel][1] = 1500.0 + 300.0 * unit(random);
        baseLevel_[channel][2] = 1000.0 + 200.0 * unit(random);
    }
}

BodyState Physiology::At(double t) const {
    BodyState body{};
    const double heart = Wave(t, heartHertz_, phase_[0]);
    const double breath = Wave(t, breathHertz_, phase_[1]);
    for (int c = 0; c < 2; ++c) {
        const double drift = Wave(t, 1.0 / 197.0, phase_[2] + c * 0.4);
        const double slow = Wave(t, 1.0 / 61.0, phase_[3] + c * 0.7);
        body.oxhb[c] = 0.030 * drift + 0.010 * slow + 0.0025 * heart + 0.0040 * breath;
        body.dxhb[c] = -0.012 * drift + 0.006 * Wave(t, 1.0 / 83.0, phase_[4] + c) + 0.0008 * heart;
        body.sto2[c] = 0.675 + 0.045 * Wave(t, 1.0 / 307.0, phase_[5] + c * 0.3) +
                       0.010 * Wave(t, 1.0 / 53.0, phase_[6]) + 0.002 * heart;
        for (int detector = 0; detector < 3; ++detector)
            body.level[c][detector] =
                baseLevel_[c][detector] * (1.0 + 0.01 * heart + 0.004 * breath - 0.02 * drift);
    }
    body.acc[0] = 0.05 * Wave(t, 1.0 / 13.0, phase_[7]);
    body.acc[1] = 0.03 * Wave(t, 1.0 / 17.0, phase_[2]);
    body.acc[2] = 0.99 + 0.01 * Wave(t, 1.0 / 7.0, phase_[3]) + 0.004 * breath;
    return body;
}

void Physiology::Intensities(int channel, double oxhb, double dxhb, float& i770, float& i830) const {
    // oxhb = (-3.49185 L7 + 6.36668 L8) / 25.51, dxhb = (4.70129 L7 - 3.00682 L8) / 25.51,
    // with L the optical density change ln(reference / intensity) at each wavelength.
    const double a = -3.49185, b = 6.36668, c = 4.70129, d = -3.00682;
    const double determinant = a * d - b * c;
    const double x = 25.51 * oxhb, y = 25.51 * dxhb;
    const double density770 = (d * x - b * y) / determinant;
    const double density830 = (-c * x + a * y) / determinant;
    i770 = static_cast<float>(baseIntensity_[channel][0] * std::exp(-density770));
    i830 = static_cast<float>(baseIntensity_[channel][1] * std::exp(-density830));
}
