#include "editor_picture.h"

namespace miral::reference {

void prepareEditorPicture(AEffect& effect) {
    effect.dispatcher(&effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect.dispatcher(&effect, effSetProgram, 0, 4, nullptr, 0.0f);
}

void stepEditorPicture(AEffect& effect) {
    constexpr intptr_t kArrowUp = 12;
    effect.dispatcher(&effect, effEditKeyDown, 0, kArrowUp, nullptr, 0.0f);
}

} // namespace miral::reference
