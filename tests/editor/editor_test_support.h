#pragma once

// Shared pieces of the editor tests: an equaliser created as the plug-in creates it, driven
// through its AEffect record like a host, with its editor open on a headless screen and a test
// clock; the host calls it makes are recorded.

#include "editor/eq_editor.h"
#include "platform/clock.h"
#include "platform/headless_screen.h"
#include "plugin/parametric_eq_edit.h"
#include "toolkit/geometry.h"

#include <cstdint>
#include <vector>

namespace miral::editor::testing {

struct HostCall {
    int32_t opcode;
    int32_t index;
    float value;     ///< the call's opt
    intptr_t number; ///< the call's value
};

/// What the host callback of the editor tests has been asked, oldest first.
std::vector<HostCall>& hostCalls();

/// The host callback: answers the version query, records every call.
intptr_t VST2_CALL recordingHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt);

class EditorTest {
public:
    /// The editor at `scale`, on a screen of the scaled panel's size.
    explicit EditorTest(
        toolkit::ToolkitGeneration generation = toolkit::ToolkitGeneration::kOriginal,
        double scale = 1.0);
    ~EditorTest();
    EditorTest(const EditorTest&) = delete;
    EditorTest& operator=(const EditorTest&) = delete;

    /// A host call on the effect's record.
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    /// A host's parameter change through the record.
    void hostSets(int32_t index, float value);
    /// Opens the editor on the screen and idles until its first picture is drawn.
    void open();
    /// One idle call from the host, a host idle period later.
    void idle();

    EqEditor& editor() const;
    /// The colour of a frame pixel.
    toolkit::CRgb pixel(int32_t x, int32_t y) const;
    /// The pixels of a box of the frame, rows from the top.
    std::vector<toolkit::CRgb> pixels(const toolkit::CBox& box) const;
    /// Calls of one host opcode since the last clear.
    std::vector<HostCall> callsOf(int32_t opcode) const;

    platform::ManualClock clock{1000};
    platform::HeadlessScreen screen;
    ParametricEqEdit* effect; ///< ended with effClose
    AEffect* record;
};

} // namespace miral::editor::testing
