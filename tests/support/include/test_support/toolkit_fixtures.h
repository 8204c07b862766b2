#pragma once

// Shared pieces of the toolkit tests: BMP files made in memory and registered as resources, a
// stand-in editor and listener, and a headless frame with a test clock.

#include "platform/clock.h"
#include "platform/embedded_bitmaps.h"
#include "platform/headless_screen.h"
#include "toolkit/control.h"
#include "toolkit/frame.h"
#include "toolkit/frame_editor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace miral::toolkit::testing {

using Bytes = std::vector<std::byte>;
using PixelFunction = std::function<CRgb(int32_t x, int32_t y)>;

/// A 24-bit BMP, bottom-up rows.
Bytes makeBmp24(int32_t width, int32_t height, const PixelFunction& pixel);
/// An 8-bit palettised BMP; `index` gives each pixel's palette entry.
Bytes makeBmp8(int32_t width, int32_t height, const std::vector<CRgb>& palette,
               const std::function<uint8_t(int32_t x, int32_t y)>& index, bool topDown = false);

/// A BMP registered as a bitmap resource for the lifetime of the object.
class RegisteredBitmap {
public:
    RegisteredBitmap(int32_t id, Bytes bmp);
    ~RegisteredBitmap();
    RegisteredBitmap(const RegisteredBitmap&) = delete;
    RegisteredBitmap& operator=(const RegisteredBitmap&) = delete;

private:
    int32_t id;
    Bytes bytes;
};

/// A solid-colour bitmap resource.
RegisteredBitmap solidBitmap(int32_t id, int32_t width, int32_t height, CRgb colour);

struct StubEditor final : CFrameEditor {
    void doIdleStuff() override { ++idleCalls; }
    int32_t getKnobMode() const override { return knobMode; }
    void beginEdit(int32_t tag) override { begun.push_back(tag); }
    void endEdit(int32_t tag) override { ended.push_back(tag); }

    int32_t idleCalls = 0;
    int32_t knobMode = 0;
    std::vector<int32_t> begun;
    std::vector<int32_t> ended;
};

struct ValueChange {
    int32_t tag;
    float value;
    bool withPort;
};

/// Records every change and, like the editor, brings the control up to date in the port.
struct RecordingListener final : CValueListener {
    void onValueChange(CDrawPort* port, CControl* control) override {
        changes.push_back({control->getTag(), control->getValue(), port != nullptr});
        if (port != nullptr)
            control->update(*port);
    }
    std::vector<ValueChange> changes;
};

/// A view that paints its box in one colour and counts its draws and clicks.
class ColourView final : public CView {
public:
    ColourView(const CBox& box, CRgb paint) : CView(box), colour(paint) {}
    void draw(CDrawPort& port) override;
    void mouse(CDrawPort&, CPos) override { ++clicks; }

    CRgb colour;
    int32_t draws = 0;
    int32_t clicks = 0;
};

/// A headless screen of the editor's size with a frame in it, a stand-in editor and a test
/// clock. At a scale, the screen holds the frame's scaled size.
struct HeadlessFrame {
    explicit HeadlessFrame(int32_t width = 420, int32_t height = 290,
                           ToolkitGeneration generation = ToolkitGeneration::kOriginal,
                           double scale = 1.0);
    ~HeadlessFrame();

    /// A pixel of the screen as a toolkit colour.
    CRgb pixel(int32_t x, int32_t y) const;

    platform::ManualClock clock;
    platform::HeadlessScreen screen;
    StubEditor editor;
    CFrame* frame;
};

} // namespace miral::toolkit::testing
