#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace miral {

namespace {

constexpr char kHuge[] = "Huge!";
constexpr char kNotANumber[] = "NaN";
constexpr char kMinusInfinity[] = "-oo";

// Largest magnitudes whose integer part fits the 8 characters, with and without a sign.
constexpr double kMaxPositive = 99999999.0;
constexpr double kMaxNegative = 9999999.0;

constexpr double kPowersOfTen[kNumberTextChars + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

void copyText(const char* source, char* text) {
    std::memcpy(text, source, std::strlen(source) + 1);
}

// Digit of the units place of a non-negative double, the remainder truncated.
char unitsDigit(double v) {
    return static_cast<char>('0' + static_cast<int>(std::fmod(v, 10.0)));
}

} // namespace

void float2string(float value, char* text) {
    if (text == nullptr) {
        return;
    }
    if (std::isnan(value)) {
        copyText(kNotANumber, text);
        return;
    }
    double v = value;
    const bool negative = v < 0.0;
    if (negative) {
        v = -v;
    }
    if (v > (negative ? kMaxNegative : kMaxPositive)) {
        copyText(kHuge, text);
        return;
    }

    // Integer digits from the right. Dividing by repeated multiplication by 0.1 never drops
    // below the next integer, so each remainder gives the right digit.
    const int signChars = negative ? 1 : 0;
    char digits[kNumberTextChars];
    int numDigits = 0;
    double n = std::floor(v);
    do {
        digits[numDigits++] = unitsDigit(n);
        n *= 0.1;
    } while (n >= 1.0 && signChars + numDigits < kNumberTextChars);

    char* out = text;
    if (negative) {
        *out++ = '-';
    }
    while (numDigits > 0) {
        *out++ = digits[--numDigits];
    }
    int used = static_cast<int>(out - text);
    // An integer part that fills all 8 characters is shown whole, without the point.
    if (used < kNumberTextChars) {
        *out++ = '.';
        ++used;
    }

    // Fraction digits in the remaining places, built from the right.
    const int fractionDigits = kNumberTextChars - used;
    double m = std::fmod(v, 1.0) * kPowersOfTen[fractionDigits];
    for (int i = fractionDigits - 1; i >= 0; --i) {
        if (m <= 0.0) {
            out[i] = '0';
        } else {
            out[i] = unitsDigit(m);
            m *= 0.1;
        }
    }
    out[fractionDigits] = '\0';
}

void long2string(int32_t value, char* text) {
    if (text == nullptr) {
        return;
    }
    constexpr int32_t kMaxPositiveLong = 99999999;
    constexpr int32_t kMaxNegativeLong = -9999999;
    if (value > kMaxPositiveLong || value < kMaxNegativeLong) {
        copyText(kHuge, text);
        return;
    }
    std::snprintf(text, kNumberTextChars + 1, "%7d", static_cast<int>(value));
}

void dB2string(float value, char* text) {
    if (text == nullptr) {
        return;
    }
    if (value <= 0.0f) {
        copyText(kMinusInfinity, text);
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text);
}

void Hz2string(float samples, float sampleRate, char* text) {
    const float hz = samples == 0.0f ? 0.0f : sampleRate / samples;
    float2string(hz, text);
}

void ms2string(float samples, float sampleRate, char* text) {
    float2string(samples * 1000.0f / sampleRate, text);
}

} // namespace miral
