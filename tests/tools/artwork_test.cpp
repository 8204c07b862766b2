// The committed bitmaps are exactly what the artwork generator paints, at the sizes and depths
// the editor and the Windows resources expect.

#include "editor/editor_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace miral::editor {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t little32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

struct Expected {
    int32_t id;
    int32_t width;
    int32_t height;
    int32_t bits;
};

std::vector<Expected> fullSizeBitmaps() {
    std::vector<Expected> expected{{kBackgroundId, 420, 290, 8},
                                   {kKnobHandleId, kKnobHandleSize, kKnobHandleSize, 8}};
    for (const KnobPlace& knob : kKnobs)
        expected.push_back({knob.faceId, 34, 34, 8});
    for (const SwitchPlace& place : kSwitches)
        expected.push_back({place.stripId, 64, 42, place.stripId == 150 ? 24 : 8});
    expected.push_back({kOutputTrackId, 12, 47, 8});
    expected.push_back({kSliderHandleId, 10, 5, 8});
    expected.push_back({kRangeTrackId, 12, 47, 8});
    expected.push_back({kDisplayScreenId, 343, 47, 24});
    expected.push_back({kAboutImageId, 211, 46, 8});
    expected.push_back({kLaterAboutImageId, 211, 46, 8});
    return expected;
}

/// Every bitmap at full size and, kDoubleSizeIdOffset higher, at twice the size.
std::vector<Expected> expectedBitmaps() {
    std::vector<Expected> expected = fullSizeBitmaps();
    for (const Expected& full : fullSizeBitmaps())
        expected.push_back(
            {full.id + kDoubleSizeIdOffset, 2 * full.width, 2 * full.height, full.bits});
    return expected;
}

TEST(Artwork, CommittedBitmapsAreTheGeneratorsOutput) {
    const fs::path generated =
        fs::temp_directory_path() / ("miral-artwork-" + std::to_string(::getpid()));
    // Fontconfig's cache lives as long as the generator: no leak report from sanitizer builds.
    const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 ") + MIRAL_ARTWORK_TOOL +
                                " '" + generated.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::vector<Expected> expected = expectedBitmaps();
    EXPECT_EQ(std::distance(fs::directory_iterator(generated), fs::directory_iterator()),
              std::ptrdiff_t(expected.size()));
    for (const Expected& bitmap : expected) {
        const std::string name = "bitmap" + std::to_string(bitmap.id) + ".bmp";
        const std::vector<uint8_t> committed = contents(fs::path(MIRAL_RESOURCES_DIR) / name);
        ASSERT_GT(committed.size(), 54u) << name;
        EXPECT_EQ(committed, contents(generated / name))
            << name << " differs from the generator's: run miral_artwork resources/";
        EXPECT_EQ(int32_t(little32(committed, 18)), bitmap.width) << name;
        EXPECT_EQ(int32_t(little32(committed, 22)), bitmap.height) << name;
        EXPECT_EQ(committed[28], bitmap.bits) << name;
    }
    fs::remove_all(generated);
}

} // namespace
} // namespace miral::editor
