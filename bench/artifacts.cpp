// Zipper noise and clicks of automation above 1 kHz (see artifact_measurement.h) for several
// glide times, against the same ramp set at every sample without smoothing.
//
//   miral_artifacts [FILE]   FILE: also writes the 512-frame ramp as raw stereo 32-bit float at
//                            44.1 kHz, left without smoothing, right with the default glide
//                            (for a spectrogram: sox -t f32 -r 44100 -c 2 FILE -n spectrogram)

#include "artifact_measurement.h"

#include <cstdio>

namespace {

bool writeRamps(const char* path) {
    using namespace miral::measure;
    const std::vector<float> stepped = automatedOutput({512, 0.0, false});
    const std::vector<float> smoothed =
        automatedOutput({512, miral::kDefaultSmoothingSeconds, false});
    std::vector<float> interleaved;
    for (size_t i = 0; i < stepped.size(); ++i) {
        interleaved.push_back(stepped[i]);
        interleaved.push_back(smoothed[i]);
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(interleaved.data(), sizeof(float), interleaved.size(), file) ==
                         interleaved.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    using namespace miral::measure;
    if (argc > 1 && !writeRamps(argv[1])) {
        std::perror(argv[1]);
        return 1;
    }
    const double perSample = peakAbove1kHzDbfs(automatedOutput({1, 0.0, false}));
    std::printf("Gain 1 ramp %+.0f..%+.0f dB over %.0f s, %.0f Hz tone at %.0f dBFS, %.0f Hz\n",
                kLowGainDb, kHighGainDb, kRampSeconds, kToneHz, kToneDbfs, kRateHz);
    std::printf("content above 1 kHz, peak dBFS\n\n");
    std::printf("set at every sample, no smoothing:  ramp %7.1f\n\n", perSample);
    std::printf("%-8s %-10s %12s %12s\n", "block", "glide", "ramp", "jump");
    for (int32_t block : {64, 512, 4096})
        for (double glide : {0.0, 0.005, 0.010, 0.0125, 0.015, 0.020}) {
            const double ramp = peakAbove1kHzDbfs(automatedOutput({block, glide, false}));
            const double jump = peakAbove1kHzDbfs(automatedOutput({block, glide, true}));
            std::printf("%-8d %5.1f ms   %12.1f %12.1f\n", block, glide * 1000, ramp, jump);
        }

    // Parameters that change at every block keep the band gliding; how far the sound trails
    // the automation, against the same ramp set at every sample.
    std::printf("\nlag of the sound behind the ramp, ms (0.5 ms steps)\n");
    std::printf("%-8s %12s %12s\n", "block", "no glide", "20 ms glide");
    const double step = 0.0005;
    const auto ramps = delayedRamps(step, 121);
    for (int32_t block : {64, 512, 1024, 4096}) {
        const double stepped = lagSeconds(automatedOutput({block, 0.0, false}), ramps, step);
        const double glided = lagSeconds(
            automatedOutput({block, miral::kDefaultSmoothingSeconds, false}), ramps, step);
        std::printf("%-8d %12.1f %12.1f\n", block, 1000 * stepped, 1000 * glided);
    }
    return 0;
}
