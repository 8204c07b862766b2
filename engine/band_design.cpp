#include "engine/band_design.h"

#include "engine/params.h"

#include <cmath>
#include <numbers>

namespace miral {
namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kPiSquared = std::numbers::pi * std::numbers::pi;
constexpr double kLn10 = std::numbers::ln10;

// Places the corner response of both shelves 1.303 dB (10·log10(1/V)) from 0 dB towards the
// shelf gain, at every corner frequency and sample rate.
constexpr double kShelfCornerConstant = 0.740818220681718;

// Shelves of less than this many dB keep the pole of a shelf of this size.
constexpr double kSmallestShelfPoleGainDb = -4.0;

// Reference angle of the shelf warping: a tone 20 Hz below the Nyquist frequency.
double shelfReferenceAngle(double sampleRateHz) {
    return kPi * (sampleRateHz - 40.0) / sampleRateHz;
}

double powerRatio(double gainDb) {
    return std::exp(kLn10 * 0.1 * gainDb);
}

BandFrequencyTerms lowShelfTerms(double frequencyHz, double sampleRateHz) {
    const double theta = shelfReferenceAngle(sampleRateHz);
    const double omegaC = kTwoPi * frequencyHz / sampleRateHz;
    BandFrequencyTerms terms;
    terms.u = std::cos(theta);
    terms.warp = std::cos((omegaC + theta) / 2) / std::cos((theta - omegaC) / 2);
    return terms;
}

BandFrequencyTerms highShelfTerms(double frequencyHz, double sampleRateHz) {
    const double theta = shelfReferenceAngle(sampleRateHz);
    const double omegaC = kTwoPi * frequencyHz / sampleRateHz;
    BandFrequencyTerms terms;
    terms.u = std::cos(theta);
    terms.warp = std::sin((theta - omegaC) / 2) / std::sin((theta + omegaC) / 2);
    return terms;
}

BandFrequencyTerms peakTerms(double centreHz, double bandwidthHz, double sampleRateHz) {
    const double omega0 = kTwoPi * centreHz / sampleRateHz;
    const double deltaOmega = kTwoPi * bandwidthHz / sampleRateHz;
    const double a0Root = omega0 * omega0 - kPiSquared;
    const double t0 = std::tan(omega0 / 2);
    BandFrequencyTerms terms;
    terms.a0 = a0Root * a0Root;
    terms.deltaOmegaSquared = deltaOmega * deltaOmega;
    terms.t0Squared = t0 * t0;
    terms.tanHalfDelta = std::tan(deltaOmega / 2);
    return terms;
}

BiquadCoefficients lowShelf(double gainDb, const BandFrequencyTerms& terms) {
    const auto [z, p] = shelfPrototype(gainDb, terms.u);
    const double alpha = terms.warp;
    const double d = 1 + alpha * p;
    return {(1 + alpha * z) / d, -(alpha + z) / d, 0.0, -(alpha + p) / d, 0.0};
}

BiquadCoefficients highShelf(double gainDb, const BandFrequencyTerms& terms) {
    const auto [z, p] = shelfPrototype(gainDb, terms.u);
    const double beta = terms.warp;
    const double d = beta * p - 1;
    return {(beta * z - 1) / d, (beta - z) / d, 0.0, (beta - p) / d, 0.0};
}

BiquadCoefficients peak(double gainDb, const BandFrequencyTerms& terms) {
    const bool cut = gainDb <= 0;
    const double t = std::fabs(gainDb);

    // Peak gain, and the gain at the band edges: 3 dB below the peak for peaks above 6 dB,
    // half the peak's dB value otherwise.
    const double gp = std::pow(10.0, 0.05 * t);
    const double gb = t > 6 ? std::pow(10.0, 0.05 * (t - 3)) : std::pow(10.0, 0.025 * t);
    const double gp2 = gp * gp;
    const double gb2 = gb * gb;

    const double a0 = terms.a0;
    const double f = gp2 - gb2;
    const double x = (gb2 - 1) * terms.deltaOmegaSquared * kPiSquared / f;
    const double g1 = std::sqrt((x * gp2 + a0) / (x + a0)); // gain at the Nyquist frequency

    const double g11 = gp2 - g1 * g1;
    const double f11 = std::fabs(gb2 - g1 * g1);
    const double g00 = gp2 - 1;
    const double f00 = gb2 - 1;
    const double t0Squared = terms.t0Squared;

    const double dw = (1 + std::sqrt(g11 * f00 / (f11 * g00)) * t0Squared) * terms.tanHalfDelta;
    const double w = std::sqrt(g11 / g00) * t0Squared;
    const double d = 2 * w * (std::fabs(gp2 - g1) - std::sqrt(g00 * g11));
    const double c = f11 * dw * dw - 2 * w * (std::fabs(gb2 - g1) - std::sqrt(f11 * f00));
    const double a = std::sqrt((c + d) / std::fabs(f));
    const double b = std::sqrt((gb2 * d + gp2 * c) / std::fabs(f));

    if (!cut) {
        const double n = 1 + w + a;
        return {(g1 + w + b) / n, -2 * (g1 - w) / n, (g1 + w - b) / n, -2 * (1 - w) / n,
                (1 + w - a) / n};
    }
    const double m = g1 + w + b;
    return {(1 + w + a) / m, -2 * (1 - w) / m, (1 + w - a) / m, -2 * (g1 - w) / m,
            (g1 + w - b) / m};
}

} // namespace

