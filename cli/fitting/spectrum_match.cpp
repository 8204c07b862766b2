#include "fitting/spectrum_match.h"

#include "usage_error.h"

#include <fftw3.h>
#include <sndfile.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace miral::cli {
namespace {

constexpr size_t kSegment = 8192; // about 5.9 Hz per bin at 48 kHz
constexpr double kLowestHz = 10.0;
constexpr int kPointsPerOctave = 24;
constexpr double kSmoothingOctaves = 1.0 / 6.0;

struct Spectrum {
    double sampleRateHz = 0.0;
    std::vector<double> power; ///< bin k at k · rate / kSegment
};

std::vector<double> monoSum(const std::string& path, double& sampleRateHz) {
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info),
                                                             sf_close);
    if (!file)
        throw UsageError("cannot read " + path + ": " + sf_strerror(nullptr));
    sampleRateHz = info.samplerate;
    std::vector<double> mono;
    std::vector<double> block(4096 * size_t(info.channels));
    for (sf_count_t frames; (frames = sf_readf_double(file.get(), block.data(), 4096)) > 0;)
        for (sf_count_t frame = 0; frame < frames; ++frame) {
            double sum = 0.0;
            for (int channel = 0; channel < info.channels; ++channel)
                sum += block[size_t(frame) * size_t(info.channels) + size_t(channel)];
            mono.push_back(sum);
        }
    if (mono.size() < kSegment)
        throw UsageError(path + ": too short for a spectrum (expected at least " +
                         std::to_string(kSegment) + " frames)");
    return mono;
}

Spectrum welchSpectrum(const std::string& path) {
    Spectrum spectrum;
    const std::vector<double> samples = monoSum(path, spectrum.sampleRateHz);
    std::vector<double> window(kSegment);
    for (size_t i = 0; i < kSegment; ++i)
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(kSegment));
    double* segment = fftw_alloc_real(kSegment);
    fftw_complex* bins = fftw_alloc_complex(kSegment / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(int(kSegment), segment, bins, FFTW_ESTIMATE);
    spectrum.power.assign(kSegment / 2 + 1, 0.0);
    for (size_t start = 0; start + kSegment <= samples.size(); start += kSegment / 2) {
        for (size_t i = 0; i < kSegment; ++i)
            segment[i] = samples[start + i] * window[i];
        fftw_execute(plan);
        for (size_t k = 0; k < spectrum.power.size(); ++k)
            spectrum.power[k] += bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
    }
    fftw_destroy_plan(plan);
    fftw_free(bins);
    fftw_free(segment);
    return spectrum;
}

/// Mean power of the bins within 1/12 octave either side of `frequencyHz` (the nearest bin
/// where none lies that close).
double smoothedPower(const Spectrum& spectrum, double frequencyHz) {
    const double binHz = spectrum.sampleRateHz / double(kSegment);
    const double half = std::exp2(kSmoothingOctaves / 2.0);
    const auto first = size_t(std::ceil(frequencyHz / half / binHz));
    const auto last =
        std::min(size_t(std::floor(frequencyHz * half / binHz)), spectrum.power.size() - 1);
    if (first > last)
        return spectrum
            .power[std::min(size_t(std::lround(frequencyHz / binHz)), spectrum.power.size() - 1)];
    double sum = 0.0;
    for (size_t k = first; k <= last; ++k)
        sum += spectrum.power[k];
    return sum / double(last - first + 1);
}

} // namespace

FrequencyCurve spectrumDifference(const std::string& referencePath, const std::string& inputPath) {
    const Spectrum reference = welchSpectrum(referencePath);
    const Spectrum input = welchSpectrum(inputPath);
    const double highestHz = 0.95 * std::min(reference.sampleRateHz, input.sampleRateHz) / 2.0;
    const int points = int(std::log2(highestHz / kLowestHz) * kPointsPerOctave) + 1;
    FrequencyCurve curve;
    curve.frequenciesHz = logFrequencies(kLowestHz, highestHz, points);
    for (const double frequencyHz : curve.frequenciesHz) {
        const double wanted = smoothedPower(reference, frequencyHz);
        const double has = smoothedPower(input, frequencyHz);
        if (!(wanted > 0.0) || !(has > 0.0))
            throw UsageError((wanted > 0.0 ? inputPath : referencePath) + ": silent at " +
                             std::to_string(int(frequencyHz)) +
                             " Hz (expected sound across the spectrum)");
        curve.gainsDb.push_back(10.0 * std::log10(wanted / has));
    }
    const double atKilohertz = curveGainDb(curve, 1000.0);
    for (double& gain : curve.gainsDb)
        gain -= atKilohertz;
    return curve;
}

} // namespace miral::cli
