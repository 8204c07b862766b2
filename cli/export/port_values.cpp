#include "export/port_values.h"

#include "lv2/ports.h"

#include <cmath>
#include <cstdlib>

namespace miral::cli {
namespace {

/// How many floats either side of the law's physical value are tried.
constexpr int kNeighbours = 16;

float portValueFor(int32_t index, float norm) {
    const float nearest = lv2::normToPortValue(index, norm);
    float best = nearest;
    size_t bestLength = SIZE_MAX;
    int bestDistance = 0;
    float below = nearest, above = nearest;
    for (int distance = 0; distance <= kNeighbours; ++distance) {
        for (const float candidate : {below, above}) {
            const size_t length = exactFloatText(candidate).size();
            if (lv2::portValueToNorm(index, candidate) == norm &&
                (length < bestLength || (length == bestLength && distance < bestDistance))) {
                best = candidate;
                bestLength = length;
                bestDistance = distance;
            }
        }
        below = std::nextafter(below, -INFINITY);
        above = std::nextafter(above, INFINITY);
    }
    return best;
}

} // namespace

std::vector<PortValue> portValues(AEffect& effect) {
    std::vector<PortValue> values;
    for (int32_t index = 0; index < effect.numParams; ++index)
        values.push_back({lv2::controlPortSymbol(index),
                          portValueFor(index, effect.getParameter(&effect, index))});
    return values;
}

} // namespace miral::cli
