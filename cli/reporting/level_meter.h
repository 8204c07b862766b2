#pragma once

// Peak and RMS level of a stream of samples, the count of samples beyond full scale and the
// count of NaN and infinite samples (which the levels leave out).

#include <cstddef>
#include <cstdint>
#include <string>

namespace miral::cli {

class LevelMeter {
public:
    void add(const float* samples, size_t count);

    double peak() const { return peak_; }
    /// Root mean square over every finite sample added; 0 before any.
    double rms() const;
    /// Finite samples whose magnitude exceeds 1.0, which integer formats must saturate.
    uint64_t beyondFullScale() const { return beyondFullScale_; }
    /// NaN and infinite samples.
    uint64_t nonFinite() const { return nonFinite_; }

private:
    double peak_ = 0.0;
    double sumOfSquares_ = 0.0;
    uint64_t count_ = 0;
    uint64_t beyondFullScale_ = 0;
    uint64_t nonFinite_ = 0;
};

/// A linear level in dB relative to full scale, "-6.0 dBFS"; "-inf dBFS" for silence.
std::string formatDbfs(double level);

} // namespace miral::cli
