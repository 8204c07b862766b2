#include "engine/laws.h"

#include <cmath>
#include <numbers>

namespace miral {
namespace {
constexpr double kLn100 = 2 * std::numbers::ln10; // band 1 spans a factor of 100
constexpr double kLn400 = 5.991464547107982;      // bands 2-5 span a factor of 400
constexpr double kLn36 = 3.58351893845611;        // band 6 spans a factor of 36
constexpr double kLn10 = std::numbers::ln10;      // Q spans a factor of 10
constexpr double kMinimumGainRange = 0.01;        // keeps every band audible at the lowest range
} // namespace

double normToGainDb(float x) {
    return 32.0 * x - 16.0;
}

double normToFrequencyHz(float x, int32_t filterIndex) {
    switch (filterIndex % 6) {
    case 0:
        return 20.0 * std::exp(x * kLn100);
    case 5:
        return 500.0 * std::exp(x * kLn36);
    default:
        return 40.0 * std::exp(x * kLn400);
    }
}

double normToQ(float x) {
    return std::exp(x * kLn10);
}

double normToOutputGainDb(float x) {
    return x == 0.5f ? 0.0 : 12.0 * x - 6.0;
}

double normToOutputFactor(float x) {
    return x == 0.5f ? 1.0 : std::pow(10.0, 0.05 * normToOutputGainDb(x));
}

double normToOutputReadoutDb(float x) {
    if (x == 0.5f)
        return 0.0;
    const double a = 100.0 * x;
    return 1.1766667 * a - 30.0 - 0.0146 * a * a + 0.00006133333333 * a * a * a;
}

int16_t normToEnabled(float x) {
    const double t = std::trunc(static_cast<double>(x) + 0.5);
    if (t >= INT16_MAX)
        return INT16_MAX;
    if (t <= INT16_MIN)
        return INT16_MIN;
    return static_cast<int16_t>(t);
}

double normToGainRange(float x) {
    return x < kMinimumGainRange ? kMinimumGainRange : x;
}

} // namespace miral