ShelfZeroPole shelfPrototype(double gainDb, double u) {
    const bool boost = gainDb > 0;
    const double actualGainDb = -std::fabs(gainDb); // always designed as a cut
    const bool poleHeld = actualGainDb > kSmallestShelfPoleGainDb;
    const double poleGainDb = poleHeld ? kSmallestShelfPoleGainDb : actualGainDb;

    const double v = kShelfCornerConstant;
    const double t = powerRatio(poleGainDb);
    const double s = std::sqrt(t);
    const double difference = v - s;
    const double sum = s + v;
    const double r =
        std::sqrt((difference * difference * u - sum * sum + 2 * v * (t + 1)) * (1 + u));
    const double pole = (r + difference * u + t - s) / (t - v);

    const double zeroRatio = poleHeld ? powerRatio(actualGainDb) : t;
    const double zero = 1 - std::sqrt(zeroRatio * ((1 - pole) * (1 - pole)));

    if (boost)
        return {pole, zero};
    return {zero, pole};
}

BiquadCoefficients designLowShelf(double gainDb, double frequencyHz, double sampleRateHz) {
    return lowShelf(gainDb, lowShelfTerms(frequencyHz, sampleRateHz));
}

BiquadCoefficients designHighShelf(double gainDb, double frequencyHz, double sampleRateHz) {
    return highShelf(gainDb, highShelfTerms(frequencyHz, sampleRateHz));
}

BiquadCoefficients designPeak(double gainDb, double centreHz, double bandwidthHz,
                              double sampleRateHz) {
    return peak(gainDb, peakTerms(centreHz, bandwidthHz, sampleRateHz));
}

BandFrequencyTerms bandFrequencyTerms(int band, double frequencyHz, double q, double sampleRateHz) {
    if (band == 0)
        return lowShelfTerms(frequencyHz, sampleRateHz);
    if (band == kNumBands - 1)
        return highShelfTerms(frequencyHz, sampleRateHz);
    return peakTerms(frequencyHz, frequencyHz * (1 / q), sampleRateHz);
}

BiquadCoefficients designBand(int band, double gainDb, const BandFrequencyTerms& terms) {
    if (band == 0)
        return lowShelf(gainDb, terms);
    if (band == kNumBands - 1)
        return highShelf(gainDb, terms);
    return peak(gainDb, terms);
}

BiquadCoefficients designBand(int band, double gainDb, double frequencyHz, double q,
                              double sampleRateHz) {
    return designBand(band, gainDb, bandFrequencyTerms(band, frequencyHz, q, sampleRateHz));
}

} // namespace miral
