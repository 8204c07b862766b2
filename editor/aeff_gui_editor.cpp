#include "editor/aeff_gui_editor.h"

#include "platform/clock.h"
#include "platform/display_scale.h"
#include "platform/window.h"
#include "toolkit/frame.h"
#include "vst2/audio_effect.h"

#include <cmath>

using miral::toolkit::CKeyCode;

namespace {
constexpr uint32_t kEarlySleepMs = 4;     // what a call that comes too early waits
constexpr uint32_t kIdleSlackMs = 50;     // how much earlier than planned an idle may run
constexpr uint32_t kIdleIntervalMs = 100; // planned spacing of idle runs

/// True when tick a comes before tick b on the wrapping millisecond clock.
bool isEarlier(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}

CKeyCode toToolkit(const VstKeyCode& key) {
    return {key.character, key.virt, key.modifier};
}
} // namespace

int32_t AEffGUIEditor::knobMode = 0;

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner)
    : AEffEditor(owner), nextIdleTime(miral::platform::tickCount()) {}

AEffGUIEditor::~AEffGUIEditor() = default;

intptr_t AEffGUIEditor::getRect(ERect** out) {
    if (out == nullptr)
        return 0;
    *out = &rect;
    return 1;
}

bool AEffGUIEditor::isOpen() const {
    return frame != nullptr && frame->isOpen();
}

void* AEffGUIEditor::nativeWindow() const {
    return isOpen() ? frame->getWindow()->nativeHandle() : nullptr;
}

void AEffGUIEditor::setScale(double factor) {
    scale = miral::platform::clampScale(factor);
    updateRect();
}

void AEffGUIEditor::setLayoutSize(int16_t width, int16_t height) {
    layoutWidth = width;
    layoutHeight = height;
    updateRect();
}

void AEffGUIEditor::updateRect() {
    rect = {0, 0, static_cast<int16_t>(miral::platform::scaledLength(layoutHeight, scale)),
            static_cast<int16_t>(miral::platform::scaledLength(layoutWidth, scale))};
}

bool AEffGUIEditor::setContentScale(double factor) {
    if (std::isnan(factor))
        return false;
    hostSetScale = true;
    const double previous = scale;
    setScale(factor);
    if (scale == previous || frame == nullptr)
        return true;
    askHostToResize();
    void* const parentWindow = systemWindow;
    close();
    open(parentWindow);
    return true;
}

void AEffGUIEditor::askHostToResize() {
    if (effect != nullptr)
        effect->sizeWindow(rect.right - rect.left, rect.bottom - rect.top);
}

intptr_t AEffGUIEditor::open(void* parentWindow) {
    postUpdate();
    if (miral::platform::kScaleFollowsWindow && scaleFollowsWindow && !hostSetScale) {
        const double previous = scale;
        setScale(miral::platform::windowScale(parentWindow));
        if (scale != previous)
            askHostToResize();
    }
    return AEffEditor::open(parentWindow);
}

void AEffGUIEditor::idle() {
    if (inIdle)
        return;
    AEffEditor::idle();
    if (frame != nullptr)
        frame->idle();
}

intptr_t AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    return frame != nullptr ? frame->onKeyDown(toToolkit(key)) : -1;
}

intptr_t AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    return frame != nullptr ? frame->onKeyUp(toToolkit(key)) : -1;
}

intptr_t AEffGUIEditor::setKnobMode(int32_t value) {
    knobMode = value;
    return 1;
}

bool AEffGUIEditor::onWheel(float distance) {
    return frame != nullptr && frame->onWheel(distance);
}

void AEffGUIEditor::setParameter(int32_t, float) {
    postUpdate();
}

void AEffGUIEditor::draw(ERect*) {
    if (frame != nullptr)
        frame->redraw();
}

void AEffGUIEditor::doIdleStuff() {
    uint32_t now = miral::platform::tickCount();
    if (isEarlier(now, nextIdleTime)) {
        miral::platform::sleepMilliseconds(kEarlySleepMs);
        now += kEarlySleepMs;
        if (isEarlier(now, nextIdleTime - kIdleSlackMs))
            return;
    }
    idle();
    miral::platform::dispatchPendingPaint();
    nextIdleTime = now + kIdleIntervalMs;
    inIdle = true;
    if (effect != nullptr)
        effect->masterIdle();
    inIdle = false;
}

void AEffGUIEditor::beginEdit(int32_t tag) {
    if (effect != nullptr)
        effect->beginEdit(tag);
}

void AEffGUIEditor::endEdit(int32_t tag) {
    if (effect != nullptr)
        effect->endEdit(tag);
}
