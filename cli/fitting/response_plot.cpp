#include "fitting/response_plot.h"

#include "output_safety/output_file.h"

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace miral::cli {
namespace {

constexpr int kWidth = 960, kHeight = 540;
constexpr double kLeft = 64, kRight = 24, kTop = 44, kBottom = 48;
constexpr double kLowestHz = 10.0, kHighestHz = 30000.0;

struct Colour {
    double r, g, b;
};
// The response in front, the target behind it, the error below: told apart at a glance.
constexpr Colour kCurveColours[] = {{0.05, 0.35, 0.80}, {0.90, 0.45, 0.05}, {0.55, 0.10, 0.55}};

struct Axes {
    double lowDb, highDb, stepDb;
    double x(double frequencyHz) const {
        const double t = std::log(frequencyHz / kLowestHz) / std::log(kHighestHz / kLowestHz);
        return kLeft + t * (kWidth - kLeft - kRight);
    }
    double y(double gainDb) const {
        return kTop + (highDb - gainDb) / (highDb - lowDb) * (kHeight - kTop - kBottom);
    }
};

Axes axesFor(const std::vector<PlotCurve>& curves) {
    double low = -3.0, high = 3.0;
    for (const PlotCurve& curve : curves)
        for (const double gain : curve.gainsDb)
            if (std::isfinite(gain)) {
                low = std::min(low, gain);
                high = std::max(high, gain);
            }
    const double span = high - low;
    const double step = span <= 12.0 ? 3.0 : span <= 36.0 ? 6.0 : 12.0;
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

std::string hertzLabel(double frequencyHz) {
    return frequencyHz >= 1000.0 ? std::to_string(int(frequencyHz / 1000.0)) + " kHz"
                                 : std::to_string(int(frequencyHz)) + " Hz";
}

void drawText(cairo_t* cr, const std::string& text, double x, double y, double alignX) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - alignX * extents.width - extents.x_bearing, y);
    cairo_show_text(cr, text.c_str());
}

void drawGrid(cairo_t* cr, const Axes& axes) {
    cairo_set_line_width(cr, 1.0);
    cairo_set_font_size(cr, 12.0);
    for (double decade = kLowestHz; decade <= kHighestHz; decade *= 10.0)
        for (int multiple = 1; multiple <= 9; ++multiple) {
            const double frequencyHz = decade * multiple;
            if (frequencyHz > kHighestHz)
                break;
            const double x = std::round(axes.x(frequencyHz)) + 0.5;
            const double shade = multiple == 1 ? 0.70 : 0.88;
            cairo_set_source_rgb(cr, shade, shade, shade);
            cairo_move_to(cr, x, kTop);
            cairo_line_to(cr, x, kHeight - kBottom);
            cairo_stroke(cr);
            if (multiple == 1 || multiple == 2 || multiple == 5) {
                cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
                drawText(cr, hertzLabel(frequencyHz), x, kHeight - kBottom + 18, 0.5);
            }
        }
    for (double gain = axes.lowDb; gain <= axes.highDb + 1e-9; gain += axes.stepDb) {
        const double y = std::round(axes.y(gain)) + 0.5;
        const double shade = gain == 0.0 ? 0.45 : 0.80;
        cairo_set_source_rgb(cr, shade, shade, shade);
        cairo_move_to(cr, kLeft, y);
        cairo_line_to(cr, kWidth - kRight, y);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        char label[16];
        std::snprintf(label, sizeof label, "%+g dB", gain);
        drawText(cr, gain == 0.0 ? "0 dB" : label, kLeft - 8, y + 4, 1.0);
    }
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    drawText(cr, "frequency", kWidth / 2.0, kHeight - 10, 0.5);
}

void drawCurve(cairo_t* cr, const Axes& axes, const PlotCurve& curve, const Colour& colour) {
    cairo_save(cr);
    cairo_rectangle(cr, kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    bool drawing = false;
    for (size_t i = 0; i < curve.frequenciesHz.size(); ++i) {
        if (!std::isfinite(curve.gainsDb[i]) || curve.frequenciesHz[i] <= 0.0) {
            drawing = false;
            continue;
        }
        const double x = axes.x(curve.frequenciesHz[i]), y = axes.y(curve.gainsDb[i]);
        drawing ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
        drawing = true;
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawLegend(cairo_t* cr, const std::vector<PlotCurve>& curves) {
    cairo_set_font_size(cr, 13.0);
    double x = kLeft + 12;
    for (size_t i = 0; i < curves.size() && i < std::size(kCurveColours); ++i) {
        const Colour& colour = kCurveColours[i];
        cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        cairo_rectangle(cr, x, kTop + 10, 18, 4);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, curves[i].label.c_str(), &extents);
        cairo_move_to(cr, x + 24, kTop + 17);
        cairo_show_text(cr, curves[i].label.c_str());
        x += 24 + extents.x_advance + 20;
    }
}

cairo_status_t writeToDescriptor(void* closure, const unsigned char* data, unsigned int length) {
    const int descriptor = *static_cast<int*>(closure);
    while (length > 0) {
        const ssize_t written = ::write(descriptor, data, length);
        if (written <= 0)
            return CAIRO_STATUS_WRITE_ERROR;
        data += written;
        length -= static_cast<unsigned>(written);
    }
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

void writeResponsePlot(const std::string& path, bool force, const std::string& title,
                       const std::vector<PlotCurve>& curves) {
    OutputFile file(path, force);
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), cairo_surface_destroy);
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()),
                                                                     cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    const Axes axes = axesFor(curves);
    drawGrid(cr, axes);
    for (size_t i = std::min(curves.size(), std::size(kCurveColours)); i-- > 0;)
        drawCurve(cr, axes, curves[i], kCurveColours[i]);
    drawLegend(cr, curves);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_set_font_size(cr, 15.0);
    drawText(cr, title, kLeft, 26, 0.0);
    int descriptor = file.descriptor();
    if (cairo_surface_write_to_png_stream(surface.get(), writeToDescriptor, &descriptor) !=
        CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + file.name());
    file.commit();
}

} // namespace miral::cli
