#include "vst2/aeff_editor.h"

#include "vst2/audio_effect.h"

AEffEditor::AEffEditor(AudioEffect* owner) : effect(owner), systemWindow(nullptr), updateFlag(0) {
    if (owner != nullptr) {
        owner->setEditor(this);
    }
}

AEffEditor::~AEffEditor() = default;

intptr_t AEffEditor::getRect(ERect** rect) {
    if (rect != nullptr) {
        *rect = nullptr;
    }
    return 0;
}

intptr_t AEffEditor::open(void* parentWindow) {
    systemWindow = parentWindow;
    return 0;
}

void AEffEditor::close() {}

void AEffEditor::idle() {
    if (updateFlag.exchange(0) != 0)
        update();
}

void AEffEditor::update() {}

void AEffEditor::postUpdate() {
    updateFlag = 1;
}

intptr_t AEffEditor::onKeyDown(VstKeyCode&) {
    return -1;
}

intptr_t AEffEditor::onKeyUp(VstKeyCode&) {
    return -1;
}

intptr_t AEffEditor::setKnobMode(int32_t) {
    return 0;
}

bool AEffEditor::onWheel(float) {
    return false;
}
