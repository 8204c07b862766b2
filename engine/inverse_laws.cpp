#include "engine/inverse_laws.h"

#include "engine/laws.h"

#include <cmath>

namespace miral {
namespace {

/// x for which the linear law through (0, atZero) and (1, atOne) gives `value`.
double linearInverse(double value, double atZero, double atOne) {
    return (value - atZero) / (atOne - atZero);
}

/// x for which the exponential law atZero × (atOne / atZero)^x gives `value`.
double exponentialInverse(double value, double atZero, double atOne) {
    return std::log(value / atZero) / std::log(atOne / atZero);
}

} // namespace

double gainDbToNorm(double gainDb) {
    return linearInverse(gainDb, normToGainDb(0.0f), normToGainDb(1.0f));
}

double frequencyHzToNorm(double frequencyHz, int32_t filterIndex) {
    return exponentialInverse(frequencyHz, normToFrequencyHz(0.0f, filterIndex),
                              normToFrequencyHz(1.0f, filterIndex));
}

double qToNorm(double q) {
    return exponentialInverse(q, normToQ(0.0f), normToQ(1.0f));
}

double outputGainDbToNorm(double gainDb) {
    if (gainDb == 0.0)
        return 0.5;
    return linearInverse(gainDb, normToOutputGainDb(0.0f), normToOutputGainDb(1.0f));
}

double enabledToNorm(bool on) {
    return on ? 1.0 : 0.0;
}

} // namespace miral
