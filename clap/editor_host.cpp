#include "editor_host.h"

#include "editor/aeff_gui_editor.h"
#include "engine/eq_engine.h"
#include "toolkit/frame.h"

#include <limits>

namespace miral::clap {
namespace {
constexpr intptr_t kHostVstVersion = 2400;
}

EditorHost::EditorHost(Listener& listener, double sampleRateHz)
    : listener_(listener), effect_(std::make_unique<ParametricEqEdit>(hostCallback)) {
    shown_.fill(std::numeric_limits<double>::quiet_NaN());
    effect_->getAeffect()->user = this;
    // Below the lowest rate the engine would bypass with a notice; the editor just draws.
    if (sampleRateHz >= kMinimumSampleRateHz)
        effect_->setSampleRate(static_cast<float>(sampleRateHz));
}

EditorHost::~EditorHost() {
    dispatch(effEditClose);
}

intptr_t EditorHost::dispatch(int32_t opcode, void* ptr) {
    return effect_->dispatcher(opcode, 0, 0, ptr, 0.0f);
}

bool EditorHost::size(uint32_t* width, uint32_t* height) {
    ERect* rect = nullptr;
    if (!effect_->hasEditor() || dispatch(effEditGetRect, &rect) == 0 || rect == nullptr)
        return false;
    *width = static_cast<uint32_t>(rect->right - rect->left);
    *height = static_cast<uint32_t>(rect->bottom - rect->top);
    return true;
}

bool EditorHost::setScale(double factor) {
    if (isOpen() || !effect_->hasEditor())
        return false;
    effect_->setEditorScale(factor);
    return true;
}

bool EditorHost::open(void* parentWindow) {
    return parentWindow != nullptr && effect_->hasEditor() &&
           dispatch(effEditOpen, parentWindow) != 0;
}

bool EditorHost::isOpen() const {
    const auto* editor = dynamic_cast<const AEffGUIEditor*>(effect_->getEditor());
    return editor != nullptr && editor->getFrame() != nullptr && editor->getFrame()->isOpen();
}

void EditorHost::idle(const ParamValues& values) {
    for (uint32_t id = 0; id < kParamCount; ++id)
        if (values[id] != shown_[id]) {
            shown_[id] = values[id];
            effect_->setParameter(static_cast<int32_t>(id), normalisedValue(id, values[id]));
        }
    dispatch(effEditIdle);
}

intptr_t VST2_CALL EditorHost::hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                            intptr_t, void*, float opt) {
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    auto* self = effect != nullptr ? static_cast<EditorHost*>(effect->user) : nullptr;
    const auto id = static_cast<uint32_t>(index);
    if (self == nullptr || !isParamId(id))
        return 0;
    switch (opcode) {
    case audioMasterAutomate:
        self->shown_[id] = self->listener_.editorValue(id, opt);
        return 1;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        self->listener_.editorGesture(id, opcode == audioMasterBeginEdit);
        return 1;
    default:
        return 0;
    }
}

} // namespace miral::clap
