// miral snapshot: the editor's picture after the given settings, made without a window system.

#include "commands/snapshot_command.h"
#include "usage_error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace miral::cli {
namespace {

namespace fs = std::filesystem;

struct SnapshotTest : ::testing::Test {
    SnapshotTest() { fs::create_directories(directory); }
    ~SnapshotTest() override { fs::remove_all(directory); }

    std::vector<uint8_t> contents(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    /// Width and height from a PNG file's header.
    std::pair<uint32_t, uint32_t> pngSize(const std::vector<uint8_t>& png) const {
        const auto big32 = [&png](size_t at) {
            return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 |
                   uint32_t(png[at + 2]) << 8 | uint32_t(png[at + 3]);
        };
        return {big32(16), big32(20)};
    }

    const fs::path directory =
        fs::temp_directory_path() / ("miral-snapshot-" + std::to_string(::getpid()));
};

TEST_F(SnapshotTest, WritesTheEditorAfterTheSettings) {
    SnapshotOptions flat{(directory / "flat.png").string(), {}};
    runSnapshot(flat);
    SnapshotOptions contour{(directory / "contour.png").string(), {"8", {}, {"Gain 3=+6dB"}, {}}};
    runSnapshot(contour);

    const auto flatPicture = contents(flat.outputPath);
    const auto contourPicture = contents(contour.outputPath);
    ASSERT_GT(flatPicture.size(), 24u);
    EXPECT_EQ(flatPicture[1], 'P');
    EXPECT_EQ(pngSize(flatPicture), (std::pair<uint32_t, uint32_t>{420, 290}));
    EXPECT_EQ(pngSize(contourPicture), (std::pair<uint32_t, uint32_t>{420, 290}));
    EXPECT_NE(flatPicture, contourPicture);
}

TEST_F(SnapshotTest, DrawsAtTheGivenScale) {
    for (const auto& [scale, width, height] :
         {std::tuple{2.0, 840u, 580u}, std::tuple{1.5, 630u, 435u}, std::tuple{3.0, 1260u, 870u}}) {
        SnapshotOptions scaled{(directory / "scaled.png").string(), {}};
        scaled.scale = scale;
        scaled.force = true;
        runSnapshot(scaled);
        EXPECT_EQ(pngSize(contents(scaled.outputPath)),
                  (std::pair<uint32_t, uint32_t>{width, height}))
            << scale;
        fs::remove(scaled.outputPath);
    }
}

TEST_F(SnapshotTest, RefusesAWrongSettingBeforeWritingAnything) {
    SnapshotOptions wrong{(directory / "wrong.png").string(), {{}, {}, {"Gain 3=+40dB"}, {}}};
    EXPECT_THROW(runSnapshot(wrong), UsageError);
    SnapshotOptions unknownProgram{(directory / "wrong.png").string(), {"Disco", {}, {}, {}}};
    EXPECT_THROW(runSnapshot(unknownProgram), UsageError);
    EXPECT_FALSE(fs::exists(wrong.outputPath));
}

TEST_F(SnapshotTest, ReportsAPictureThatCannotBeWritten) {
    SnapshotOptions nowhere{(directory / "missing" / "editor.png").string(), {}};
    EXPECT_THROW(runSnapshot(nowhere), std::runtime_error);
}

} // namespace
} // namespace miral::cli
