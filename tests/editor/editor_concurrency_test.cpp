// A host automating every parameter on one thread while the editor opens, idles, draws its
// response display and closes on another. Built with the thread sanitizer by the test command.

#include "editor_test_support.h"

#include "engine/params.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace miral::editor::testing {
namespace {

TEST(EditorConcurrency, HostAutomationRacesNeitherTheEditorNorItsDisplay) {
    EditorTest test;
    std::atomic<bool> running{true};
    std::thread automation([&] {
        float value = 0.0f;
        while (running.load()) {
            for (int32_t index = 0; index < kNumParams; ++index)
                test.hostSets(index, value);
            value = value >= 1.0f ? 0.0f : value + 0.0625f;
        }
    });

    for (int round = 0; round < 40; ++round) {
        test.open();
        for (int idles = 0; idles < 5; ++idles)
            test.idle();
        test.dispatch(effEditClose);
        test.idle(); // while closed
    }
    running = false;
    automation.join();

    // Once the host is quiet, the next idle shows its last values.
    test.open();
    test.idle();
    for (int32_t index = 0; index < kNumParams; ++index) {
        if (toolkit::CControl* control = test.editor().controlFor(index)) {
            EXPECT_EQ(control->getValue(), test.record->getParameter(test.record, index)) << index;
        }
    }
    test.dispatch(effEditClose);
}

} // namespace
} // namespace miral::editor::testing
