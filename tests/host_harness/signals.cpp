#include "signals.h"

#include "hosted_effect.h"

#include <algorithm>
#include <cmath>

namespace miral::harness {

Stereo noise(size_t frames, float amplitude, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> sample(-amplitude, amplitude);
    Stereo signal(frames);
    for (size_t i = 0; i < frames; ++i) {
        signal.left[i] = sample(generator);
        signal.right[i] = sample(generator);
    }
    return signal;
}

void processInBlocks(HostedEffect& effect, Stereo& input, Stereo& output, int32_t blockSize) {
    const size_t block = static_cast<size_t>(blockSize);
    for (size_t done = 0; done < input.frames(); done += block) {
        const size_t frames = std::min(block, input.frames() - done);
        effect.process(input.at(done).data(), output.at(done).data(), static_cast<int32_t>(frames));
    }
}

SampleCounts countSamples(const Stereo& signal) {
    SampleCounts counts;
    for (const std::vector<float>* channel : {&signal.left, &signal.right})
        for (float sample : *channel) {
            switch (std::fpclassify(sample)) {
            case FP_NAN:
            case FP_INFINITE:
                ++counts.nonFinite;
                break;
            case FP_SUBNORMAL:
                ++counts.subnormal;
                break;
            default:
                counts.largest = std::max(counts.largest, std::fabs(sample));
            }
        }
    return counts;
}

} // namespace miral::harness
