#pragma once

#include <cstdint>

// What the tissue under one sensor does, as a smooth function of time: a slow
// drift of the haemoglobin values with a cardiac and a respiratory ripple,
// STO2 between about 60 and 75 %, and an acceleration near 1 G that sways.
// Being a pure function of time lets the sensor compute any sample it has
// logged or is due to send, in any order.
struct BodyState {
    double oxhb[2];  // mM, against an arbitrary origin
    double dxhb[2];
    double sto2[2];  // fraction
    double acc[3];   // G
    double level[2][3];  // sensor check: 7 mm, 30 mm, 35 mm detector light levels
};

class Physiology {
public:
    explicit Physiology(uint32_t seed);
    BodyState At(double seconds) const;

    // The raw 770 nm and 830 nm intensities that the given haemoglobin
    // values attenuate the channel's light to: the modified Beer-Lambert law
    // with the device's two-wavelength coefficients, solved for the optical
    // densities.
    void Intensities(int channel, double oxhb, double dxhb, float& i770, float& i830) const;

private:
    double phase_[8];
    double heartHertz_;
    double breathHertz_;
    double baseIntensity_[2][2];
    double baseLevel_[2][3];
};
