#include "reporting/region_levels.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace miral::cli {
namespace {

constexpr size_t kFftSize = 4096; // about 12 Hz per bin at 48 kHz: fine enough below 250 Hz
constexpr size_t kHop = kFftSize / 2;
constexpr double kLowMidHz = 250.0;
constexpr double kMidHighHz = 4000.0;
constexpr double kNoChangeDb = 0.05; // below the table's resolution: shown as +0.0, never -0.0

/// In-place iterative radix-2 transform; the size is a power of two.
void fft(std::vector<std::complex<double>>& data) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> step =
            std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
        for (size_t start = 0; start < n; start += length) {
            std::complex<double> twiddle = 1.0;
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = data[start + k];
                const std::complex<double> odd = data[start + k + length / 2] * twiddle;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                twiddle *= step;
            }
        }
    }
}

} // namespace

RegionPowers measureRegionPowers(const std::vector<float>& interleaved, int32_t channels,
                                 int32_t sampleRateHz) {
    RegionPowers powers;
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    std::vector<double> window(kFftSize);
    for (size_t i = 0; i < kFftSize; ++i)
        window[i] =
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / kFftSize);
    std::vector<std::complex<double>> bins(kFftSize);
    for (int32_t c = 0; c < channels; ++c) {
        for (size_t start = 0; start + kFftSize <= frames; start += kHop) {
            for (size_t i = 0; i < kFftSize; ++i)
                bins[i] = window[i] * interleaved[(start + i) * static_cast<size_t>(channels) +
                                                  static_cast<size_t>(c)];
            fft(bins);
            for (size_t k = 1; k < kFftSize / 2; ++k) {
                const double hz = static_cast<double>(k) * sampleRateHz / kFftSize;
                const double power = std::norm(bins[k]);
                (hz < kLowMidHz ? powers.low : hz < kMidHighHz ? powers.mid : powers.high) += power;
            }
        }
    }
    return powers;
}

double levelChangeDb(double before, double after) {
    if (before <= 0.0 && after <= 0.0)
        return 0.0;
    const double change = 10.0 * std::log10(after / before);
    return std::fabs(change) < kNoChangeDb ? 0.0 : change;
}

} // namespace miral::cli
