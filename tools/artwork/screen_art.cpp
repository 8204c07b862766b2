#include "screen_art.h"

#include "canvas.h"
#include "drawing.h"
#include "editor/editor_layout.h"
#include "editor/response_scale.h"

#include <cmath>

namespace miral::artwork {
namespace {
constexpr double kGridStepDb = 6.0;
} // namespace

std::vector<double> scaleFrequencies() {
    std::vector<double> frequencies;
    for (double decade = 10.0; decade < editor::kHighestFrequencyHz; decade *= 10.0)
        for (int multiple = 1; multiple <= 9; ++multiple) {
            const double frequency = decade * multiple;
            if (frequency >= editor::kLowestFrequencyHz && frequency <= editor::kHighestFrequencyHz)
                frequencies.push_back(frequency);
        }
    frequencies.push_back(editor::kHighestFrequencyHz);
    return frequencies;
}

bool isLabelledFrequency(double frequencyHz) {
    const double mantissa = frequencyHz / std::pow(10.0, std::floor(std::log10(frequencyHz)));
    return mantissa == 1.0 || mantissa == 2.0 || mantissa == 5.0;
}

bool isStressedFrequency(double frequencyHz) {
    for (double stressed : {20.0, 100.0, 1000.0, 10000.0, 20000.0})
        if (frequencyHz == stressed)
            return true;
    return false;
}

Picture displayScreen(int32_t scale) {
    const int width = editor::kDisplayBox.width();
    const int height = editor::kDisplayBox.height();
    Canvas canvas(width, height, scale);
    cairo_t* cr = canvas.cr();
    cairo_rectangle(cr, 0, 0, width, height);
    setColour(cr, kScreen);
    cairo_fill(cr);

    for (double frequency : scaleFrequencies()) {
        const int column = editor::columnOfFrequency(frequency, width);
        if (column > 0 && column < width && isLabelledFrequency(frequency))
            pixelLine(cr, column, 0, column, height - 1,
                      isStressedFrequency(frequency) ? kScreenGrid : kScreenGridFaint);
    }
    for (double gainDb = -12.0; gainDb <= 12.0; gainDb += kGridStepDb) {
        const int row = editor::toPixel(editor::curveY(gainDb, height));
        pixelLine(cr, 0, row, width - 1, row, gainDb == 0.0 ? kScreenGrid : kScreenGridFaint);
    }
    // The glass sits a little below the bezel: a soft shadow along the top and left edges.
    pixelLine(cr, 0, 0, width - 1, 0, kScreenShadow);
    pixelLine(cr, 0, 0, 0, height - 1, kScreenShadow);
    pixelLine(cr, 1, 1, width - 1, 1, {192, 204, 148});
    pixelLine(cr, 1, 1, 1, height - 1, {196, 208, 152});
    return canvas.picture();
}

} // namespace miral::artwork
