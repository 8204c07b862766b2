#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/image.h"

#include <gtest/gtest.h>

namespace miral::toolkit::testing {
namespace {

// A view that takes keys: it answers its code for the keys it accepts.
class KeyView final : public CView {
public:
    KeyView(int32_t code, bool takesKeys) : CView({0, 0, 1, 1}), answer(code), accepts(takesKeys) {}
    int32_t onKeyDown(const CKeyCode&) override { return accepts ? answer : -1; }
    int32_t onKeyUp(const CKeyCode&) override { return accepts ? answer + 100 : -1; }
    int32_t answer;
    bool accepts;
};

class WheelView final : public CView {
public:
    explicit WheelView(const CBox& box) : CView(box) {}
    bool onWheel(CDrawPort&, CPos where, float distance) override {
        lastWhere = where;
        total += distance;
        return true;
    }
    CPos lastWhere;
    float total = 0;
};

struct FrameTest : ::testing::Test {
    template <typename View> View* add(View* view) {
        frame.frame->addView(view);
        return view;
    }
    HeadlessFrame frame;
    CFrame& f = *frame.frame;
};

TEST_F(FrameTest, PaintsEverythingAtTheFirstIdleAndNothingBefore) {
    RegisteredBitmap back = solidBitmap(300, 420, 290, kCyanCRgb);
    CImage* background = new CImage(300);
    f.setBackground(background);
    background->forget();
    auto* view = add(new ColourView({10, 10, 20, 20}, kRedCRgb));
    ASSERT_TRUE(f.isOpen());
    EXPECT_TRUE(f.isFirstDrawPending());
    EXPECT_EQ(frame.pixel(0, 0), kBlackCRgb);

    f.idle();
    EXPECT_FALSE(f.isFirstDrawPending());
    EXPECT_EQ(frame.pixel(0, 0), kCyanCRgb);
    EXPECT_EQ(frame.pixel(15, 15), kRedCRgb);
    EXPECT_EQ(view->draws, 1);
}

TEST_F(FrameTest, RedrawsDirtyViewsAtIdleAndOnlyThen) {
    auto* view = add(new ColourView({10, 10, 20, 20}, kRedCRgb));
    auto* other = add(new ColourView({30, 10, 40, 20}, kRedCRgb));
    f.idle();
    ASSERT_EQ(view->draws, 1);

    view->colour = kYellowCRgb;
    view->setDirty();
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(frame.pixel(15, 15), kRedCRgb);
    f.idle();
    EXPECT_EQ(view->draws, 2);
    EXPECT_EQ(other->draws, 1);
    EXPECT_EQ(frame.pixel(15, 15), kYellowCRgb);
    f.idle();
    EXPECT_EQ(view->draws, 2);
}

TEST_F(FrameTest, DrawsInListOrderWithTheModalViewLast) {
    auto* below = add(new ColourView({0, 0, 50, 50}, kRedCRgb));
    auto* modal = add(new ColourView({20, 20, 40, 40}, kGreenCRgb));
    auto* above = add(new ColourView({30, 30, 60, 60}, kBlueCRgb));
    f.idle();
    EXPECT_EQ(frame.pixel(25, 25), kGreenCRgb);
    EXPECT_EQ(frame.pixel(35, 35), kBlueCRgb);

    ASSERT_TRUE(f.setModalView(modal));
    f.redraw();
    EXPECT_EQ(frame.pixel(35, 35), kGreenCRgb);
    EXPECT_EQ(frame.pixel(5, 5), kRedCRgb);
    EXPECT_EQ(below->draws, 2);
    EXPECT_EQ(above->draws, 2);
}

TEST_F(FrameTest, GivesAClickToTheLastAddedEnabledViewUnderIt) {
    auto* first = add(new ColourView({0, 0, 50, 50}, kRedCRgb));
    auto* second = add(new ColourView({10, 10, 30, 30}, kRedCRgb));
    frame.screen.press({20, 20});
    EXPECT_EQ(second->clicks, 1);
    EXPECT_EQ(first->clicks, 0);

    frame.screen.press({30, 30}); // right and bottom edges hit too
    EXPECT_EQ(second->clicks, 2);

    second->setMouseEnabled(false);
    frame.screen.press({20, 20});
    EXPECT_EQ(first->clicks, 1);
    EXPECT_EQ(second->clicks, 2);
}

TEST_F(FrameTest, AModalViewTakesEveryClickAndNothingReachesTheViewsBeneath) {
    auto* beneath = add(new ColourView({0, 0, 420, 290}, kRedCRgb));
    auto* modal = add(new ColourView({100, 100, 200, 200}, kGreenCRgb));
    auto* other = new ColourView({0, 0, 10, 10}, kBlueCRgb);
    ASSERT_TRUE(f.setModalView(modal));
    EXPECT_FALSE(f.setModalView(other)); // only one at a time
    frame.screen.press({150, 150});
    frame.screen.press({5, 5});
    EXPECT_EQ(modal->clicks, 1);
    EXPECT_EQ(beneath->clicks, 0);
    EXPECT_TRUE(f.setModalView(nullptr));
    frame.screen.press({5, 5});
    EXPECT_EQ(beneath->clicks, 1);
    other->forget();
}

TEST_F(FrameTest, RoutesKeysToTheFocusViewThenFromTheLastAddedView) {
    auto* early = add(new KeyView(1, true));
    add(new KeyView(2, true));
    auto* late = add(new KeyView(3, false));
    const CKeyCode key{0, kVirtKeyUp, 0};
    EXPECT_EQ(f.onKeyDown(key), 2);
    EXPECT_EQ(f.onKeyUp(key), 102);

    f.setFocusView(early);
    EXPECT_EQ(f.onKeyDown(key), 1);
    f.setFocusView(late); // a focus view that declines passes the key on
    EXPECT_EQ(f.onKeyDown(key), 2);

    f.removeAll();
    EXPECT_EQ(f.onKeyDown(key), -1);
}

TEST_F(FrameTest, GivesTheWheelToTheLastAddedViewUnderThePointer) {
    auto* wide = add(new WheelView({0, 0, 100, 100}));
    auto* small = add(new WheelView({40, 40, 60, 60}));
    frame.screen.setPointer({50, 50});
    EXPECT_TRUE(f.onWheel(2.0f));
    EXPECT_EQ(small->total, 2.0f);
    EXPECT_EQ(small->lastWhere, (CPos{50, 50}));
    frame.screen.setPointer({10, 10});
    EXPECT_TRUE(f.onWheel(-1.0f));
    EXPECT_EQ(wide->total, -1.0f);
    frame.screen.setPointer({300, 300});
    EXPECT_FALSE(f.onWheel(1.0f));
}

TEST_F(FrameTest, ReleasesItsViewsAndFindsThemByIndex) {
    auto* kept = add(new ColourView({0, 0, 1, 1}, kRedCRgb));
    auto* removed = add(new ColourView({0, 0, 1, 1}, kRedCRgb));
    kept->remember();
    EXPECT_EQ(f.getNbViews(), 2);
    EXPECT_EQ(f.getView(1), removed);
    EXPECT_EQ(f.getView(2), nullptr);
    EXPECT_EQ(f.getView(-1), nullptr);
    EXPECT_TRUE(f.removeView(removed));
    EXPECT_FALSE(f.isChild(removed));
    EXPECT_EQ(f.getNbViews(), 1);
    f.removeAll();
    EXPECT_EQ(kept->getNbReference(), 1);
    kept->forget();
}

TEST(Frame, IsNotOpenWithoutAParentWindow) {
    CFrame frame({0, 0, 10, 10}, nullptr, nullptr);
    EXPECT_FALSE(frame.isOpen());
    frame.idle();
    EXPECT_FALSE(frame.onWheel(1.0f));
}

} // namespace
} // namespace miral::toolkit::testing
