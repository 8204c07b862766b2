#include "editor_snapshot.h"

#include "platform/headless_screen.h"
#include "plugin/parametric_eq_edit.h"

#include <filesystem>
#include <stdexcept>

namespace miral::cli {
namespace {

constexpr int32_t kHostVstVersion = 2400;
constexpr float kSampleRateHz = 44100.0f;

intptr_t VST2_CALL quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? kHostVstVersion : 0;
}

} // namespace

InProcessEqualiser::InProcessEqualiser() {
    auto* equaliser = new ParametricEqEdit(quietHost);
    if (!equaliser->hasEditor()) {
        delete equaliser;
        throw std::runtime_error("the equaliser's editor cannot be created");
    }
    record = equaliser->getAeffect();
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRateHz);
}

InProcessEqualiser::~InProcessEqualiser() {
    dispatch(effClose);
}

intptr_t InProcessEqualiser::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                      float opt) {
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

void InProcessEqualiser::saveEditorPicture(const std::string& pngPath) {
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        throw std::runtime_error("the equaliser has no editor");
    platform::HeadlessScreen screen(rect->right - rect->left, rect->bottom - rect->top);
    if (dispatch(effEditOpen, 0, 0, screen.handle()) == 0)
        throw std::runtime_error("the editor cannot be opened");
    dispatch(effEditIdle); // the first paint
    // Written under a temporary name and renamed when complete: never a partial picture.
    const std::string partial = pngPath + ".partial";
    const bool written = screen.savePng(partial.c_str());
    dispatch(effEditClose);
    std::error_code error;
    if (written)
        std::filesystem::rename(partial, pngPath, error);
    if (!written || error) {
        std::filesystem::remove(partial, error);
        throw std::runtime_error("cannot write " + pngPath);
    }
}

} // namespace miral::cli
