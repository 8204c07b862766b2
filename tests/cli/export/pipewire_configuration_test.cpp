// The numbers of the PipeWire configuration: the float the LV2 port is to hold, whichever way
// PipeWire's parser reads it.

#include "export/pipewire_configuration.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace miral::cli {
namespace {

TEST(ExactFloatText, ShortestTextThatReadsBackAsTheSameFloat) {
    const std::pair<float, const char*> table[] = {{200.0f, "200"},
                                                   {0.0f, "0"},
                                                   {-16.0f, "-16"},
                                                   {3.2000008f, "3.2000008"},
                                                   {-3.1999998f, "-3.1999998"},
                                                   {592.90753f, "592.90753"},
                                                   {0.1f, "0.1"},
                                                   {1e-5f, "1e-05"},
                                                   {18000.0f, "18000"}};
    for (const auto& [value, text] : table)
        EXPECT_EQ(exactFloatText(value), text);

    // Across the whole range of finite floats, both of the parser's ways give the float back.
    for (uint32_t bits = 0; bits < 0x7f800000u; bits += 99991u)
        for (const float value : {std::bit_cast<float>(bits), -std::bit_cast<float>(bits)}) {
            const std::string text = exactFloatText(value);
            ASSERT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
            ASSERT_EQ(static_cast<float>(std::strtod(text.c_str(), nullptr)), value) << text;
        }
}

} // namespace
} // namespace miral::cli
