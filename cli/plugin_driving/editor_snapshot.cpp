#include "plugin_driving/editor_snapshot.h"

#include "host/host_callback.h"
#include "output_safety/output_file.h"
#include "platform/headless_screen.h"
#include "plugin/parametric_eq_edit.h"

#include <stdexcept>

namespace miral::cli {
namespace {

constexpr float kSampleRateHz = 44100.0f;

} // namespace

InProcessEqualiser::InProcessEqualiser(double editorScale) {
    auto* equaliser = new ParametricEqEdit(host::hostCallback);
    if (!equaliser->hasEditor()) {
        delete equaliser;
        throw std::runtime_error("the equaliser's editor cannot be created");
    }
    equaliser->setEditorScale(editorScale);
    record_ = equaliser->getAeffect();
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRateHz);
}

InProcessEqualiser::~InProcessEqualiser() {
    dispatch(effClose);
}

void InProcessEqualiser::saveEditorPicture(const std::string& pngPath, bool force) {
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        throw std::runtime_error("the equaliser has no editor");
    OutputFile file(pngPath, force);
    platform::HeadlessScreen screen(rect->right - rect->left, rect->bottom - rect->top);
    if (dispatch(effEditOpen, 0, 0, screen.handle()) == 0)
        throw std::runtime_error("the editor cannot be opened");
    dispatch(effEditIdle); // the first paint
    // The picture library writes by name: this process's own name for the open file.
    const std::string self = "/proc/self/fd/" + std::to_string(file.descriptor());
    const bool written = screen.savePng(self.c_str());
    dispatch(effEditClose);
    if (!written)
        throw std::runtime_error("cannot write " + file.name());
    file.commit();
}

} // namespace miral::cli
