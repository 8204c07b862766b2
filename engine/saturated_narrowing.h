#pragma once

// Narrowing of the engine's double results to the float outputs, saturating at ±FLT_MAX so
// that an output overflowing the float range stays finite. Not a number stays not a number;
// every value within the float range narrows exactly as a plain conversion does.
//
// File-local (unnamed namespace): each kernel file compiles it for its own instruction set, and
// a shared copy could carry AVX instructions into the SSE2 kernel.

#include <emmintrin.h>

#include <cfloat>

namespace miral {
namespace {

inline float narrowSaturated(double x) {
    return static_cast<float>(x < -FLT_MAX ? -FLT_MAX : (x > FLT_MAX ? FLT_MAX : x));
}

/// Two lanes at once, as narrowSaturated: max and min return their second operand when either
/// is not a number, so the value goes second.
inline __m128 narrowSaturated(__m128d x) {
    const __m128d limited = _mm_min_pd(_mm_set1_pd(FLT_MAX), _mm_max_pd(_mm_set1_pd(-FLT_MAX), x));
    return _mm_cvtpd_ps(limited);
}

} // namespace
} // namespace miral
