// The headless screen and its child window: drawing into an image surface, input from the
// pointer script.
#include "platform/headless_screen.h"

#include "cairo/cairo_internals.h"
#include "cairo/live_windows.h"
#include "cairo/pending_paint.h"
#include "platform/display_scale.h"

#include <algorithm>

namespace miral::platform {

struct HeadlessScreen::Surface {
    CairoSurface image;
};

class HeadlessWindow final : public Window {
public:
    HeadlessWindow(HeadlessScreen& screen, int32_t width, int32_t height, WindowEvents& events,
                   double scale)
        : screen_(&screen), image_(cairo_surface_reference(screen.surface_->image.get())),
          width_(width), height_(height), scale_(scale), events_(events) {
        pendingPaint_.add({0, 0, width, height});
        addLiveWindow(this);
    }

    ~HeadlessWindow() override {
        removeLiveWindow(this);
        if (screen_ != nullptr) {
            screen_->child_ = nullptr;
            screen_->childFocused_ = false;
        }
    }

    std::unique_ptr<DrawContext> drawContext() override {
        auto context = contextOnSurface(image_.get(), nullptr, scale_);
        cairo_t* cairo = context->impl().cairo.get();
        cairo_rectangle(cairo, 0, 0, width_, height_);
        cairo_clip(cairo);
        return context;
    }

    void processEvents() override { dispatchPaint(); }

    bool dispatchPaint() override { return pendingPaint_.dispatch(*this, events_); }

    Point pointerPosition() override {
        return screen_ != nullptr ? toLayout(screen_->advancePointer(), scale_) : Point{};
    }

    int32_t mouseButtons() override { return screen_ != nullptr ? screen_->current_.buttons : 0; }

    bool takeKeyboardFocus() override {
        if (screen_ == nullptr)
            return false;
        screen_->childFocused_ = true;
        return true;
    }

    void releaseKeyboardFocus() override {
        if (screen_ != nullptr)
            screen_->childFocused_ = false;
    }

    void press(Point position) {
        auto context = drawContext();
        events_.onButtonDown(*context, toLayout(position, scale_));
    }

    void doubleClick(Point position, int32_t modifiers) {
        auto context = drawContext();
        events_.onDoubleClick(*context, toLayout(position, scale_), modifiers);
    }

    void key(const KeyStroke& key) { events_.onKey(key); }
    void focusLost() { events_.onFocusLost(); }

    void damage(Rect screenRect) {
        const Rect rect = toLayout(screenRect, scale_);
        pendingPaint_.add({std::max(rect.left, 0), std::max(rect.top, 0),
                           std::min(rect.right, width_), std::min(rect.bottom, height_)});
    }

    void screenGone() {
        screen_ = nullptr;
        events_.onDestroyed();
    }

private:
    HeadlessScreen* screen_;
    CairoSurface image_;
    int32_t width_;
    int32_t height_;
    double scale_;
    WindowEvents& events_;
    PendingPaint pendingPaint_;
};

std::unique_ptr<Window> openHeadlessChildWindow(HeadlessScreen& screen, int32_t width,
                                                int32_t height, WindowEvents& events,
                                                double scale) {
    if (screen.child_ != nullptr)
        return nullptr;
    auto window = std::make_unique<HeadlessWindow>(screen, width, height, events, scale);
    screen.child_ = window.get();
    return window;
}

HeadlessScreen::HeadlessScreen(int32_t width, int32_t height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      surface_(std::make_unique<Surface>(Surface{newImageSurface(width_, height_)})) {
    addHeadlessScreen(this);
}

HeadlessScreen::~HeadlessScreen() {
    removeHeadlessScreen(this);
    if (child_ != nullptr)
        child_->screenGone();
}

void HeadlessScreen::setPointer(Point position, int32_t buttons) {
    current_ = {position, buttons};
}

void HeadlessScreen::queue(Step step) {
    script_.push_back(step);
}

void HeadlessScreen::press(Point position, int32_t buttons) {
    current_ = {position, buttons};
    if (child_ != nullptr)
        child_->press(position);
}

void HeadlessScreen::doubleClick(Point position, int32_t buttons) {
    current_ = {position, buttons};
    if (child_ != nullptr)
        child_->doubleClick(position, buttons & (kModifierShift | kModifierControl | kModifierAlt));
}

bool HeadlessScreen::type(const KeyStroke& key) {
    if (child_ == nullptr || !childFocused_)
        return false;
    child_->key(key);
    return true;
}

void HeadlessScreen::focusElsewhere() {
    if (child_ == nullptr || !childFocused_)
        return;
    childFocused_ = false;
    child_->focusLost();
}

void HeadlessScreen::damage(Rect rect) {
    if (child_ != nullptr)
        child_->damage(rect);
}

Point HeadlessScreen::advancePointer() {
    if (script_.empty()) {
        current_.buttons &= ~(kButtonLeft | kButtonMiddle | kButtonRight);
    } else {
        current_ = script_.front();
        script_.pop_front();
    }
    return current_.position;
}

Rgb HeadlessScreen::pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return {};
    cairo_surface_t* image = surface_->image.get();
    cairo_surface_flush(image);
    const unsigned char* row =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    const uint32_t value = reinterpret_cast<const uint32_t*>(row)[x];
    return {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

bool HeadlessScreen::savePng(const char* path) const {
    return cairo_surface_write_to_png(surface_->image.get(), path) == CAIRO_STATUS_SUCCESS;
}

} // namespace miral::platform
