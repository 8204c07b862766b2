// The editor's changes on their way to the host: however full the ring runs, every gesture the
// host sees is whole, and what is dropped is values.
#include "editor_changes.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace miral::clap {
namespace {

using Kind = EditorChange::Kind;

std::vector<EditorChange> drain(EditorChanges& changes) {
    std::vector<EditorChange> taken;
    while (const std::optional<EditorChange> change = changes.pop())
        taken.push_back(*change);
    return taken;
}

TEST(EditorChanges, AFullRingDropsValuesNeverTheEndOfAGesture) {
    EditorChanges changes;
    ASSERT_TRUE(changes.push({Kind::GestureBegin, 3, 0.0}));
    int valuesTaken = 0;
    for (int i = 0; i < 2 * int(EditorChanges::kCapacity); ++i)
        valuesTaken += changes.push({Kind::Value, 3, double(i)}) ? 1 : 0;
    EXPECT_EQ(valuesTaken, int(EditorChanges::kCapacity) - 2) << "one place kept for the end";
    EXPECT_FALSE(changes.push({Kind::GestureBegin, 4, 0.0})) << "no room for another gesture";
    EXPECT_FALSE(changes.push({Kind::GestureEnd, 4, 0.0})) << "its end follows it";
    EXPECT_TRUE(changes.push({Kind::GestureEnd, 3, 0.0}));

    const std::vector<EditorChange> taken = drain(changes);
    ASSERT_EQ(taken.size(), EditorChanges::kCapacity);
    EXPECT_EQ(taken.front().kind, Kind::GestureBegin);
    EXPECT_EQ(taken.back().kind, Kind::GestureEnd);
    EXPECT_EQ(taken.back().id, 3u);
    EXPECT_EQ(taken[taken.size() - 2].value, double(valuesTaken - 1)) << "values keep their order";
}

TEST(EditorChanges, EveryGestureArrivesWholeWhateverTheReaderKeepsUpWith) {
    // An editor making gestures on a few parameters at random, a reader that sometimes lags far
    // behind: each parameter's events must read begin, values, end, begin, ...
    std::mt19937 random(29);
    EditorChanges changes;
    std::array<bool, kParamCount> editing{}; // what the editor believes
    std::array<bool, kParamCount> seenOpen{};
    int ends = 0;
    const auto check = [&](const EditorChange& change) {
        bool& open = seenOpen[change.id];
        switch (change.kind) {
        case Kind::GestureBegin:
            EXPECT_FALSE(open) << "a second begin on " << change.id;
            open = true;
            break;
        case Kind::GestureEnd:
            EXPECT_TRUE(open) << "an end without its begin on " << change.id;
            open = false;
            ++ends;
            break;
        case Kind::Value:
            break;
        }
    };
    for (int step = 0; step < 200000; ++step) {
        const auto id = static_cast<uint32_t>(random() % 4);
        const auto action = static_cast<unsigned>(random() % 10);
        if (action == 0)
            changes.push({editing[id] ? Kind::GestureEnd : Kind::GestureBegin, id, 0.0});
        if (action == 0)
            editing[id] = !editing[id];
        else if (action < 8)
            changes.push({Kind::Value, id, double(step)});
        // The reader keeps up only now and then.
        if ((step / 5000) % 2 == 0 && random() % 3 == 0)
            if (const auto change = changes.pop())
                check(*change);
    }
    for (uint32_t id = 0; id < kParamCount; ++id)
        if (editing[id])
            changes.push({Kind::GestureEnd, id, 0.0});
    for (const EditorChange& change : drain(changes))
        check(change);
    for (uint32_t id = 0; id < kParamCount; ++id)
        EXPECT_FALSE(seenOpen[id]) << "gesture on " << id << " never ended";
    EXPECT_GT(ends, 100) << "gestures got through";
}

} // namespace
} // namespace miral::clap
