// Zipper noise and clicks of automation above 1 kHz (see artifact_measurement.h) for several
// glide times, against the same ramp set at every sample without smoothing.

#include "artifact_measurement.h"

#include <cstdio>

int main() {
    using namespace miral::measure;
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
    return 0;
}
