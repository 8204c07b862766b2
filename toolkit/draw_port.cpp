#include "toolkit/draw_port.h"

#include "platform/window.h"
#include "platform_conversions.h"
#include "toolkit/frame.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace miral::toolkit {
namespace {
constexpr int32_t kFontCount = 8;
constexpr std::array<int32_t, kFontCount> kDefaultFontSize{12, 18, 14, 12, 11, 10, 9, 13};
constexpr int32_t kSymbolFont = 7;
} // namespace

CDrawPort::CDrawPort(platform::DrawContext& context, CFrame* owner)
    : drawContext(&context), frame(owner) {}

platform::Point CDrawPort::shifted(CPos point) const {
    return {point.x + drawOffset.x, point.y + drawOffset.y};
}

void CDrawPort::lineTo(CPos point) {
    drawContext->line(shifted(penPosition), shifted(point), toPlatform(lineColour), lineWidth);
    penPosition = point;
}

void CDrawPort::polyLine(const CPos* points, int32_t count) {
    if (count <= 0)
        return;
    std::vector<platform::Point> path;
    path.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        path.push_back(shifted(points[i]));
    drawContext->polyline(path, toPlatform(lineColour), lineWidth);
}

void CDrawPort::fillPolygon(const CPos* points, int32_t count) {
    if (count <= 0)
        return;
    std::vector<platform::Point> outline;
    outline.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        outline.push_back(shifted(points[i]));
    drawContext->fillPolygon(outline, toPlatform(fillColour));
}

void CDrawPort::frameRect(const CBox& box) {
    moveTo(box.topLeft());
    lineTo({box.right, box.top});
    lineTo({box.right, box.bottom});
    lineTo({box.left, box.bottom});
    lineTo({box.left, box.top});
}

void CDrawPort::fillRect(const CBox& box) {
    const CBox inside{box.left + 1, box.top + 1, box.right, box.bottom};
    drawContext->fillRect(toPlatform(inside.movedBy(drawOffset.x, drawOffset.y)),
                          toPlatform(fillColour));
}

void CDrawPort::frameAndFillRect(const CBox& box, int32_t ringWidth) {
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const CBox shown = box.movedBy(drawOffset.x, drawOffset.y);
    drawContext->fillRect(toPlatform(shown), toPlatform(fillColour));
    // The outline as four bands, which every backend draws exactly.
    const platform::Rgb outline = toPlatform(lineColour);
    const auto [left, top, right, bottom] = shown;
    const int32_t ring = std::max(ringWidth, 1);
    drawContext->fillRect(toPlatform(CBox{left, top, right, top + ring}), outline);
    drawContext->fillRect(toPlatform(CBox{left, bottom - ring, right, bottom}), outline);
    drawContext->fillRect(toPlatform(CBox{left, top, left + ring, bottom}), outline);
    drawContext->fillRect(toPlatform(CBox{right - ring, top, right, bottom}), outline);
}

void CDrawPort::setFont(int32_t index, int32_t size, int32_t style) {
    if (index < 0 || index >= kFontCount)
        index = 0;
    font.face = index == kSymbolFont ? "Symbol" : "Arial";
    font.family =
        index == kSymbolFont ? platform::FontFamily::kDecorative : platform::FontFamily::kSwiss;
    font.pixelHeight = size != 0 ? size : kDefaultFontSize[size_t(index)];
    font.bold = (style & kBoldFace) != 0 || index == 0;
    font.italic = (style & kItalicFace) != 0;
    font.underline = (style & kUnderlineFace) != 0;
}

void CDrawPort::drawString(const char* text, const CBox& box, bool opaque, CTextAlign align) {
    if (text == nullptr || text[0] == '\0')
        return;
    CBox target = box.movedBy(drawOffset.x, drawOffset.y);
    platform::TextAlign placement = platform::TextAlign::kCentre;
    if (align == kLeftText) {
        target = target.movedBy(1, 0);
        placement = platform::TextAlign::kLeft;
    } else if (align == kRightText) {
        placement = platform::TextAlign::kRight;
    }
    drawContext->drawText(std::string_view(text, std::strlen(text)), toPlatform(target), font,
                          toPlatform(fontColour), placement, opaque);
}

int32_t CDrawPort::getMouseButtons() {
    platform::Window* window = frame != nullptr ? frame->getWindow() : nullptr;
    return window != nullptr ? window->mouseButtons() : 0;
}

void CDrawPort::getMouseLocation(CPos& point) {
    platform::Window* window = frame != nullptr ? frame->getWindow() : nullptr;
    if (window != nullptr)
        point = fromPlatform(window->pointerPosition());
}

} // namespace miral::toolkit
