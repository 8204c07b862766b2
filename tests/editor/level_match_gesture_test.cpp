// Alt-click on the Output Gain slider: the level-matched Output Gain reaches the host as one
// edit (begin, value, end) on either toolkit generation, and a click without Alt still moves
// the handle to the pointer.
#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "engine/laws.h"
#include "engine/level_match.h"
#include "engine/params.h"
#include "response_display.h"

#include <gtest/gtest.h>

#include <string>

namespace miral::editor::testing {
namespace {

using toolkit::ToolkitGeneration;

class LevelMatchGesture : public ::testing::TestWithParam<ToolkitGeneration>, public EditorTest {
protected:
    LevelMatchGesture() : EditorTest(GetParam()) {}

    std::array<float, kNumParams> effectValues() const {
        std::array<float, kNumParams> values{};
        for (int32_t index = 0; index < kNumParams; ++index)
            values[size_t(index)] = record->getParameter(record, index);
        return values;
    }

    /// The calls of a gesture, in order: begin, value and end of edits.
    std::vector<HostCall> editCalls() const {
        std::vector<HostCall> edits;
        for (const HostCall& call : hostCalls())
            if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate ||
                call.opcode == audioMasterEndEdit)
                edits.push_back(call);
        return edits;
    }
};

constexpr int32_t kOutputGain = toIndex(ParamId::OutputGain);
const platform::Point kOnTheSlider{kOutputSlider.box.left + 6, kOutputSlider.box.top + 12};

TEST_P(LevelMatchGesture, AltClickSetsTheMatchingOutputGainAsOneEdit) {
    struct Case {
        const char* what;
        float gains; // every band's, normalised
        float outputGainDb;
        const char* shown;
    };
    for (const Case& c : {Case{"a boost", 0.6f, -3.04f, "match -3.0dB"},
                          Case{"more boost than it takes back", 1.0f, -6.0f, "match -6.0dB limit"},
                          Case{"more cut than it makes up", 0.0f, 6.0f, "match +6.0dB limit"}}) {
        for (int32_t band = 0; band < kNumBands; ++band)
            hostSets(bandParamIndex(band, BandParamKind::Gain), c.gains);
        hostSets(kOutputGain, 0.8f);
        open();
        hostCalls().clear();
        screen.press(kOnTheSlider, platform::kButtonLeft | platform::kModifierAlt);

        const std::vector<HostCall> edits = editCalls();
        ASSERT_EQ(edits.size(), 3u) << c.what;
        EXPECT_EQ(edits[0].opcode, audioMasterBeginEdit) << c.what;
        EXPECT_EQ(edits[1].opcode, audioMasterAutomate) << c.what;
        EXPECT_EQ(edits[2].opcode, audioMasterEndEdit) << c.what;
        for (const HostCall& call : edits)
            EXPECT_EQ(call.index, kOutputGain) << c.what;
        const float value = edits[1].value;
        EXPECT_NEAR(normToOutputGainDb(value), c.outputGainDb, 0.01) << c.what;
        EXPECT_NEAR(normToOutputGainDb(value), matchLevel(effectValues(), 44100.0).outputGainDb,
                    1e-5)
            << c.what;
        EXPECT_EQ(record->getParameter(record, kOutputGain), value) << c.what;
        EXPECT_EQ(editor().controlFor(kOutputGain)->getValue(), value) << c.what;
        EXPECT_STREQ(editor().responseDisplay()->getText(), c.shown) << c.what;
        dispatch(effEditClose);
    }
}

TEST_P(LevelMatchGesture, AClickWithoutAltStillMovesTheHandleToThePointer) {
    hostSets(bandParamIndex(2, BandParamKind::Gain), 1.0f);
    open();
    const float before = editor().controlFor(kOutputGain)->getValue();
    hostCalls().clear();
    screen.press(kOnTheSlider);
    const float after = record->getParameter(record, kOutputGain);
    EXPECT_NE(after, before);
    EXPECT_GT(after, 0.5f) << "the upper half of the track";
}

std::string generationName(const ::testing::TestParamInfo<ToolkitGeneration>& tested) {
    return tested.param == ToolkitGeneration::kLater ? "Later" : "Original";
}

INSTANTIATE_TEST_SUITE_P(Editor, LevelMatchGesture,
                         ::testing::Values(ToolkitGeneration::kOriginal, ToolkitGeneration::kLater),
                         generationName);

} // namespace
} // namespace miral::editor::testing
