#include "editor_test_support.h"

#include "host/host_callback.h"
#include "platform/display_scale.h"

namespace miral::editor::testing {
namespace {
constexpr uint32_t kHostIdlePeriodMs = 100;
} // namespace

std::vector<HostCall>& hostCalls() {
    static std::vector<HostCall> calls;
    return calls;
}

intptr_t VST2_CALL recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*,
                                 float opt) {
    hostCalls().push_back({opcode, index, opt, value});
    return opcode == audioMasterVersion ? host::kHostVstVersion : 0;
}

EditorTest::EditorTest(toolkit::ToolkitGeneration generation, double scale)
    : screen(platform::scaledLength(420, scale), platform::scaledLength(290, scale)),
      effect(new ParametricEqEdit(recordingHost, generation)), record(effect->getAeffect()) {
    effect->setEditorScale(scale);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 512);
    hostCalls().clear();
}

EditorTest::~EditorTest() {
    dispatch(effClose);
    hostCalls().clear();
}

intptr_t EditorTest::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

void EditorTest::hostSets(int32_t index, float value) {
    record->setParameter(record, index, value);
}

void EditorTest::open() {
    dispatch(effEditOpen, 0, 0, screen.handle());
    idle();
}

void EditorTest::idle() {
    clock.advance(kHostIdlePeriodMs);
    dispatch(effEditIdle);
}

EqEditor& EditorTest::editor() const {
    return *static_cast<EqEditor*>(effect->getEditor());
}

toolkit::CRgb EditorTest::pixel(int32_t x, int32_t y) const {
    const platform::Rgb colour = screen.pixel(x, y);
    return {colour.red, colour.green, colour.blue, 0};
}

std::vector<toolkit::CRgb> EditorTest::pixels(const toolkit::CBox& box) const {
    std::vector<toolkit::CRgb> result;
    for (int32_t y = box.top; y < box.bottom; ++y)
        for (int32_t x = box.left; x < box.right; ++x)
            result.push_back(pixel(x, y));
    return result;
}

std::vector<HostCall> EditorTest::callsOf(int32_t opcode) const {
    std::vector<HostCall> matching;
    for (const HostCall& call : hostCalls())
        if (call.opcode == opcode)
            matching.push_back(call);
    return matching;
}

} // namespace miral::editor::testing
