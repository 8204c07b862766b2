#pragma once

// The drawing state of one drawing context: line, fill and font colours, line width, font,
// pen position and an offset added to every coordinate drawn. Views draw through it, and the
// controls ask it for the live mouse state of the frame's window while they track a drag.

#include "platform/draw_context.h"
#include "toolkit/geometry.h"

#include <cstdint>

namespace miral::toolkit {

class CFrame;

enum CTextAlign : int32_t { kLeftText = 0, kCentreText = 1, kRightText = 2 };

/// Font style bits of setFont.
enum CFontStyle : int32_t { kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

/// Mouse and modifier bits of getMouseButtons.
enum CButton : int32_t {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

class CDrawPort {
public:
    /// A port drawing through `context` for the views of `owner` (null: no window, so no
    /// mouse state). The context must outlive the port.
    CDrawPort(platform::DrawContext& context, CFrame* owner);
    virtual ~CDrawPort() = default;
    CDrawPort(const CDrawPort&) = delete;
    CDrawPort& operator=(const CDrawPort&) = delete;

    void moveTo(CPos point) { penPosition = point; }
    /// A line in the line colour from the pen position to `point`, which becomes the pen
    /// position.
    void lineTo(CPos point);
    void polyLine(const CPos* points, int32_t count);
    /// Fills the polygon with the fill colour, without an outline.
    void fillPolygon(const CPos* points, int32_t count);
    /// Outlines the box in the line colour, corners included.
    void frameRect(const CBox& box);
    /// Fills left + 1, top + 1 to right, bottom with the fill colour.
    void fillRect(const CBox& box);
    /// The box's pixels (right and bottom edges excluded) filled with the fill colour and
    /// their outermost ring, `ringWidth` pixels thick, in the line colour, in one operation
    /// (later toolkit generation).
    void frameAndFillRect(const CBox& box, int32_t ringWidth = 1);

    void setLineWidth(int32_t width) { lineWidth = width; }
    int32_t getLineWidth() const { return lineWidth; }
    void setLineColour(CRgb colour) { lineColour = colour; }
    CRgb getLineColour() const { return lineColour; }
    void setFillColour(CRgb colour) { fillColour = colour; }
    CRgb getFillColour() const { return fillColour; }
    void setFontColour(CRgb colour) { fontColour = colour; }
    CRgb getFontColour() const { return fontColour; }

    /// Font `index` 0 to 7 (others become 0) at `size` pixels (0: the index's default size);
    /// style CFontStyle bits. Indices 0 to 6 are Arial (0 always bold), 7 is Symbol.
    void setFont(int32_t index, int32_t size = 0, int32_t style = 0);
    /// One line of text in the font colour, vertically centred in the box. Nothing for null
    /// or empty text.
    void drawString(const char* text, const CBox& box, bool opaque = false,
                    CTextAlign align = kCentreText);

    /// The CButton bits held now, read live from the window system.
    int32_t getMouseButtons();
    /// The pointer position relative to the frame's window, read live.
    void getMouseLocation(CPos& point);

    void setOffset(CPos offset) { drawOffset = offset; }
    CPos getOffset() const { return drawOffset; }
    CFrame* getFrame() const { return frame; }
    platform::DrawContext& context() const { return *drawContext; }

protected:
    /// Draws through `context` from now on; it must outlive the port.
    void retarget(platform::DrawContext& context) { drawContext = &context; }

private:
    platform::Point shifted(CPos point) const;

    platform::DrawContext* drawContext;
    CFrame* frame;
    CPos drawOffset;
    CPos penPosition;
    CRgb lineColour = kWhiteCRgb;
    CRgb fillColour = kBlackCRgb;
    CRgb fontColour = kWhiteCRgb;
    int32_t lineWidth = 1;
    platform::Font font;
};

} // namespace miral::toolkit
