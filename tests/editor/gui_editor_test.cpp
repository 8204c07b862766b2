#include "editor/aeff_gui_editor.h"
#include "platform/clock.h"
#include "platform/headless_screen.h"
#include "test_support/toolkit_fixtures.h"
#include "toolkit/frame.h"
#include "toolkit/knob.h"
#include "vst2/audio_effect.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace miral::toolkit::testing {
namespace {

std::vector<int32_t> hostCalls;
// A host that, from audioMasterIdle, changes a parameter of this editor and idles it.
AEffGUIEditor* idleFromHost = nullptr;

intptr_t VST2_CALL host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    hostCalls.push_back(opcode);
    if (opcode == audioMasterIdle && idleFromHost != nullptr) {
        idleFromHost->setParameter(0, 0.0f);
        idleFromHost->idle();
    }
    return 0;
}

// An editor of the editor's size that opens a frame with one knob in the given window.
class TestEditor final : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* owner) : AEffGUIEditor(owner) { rect = {0, 0, 290, 420}; }
    ~TestEditor() override { close(); }
    intptr_t open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame({0, 0, 420, 290}, parent, this);
        knob = new CKnob({38, 51, 72, 85}, nullptr, 4, nullptr, nullptr, {0, 0});
        frame->addView(knob);
        return 1;
    }
    void close() override {
        delete frame;
        frame = nullptr;
    }
    void update() override { ++updates; }
    void idle() override {
        ++idles;
        AEffGUIEditor::idle();
    }
    CKnob* knob = nullptr;
    int32_t updates = 0;
    int32_t idles = 0;
};

struct GuiEditorTest : ::testing::Test {
    GuiEditorTest() { hostCalls.clear(); }
    ~GuiEditorTest() override { idleFromHost = nullptr; }

    int32_t countHostCalls(int32_t opcode) const {
        return static_cast<int32_t>(std::count(hostCalls.begin(), hostCalls.end(), opcode));
    }

    platform::ManualClock clock{1000};
    platform::HeadlessScreen screen{420, 290};
    std::unique_ptr<AudioEffect> effect = std::make_unique<AudioEffect>(host, 1, 26);
    TestEditor* editor = new TestEditor(effect.get()); // owned by the effect
};

TEST_F(GuiEditorTest, ReportsItsRectangleThroughTheDispatcherBeforeOpening) {
    EXPECT_TRUE(effect->getAeffect()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 420);
    EXPECT_EQ(rect->bottom, 290);
}

TEST_F(GuiEditorTest, GivesNeutralAnswersWhileClosed) {
    VstKeyCode key{0, miral::toolkit::kVirtKeyUp, 0};
    EXPECT_EQ(editor->onKeyDown(key), -1);
    EXPECT_EQ(editor->onKeyUp(key), -1);
    EXPECT_FALSE(editor->onWheel(1.0f));
    editor->draw(nullptr);
    editor->idle();
}

TEST_F(GuiEditorTest, SharesTheKnobModeWithEveryEditor) {
    TestEditor other(nullptr);
    EXPECT_EQ(editor->setKnobMode(2), 1);
    EXPECT_EQ(other.getKnobMode(), 2);
    EXPECT_EQ(AEffGUIEditor::knobMode, 2);
    other.setKnobMode(0);
}

TEST_F(GuiEditorTest, DefersRefreshesToTheNextIdle) {
    editor->setParameter(3, 0.5f);
    EXPECT_EQ(editor->updates, 0);
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->idle();
    EXPECT_EQ(editor->updates, 1);

    effect->dispatcher(effEditOpen, 0, 0, screen.handle(), 0.0f);
    EXPECT_EQ(editor->updates, 1);
    effect->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor->updates, 2);
}

TEST_F(GuiEditorTest, PacesItsIdleWorkWithTheTickCount) {
    editor->doIdleStuff(); // at 1000: due at once
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(countHostCalls(audioMasterIdle), 1);

    clock.advance(10);
    editor->doIdleStuff(); // 10 ms later: sleeps 4 ms and skips
    EXPECT_EQ(clock.slept(), 4u);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(countHostCalls(audioMasterIdle), 1);

    clock.advance(46);
    editor->doIdleStuff(); // 60 ms after the run: sleeps and runs; next one due at 1164
    EXPECT_EQ(clock.now(), 1064u);
    EXPECT_EQ(editor->idles, 2);
    EXPECT_EQ(countHostCalls(audioMasterIdle), 2);

    clock.advance(45);
    editor->doIdleStuff(); // at 1109 + 4: still more than 50 ms early
    EXPECT_EQ(editor->idles, 2);
    editor->doIdleStuff(); // at 1113 + 4: within 50 ms of 1164
    EXPECT_EQ(editor->idles, 3);
}

TEST_F(GuiEditorTest, KeepsPacingWhenTheTickCountWraps) {
    platform::ManualClock nearWrap(0xFFFFFF00u);
    TestEditor wrapped(nullptr);
    wrapped.doIdleStuff();
    nearWrap.advance(20);
    wrapped.doIdleStuff(); // too early
    EXPECT_EQ(wrapped.idles, 1);
    nearWrap.advance(256); // past the wrap, 280 ms after the run
    wrapped.doIdleStuff();
    EXPECT_EQ(wrapped.idles, 2);
}

TEST_F(GuiEditorTest, AnIdleFromTheHostDuringItsOwnIdleWaitsForTheNextCall) {
    idleFromHost = editor;
    editor->postUpdate();
    editor->doIdleStuff();
    EXPECT_EQ(editor->idles, 2);   // the paced one and the host's
    EXPECT_EQ(editor->updates, 1); // the host's refresh is still pending
    idleFromHost = nullptr;
    editor->idle();
    EXPECT_EQ(editor->updates, 2);
}

TEST_F(GuiEditorTest, ForwardsKeysWheelAndGesturesToTheFrameAndTheHost) {
    ASSERT_EQ(effect->dispatcher(effEditOpen, 0, 0, screen.handle(), 0.0f), 1);
    ASSERT_NE(editor->getFrame(), nullptr);
    editor->knob->setValue(0.5f);

    VstKeyCode up{0, miral::toolkit::kVirtKeyUp, 0};
    EXPECT_EQ(editor->onKeyDown(up), 1);
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.6f);

    screen.setPointer({50, 60});
    EXPECT_TRUE(editor->onWheel(-2.0f));
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.4f);

    clock.advance(500);
    screen.queue({{55, 40}, platform::kButtonLeft});
    screen.press({55, 68});
    EXPECT_EQ(countHostCalls(audioMasterBeginEdit), 1);
    EXPECT_EQ(countHostCalls(audioMasterEndEdit), 1);
    EXPECT_GE(countHostCalls(audioMasterIdle), 1); // the drag idles the host

    effect->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(GuiEditorTest, DrawsTheFrameAtItsIdle) {
    effect->dispatcher(effEditOpen, 0, 0, screen.handle(), 0.0f);
    const platform::Rgb before = screen.pixel(55, 55);
    effect->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(before, (platform::Rgb{0, 0, 0}));
    // The knob without images draws its handle lines in grey and white.
    bool drewHandle = false;
    for (int32_t y = 51; y < 85; ++y)
        for (int32_t x = 38; x < 72; ++x)
            drewHandle = drewHandle || screen.pixel(x, y) == platform::Rgb{255, 255, 255};
    EXPECT_TRUE(drewHandle);
    effect->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
}

} // namespace
} // namespace miral::toolkit::testing
