#include "plugin/embedded_editor.h"

#include "editor/aeff_gui_editor.h"
#include "engine/eq_engine.h"
#include "engine/params.h"

#include <cmath>

namespace miral {

EmbeddedEditor::EmbeddedEditor(host::EffectListener& listener,
                               const EmbeddedEditorSettings& settings)
    : EmbeddedEditor(host::hostCallback, &listener, settings) {}

EmbeddedEditor::EmbeddedEditor(audioMasterCallback callback, void* user,
                               const EmbeddedEditorSettings& settings)
    : effect_(new ParametricEqEdit(callback, settings.generation)) {
    effect_->getAeffect()->user = user;
    // The front end's own equaliser processes: a solo made in this editor is meant for it.
    effect_->forwardSoloToHost();
    const std::optional<double> rate = settings.sampleRateHz;
    if (rate && std::isfinite(*rate) && *rate >= kMinimumSampleRateHz)
        effect_->setSampleRate(static_cast<float>(*rate));
    effect_->setEditorScale(settings.scale);
    if (settings.followWindowScale)
        effect_->followWindowScale();
}

EmbeddedEditor::~EmbeddedEditor() {
    close();
    // Through the record's entry, which deletes the effect after its close().
    AEffect& ended = record();
    ended.dispatcher(&ended, effClose, 0, 0, nullptr, 0.0f);
}

intptr_t EmbeddedEditor::dispatch(int32_t opcode, void* ptr) {
    return effect_->dispatcher(opcode, 0, 0, ptr, 0.0f);
}

std::optional<EditorSize> EmbeddedEditor::size() {
    ERect* rect = nullptr;
    if (!hasEditor() || dispatch(effEditGetRect, &rect) == 0 || rect == nullptr)
        return std::nullopt;
    return EditorSize{rect->right - rect->left, rect->bottom - rect->top};
}

bool EmbeddedEditor::setScale(double factor) {
    if (isOpen() || !hasEditor())
        return false;
    effect_->setEditorScale(factor);
    return true;
}

bool EmbeddedEditor::changeScale(double factor) {
    AEffGUIEditor* editor = effect_->guiEditor();
    return editor != nullptr && editor->setContentScale(factor);
}

bool EmbeddedEditor::open(void* parentWindow) {
    return parentWindow != nullptr && hasEditor() && dispatch(effEditOpen, parentWindow) != 0;
}

void EmbeddedEditor::close() {
    if (hasEditor())
        dispatch(effEditClose);
}

bool EmbeddedEditor::isOpen() const {
    const AEffGUIEditor* editor = effect_->guiEditor();
    return editor != nullptr && editor->isOpen();
}

void* EmbeddedEditor::nativeWindow() const {
    const AEffGUIEditor* editor = effect_->guiEditor();
    return editor != nullptr ? editor->nativeWindow() : nullptr;
}

void EmbeddedEditor::idle() {
    dispatch(effEditIdle);
}

void EmbeddedEditor::showValue(int32_t index, float value) {
    if (isValidParamIndex(index) && value != effect_->getParameter(index))
        effect_->setParameter(index, value);
}

} // namespace miral
