// Paints MIRAL's editor artwork and writes it as the BMP resources the editor loads, at the
// layout's size and at twice that size (identifiers kDoubleSizeResourceOffset higher):
//   miral_artwork OUTPUT_DIRECTORY
// The output depends only on this program, Cairo and the Liberation fonts, so anyone can
// regenerate the committed files and compare.

#include "about_art.h"
#include "bmp_file.h"
#include "control_art.h"
#include "editor/editor_layout.h"
#include "palette.h"
#include "panel_art.h"
#include "screen_art.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace miral;
using namespace miral::artwork;

namespace {

bool writeFile(const std::filesystem::path& directory, int32_t id,
               const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = directory / ("bitmap" + std::to_string(id) + ".bmp");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "miral_artwork: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

/// The rectangles of the panel that controls cover at run time, in pixels at `scale`.
std::vector<toolkit::CBox> coveredByControls(int32_t scale) {
    std::vector<toolkit::CBox> covered;
    for (const auto& knob : editor::kKnobs)
        covered.push_back(knob.box);
    for (const auto& bandSwitch : editor::kSwitches)
        covered.push_back(bandSwitch.box);
    covered.push_back(editor::kRangeSlider.box);
    covered.push_back(editor::kOutputSlider.box);
    covered.push_back(editor::kDisplayBox);
    for (toolkit::CBox& box : covered)
        box = {box.left * scale, box.top * scale, box.right * scale, box.bottom * scale};
    return covered;
}

/// Writes every bitmap at `scale` (1 or 2); false when a file cannot be written.
bool writeArtwork(const std::filesystem::path& directory, int32_t scale) {
    const int32_t idOffset = scale == 1 ? 0 : editor::kDoubleSizeIdOffset;
    const auto write = [&](int32_t id, const std::vector<uint8_t>& bytes) {
        return writeFile(directory, id + idOffset, bytes);
    };
    const Picture screen = displayScreen(scale);
    const Picture front = panel(screen);
    bool written =
        write(editor::kBackgroundId, encodeBmp8(reduceColours(front, coveredByControls(scale))));
    written &= write(editor::kKnobHandleId, encodeBmp8(reduceColours(knobHandleDot(scale))));
    for (const auto& knob : editor::kKnobs)
        written &= write(knob.faceId, encodeBmp8(reduceColours(front.crop(knob.box))));
    for (size_t band = 0; band < editor::kSwitches.size(); ++band) {
        const auto& place = editor::kSwitches[band];
        const Picture strip =
            Picture::stacked(front.crop(place.box), litBandSwitch(front, int(band) + 1));
        // The fifth band's strip is kept in full colour, the others in 256 colours.
        written &=
            write(place.stripId, band == 4 ? encodeBmp24(strip) : encodeBmp8(reduceColours(strip)));
    }
    for (const auto& slider : {editor::kRangeSlider, editor::kOutputSlider})
        written &= write(slider.trackId, encodeBmp8(reduceColours(front.crop(slider.box))));
    written &= write(editor::kSliderHandleId, encodeBmp8(reduceColours(sliderHandle(scale))));
    written &= write(editor::kDisplayScreenId, encodeBmp24(screen));
    for (const auto generation :
         {toolkit::ToolkitGeneration::kOriginal, toolkit::ToolkitGeneration::kLater})
        written &= write(editor::aboutImageId(generation),
                         encodeBmp8(reduceColours(aboutImage(generation, scale))));
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: miral_artwork OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);

    const bool written = writeArtwork(directory, 1) && writeArtwork(directory, 2);
    return written ? 0 : 1;
}
