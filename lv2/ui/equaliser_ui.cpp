#include "ui/equaliser_ui.h"

#include "editor/aeff_gui_editor.h"
#include "engine/eq_engine.h"
#include "host/host_callback.h"
#include "lv2/ports.h"
#include "platform/display_scale.h"
#include "toolkit/frame.h"

namespace miral::lv2 {

EqualiserUi::EqualiserUi(LV2UI_Write_Function write, LV2UI_Controller controller,
                         const UiHostFeatures& host)
    : write_(write), controller_(controller), touch_(host.touch),
      effect_(std::make_unique<ParametricEqEdit>(hostCallback)) {
    effect_->getAeffect()->user = this;
    // Below the lowest rate the engine would bypass with a notice; the plug-in has told it.
    if (host.sampleRateHz && *host.sampleRateHz >= kMinimumSampleRateHz)
        effect_->setSampleRate(*host.sampleRateHz);
    effect_->setEditorScale(host.scaleFactor && *host.scaleFactor > 0 ? *host.scaleFactor
                                                                      : platform::desktopScale());
}

EqualiserUi::~EqualiserUi() {
    dispatch(effEditClose);
}

intptr_t EqualiserUi::dispatch(int32_t opcode, void* ptr) {
    return effect_->dispatcher(opcode, 0, 0, ptr, 0.0f);
}

bool EqualiserUi::open(void* parentWindow, const LV2UI_Resize* resize) {
    if (parentWindow == nullptr || dispatch(effEditOpen, parentWindow) == 0)
        return false;
    ERect* rect = nullptr;
    if (resize != nullptr && dispatch(effEditGetRect, &rect) != 0 && rect != nullptr)
        resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    return true;
}

LV2UI_Widget EqualiserUi::widget() const {
    const auto* editor = dynamic_cast<const AEffGUIEditor*>(effect_->getEditor());
    const toolkit::CFrame* frame = editor != nullptr ? editor->getFrame() : nullptr;
    return frame != nullptr ? frame->getWindow()->nativeHandle() : nullptr;
}

void EqualiserUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format,
                            const void* buffer) {
    if (port >= kNumParams || format != 0 || bufferSize != sizeof(float) || buffer == nullptr)
        return;
    const auto index = static_cast<int32_t>(port);
    const float value = portValueToNorm(index, *static_cast<const float*>(buffer));
    // The host echoes the editor's own writes; those the editor already shows.
    if (value != effect_->getParameter(index))
        effect_->setParameter(index, value);
}

int EqualiserUi::idle() {
    dispatch(effEditIdle);
    const auto* editor = dynamic_cast<const AEffGUIEditor*>(effect_->getEditor());
    return editor != nullptr && editor->getFrame() != nullptr && editor->getFrame()->isOpen() ? 0
                                                                                              : 1;
}

void EqualiserUi::writePort(int32_t index, float value) {
    if (!isValidParamIndex(index))
        return;
    const float portValue = normToPortValue(index, value);
    write_(controller_, static_cast<uint32_t>(index), sizeof portValue, 0, &portValue);
}

void EqualiserUi::touch(int32_t index, bool grabbed) {
    if (touch_ != nullptr && isValidParamIndex(index))
        touch_->touch(touch_->handle, static_cast<uint32_t>(index), grabbed);
}

intptr_t VST2_CALL EqualiserUi::hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                             intptr_t, void*, float opt) {
    if (opcode == audioMasterVersion)
        return host::kHostVstVersion;
    auto* self = effect != nullptr ? static_cast<EqualiserUi*>(effect->user) : nullptr;
    if (self == nullptr)
        return 0;
    switch (opcode) {
    case audioMasterAutomate:
        self->writePort(index, opt);
        return 1;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        self->touch(index, opcode == audioMasterBeginEdit);
        return 1;
    default:
        return 0;
    }
}

} // namespace miral::lv2
