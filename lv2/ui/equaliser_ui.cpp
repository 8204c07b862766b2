#include "ui/equaliser_ui.h"

#include "lv2/ports.h"
#include "platform/display_scale.h"

#include <cmath>

namespace miral::lv2 {
namespace {

EmbeddedEditorSettings editorSettings(const UiHostFeatures& host) {
    EmbeddedEditorSettings settings;
    settings.sampleRateHz = host.sampleRateHz;
    settings.scale =
        host.scaleFactor && *host.scaleFactor > 0 ? *host.scaleFactor : platform::desktopScale();
    return settings;
}

} // namespace

EqualiserUi::EqualiserUi(LV2UI_Write_Function write, LV2UI_Controller controller,
                         const UiHostFeatures& host)
    : write_(write), controller_(controller), host_(host), soloIds_(SoloUrids::mapped(host.map)),
      editor_(*this, editorSettings(host)) {}

bool EqualiserUi::open() {
    const std::optional<EditorSize> size = editor_.size();
    if (!size)
        return false;
    container_ = platform::openContainerWindow(host_.parentWindow, size->width, size->height);
    if (container_ == nullptr || !editor_.open(container_->handle()))
        return false;
    askHostForSize();
    return true;
}

void EqualiserUi::askHostForSize() {
    if (host_.resize == nullptr)
        return;
    if (const std::optional<EditorSize> size = editor_.size())
        host_.resize->ui_resize(host_.resize->handle, size->width, size->height);
}

LV2UI_Widget EqualiserUi::widget() const {
    return container_ != nullptr ? container_->handle() : nullptr;
}

void EqualiserUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format,
                            const void* buffer) {
    if (port >= kNumParams || format != 0 || bufferSize != sizeof(float) || buffer == nullptr)
        return;
    const auto index = static_cast<int32_t>(port);
    editor_.showValue(index, portValueToNorm(index, *static_cast<const float*>(buffer)));
}

int EqualiserUi::idle() {
    editor_.idle();
    return editor_.isOpen() ? 0 : 1;
}

uint32_t EqualiserUi::setOptions(const LV2_Options_Option* options) {
    const std::optional<float> scale = scaleFactorOption(host_.map, options);
    if (!scale)
        return LV2_OPTIONS_SUCCESS;
    if (!(*scale > 0) || !std::isfinite(*scale))
        return LV2_OPTIONS_ERR_BAD_VALUE;
    return editor_.changeScale(*scale) ? LV2_OPTIONS_SUCCESS : LV2_OPTIONS_ERR_BAD_VALUE;
}

void EqualiserUi::automated(int32_t index, float value) {
    if (!isValidParamIndex(index))
        return;
    const float portValue = normToPortValue(index, value);
    write_(controller_, static_cast<uint32_t>(index), sizeof portValue, 0, &portValue);
}

void EqualiserUi::gesture(int32_t index, bool begins) {
    if (host_.touch != nullptr && isValidParamIndex(index))
        host_.touch->touch(host_.touch->handle, static_cast<uint32_t>(index), begins);
}

bool EqualiserUi::resizeRequested(int32_t width, int32_t height) {
    if (container_ != nullptr)
        container_->resize(width, height);
    return host_.resize != nullptr &&
           host_.resize->ui_resize(host_.resize->handle, width, height) == 0;
}

void EqualiserUi::soloRequested(int32_t band) {
    if (!soloIds_.known())
        return;
    const SoloMessage message(soloIds_, band);
    write_(controller_, kSoloPort, sizeof message, soloIds_.eventTransfer, &message);
}

} // namespace miral::lv2
