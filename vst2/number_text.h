#pragma once

// Number-to-text routines of the VST 2 base layer. Each writes at most 8 characters and the
// terminator into the caller's buffer (9 bytes), truncating instead of rounding; a null buffer
// is left alone.

#include <cstdint>

namespace miral {

/// Characters a routine writes at most, not counting the terminator.
inline constexpr int kNumberTextChars = 8;

/// As many integer digits as fit and then fraction digits up to 8 characters: 3.5 gives
/// "3.500000", -12.25 "-12.2500". Integers of exactly 8 characters with their sign
/// ("12345678", "-1234567") have no point. Larger magnitudes and infinities give "Huge!",
/// NaN gives "NaN".
void float2string(float value, char* text);

/// The value right-aligned in 7 places ("%7d"); "Huge!" when it needs more than 8 characters.
void long2string(int32_t value, char* text);

/// "-oo" for value <= 0, otherwise float2string of 20 * log10(value).
void dB2string(float value, char* text);

/// float2string of the frequency whose period is `samples` long: sampleRate / samples, 0 for
/// 0 samples.
void Hz2string(float samples, float sampleRate, char* text);

/// float2string of `samples` as milliseconds at sampleRate.
void ms2string(float samples, float sampleRate, char* text);

} // namespace miral
