#include "number_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace {

using miral::dB2string;
using miral::float2string;
using miral::Hz2string;
using miral::long2string;
using miral::ms2string;

// Fills a guarded buffer: 9 bytes for the routine and a canary behind them.
template <typename Write> std::string written(Write write) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    write(buffer);
    EXPECT_EQ(buffer[9], '#') << "wrote past the 9-byte buffer";
    EXPECT_NE(std::memchr(buffer, '\0', 9), nullptr);
    return buffer;
}

std::string floatText(float value) {
    return written([value](char* text) { float2string(value, text); });
}

struct FloatCase {
    float value;
    const char* text;
};

TEST(Float2String, WritesEightCharactersTruncated) {
    const float inf = std::numeric_limits<float>::infinity();
    const FloatCase cases[] = {
        {0.0f, "0.000000"},
        {3.5f, "3.500000"},
        {6.4f, "6.400000"},
        {-6.4f, "-6.40000"},
        {-12.25f, "-12.2500"},
        {1000.0f, "1000.000"},
        {20000.0f, "20000.00"},
        {0.9999999f, "0.999999"},
        {1234567.0f, "1234567."},
        {9999999.0f, "9999999."},
        {-123456.0f, "-123456."},
        // Integers that fill all eight characters keep every digit and drop the point.
        {10000000.0f, "10000000"},
        {12345678.0f, "12345678"},
        {99999992.0f, "99999992"},
        {-1000000.0f, "-1000000"},
        {-1234567.0f, "-1234567"},
        {-9999999.0f, "-9999999"},
        // Beyond that, and for infinities, the number does not fit.
        {100000000.0f, "Huge!"},
        {-10000000.0f, "Huge!"},
        {inf, "Huge!"},
        {-inf, "Huge!"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
    };
    for (const FloatCase& c : cases) {
        EXPECT_EQ(floatText(c.value), c.text) << "value " << c.value;
    }
}

TEST(Long2String, RightAlignsInSevenPlacesUpToEightCharacters) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "      0"},       {-42, "    -42"},       {1234567, "1234567"}, {99999999, "99999999"},
        {100000000, "Huge!"}, {-9999999, "-9999999"}, {-10000000, "Huge!"}, {INT32_MIN, "Huge!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(written([&](char* text) { long2string(c.value, text); }), c.text)
            << "value " << c.value;
    }
}

TEST(OtherNumberTexts, ConvertBeforeFormatting) {
    EXPECT_EQ(written([](char* t) { dB2string(0.0f, t); }), "-oo");
    EXPECT_EQ(written([](char* t) { dB2string(-1.0f, t); }), "-oo");
    EXPECT_EQ(written([](char* t) { dB2string(10.0f, t); }), "20.00000");
    EXPECT_EQ(written([](char* t) { Hz2string(100.0f, 44100.0f, t); }), "441.0000");
    EXPECT_EQ(written([](char* t) { Hz2string(0.0f, 44100.0f, t); }), "0.000000");
    EXPECT_EQ(written([](char* t) { ms2string(441.0f, 44100.0f, t); }), "10.00000");
}

} // namespace
