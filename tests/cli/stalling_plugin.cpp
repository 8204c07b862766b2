// A pass-through effect that stalls in its second block until the test lets it go: while the
// file named by MIRAL_STALL_MARKER exists. It creates that file when it stalls, so a test knows
// the command is in the middle of writing its output.

#include "vst2/vst2_interface.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

intptr_t VST2_CALL dispatch(AEffect*, int32_t, int32_t, intptr_t, void*, float) {
    return 0;
}

void VST2_CALL processReplacing(AEffect*, float** inputs, float** outputs, int32_t frames) {
    static int blocks = 0;
    if (++blocks == 2) {
        const char* marker = std::getenv("MIRAL_STALL_MARKER");
        if (marker) {
            std::ofstream(marker) << "stalled\n";
            while (access(marker, F_OK) == 0)
                usleep(1000);
        }
    }
    for (int c = 0; c < 2; ++c)
        std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
}

void VST2_CALL setParameter(AEffect*, int32_t, float) {}
float VST2_CALL getParameter(AEffect*, int32_t) {
    return 0.0f;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
    static AEffect effect{};
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatch;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.processReplacing = processReplacing;
    effect.numInputs = 2;
    effect.numOutputs = 2;
    effect.flags = effFlagsCanReplacing;
    return &effect;
}
