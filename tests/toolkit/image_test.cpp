#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/image.h"
#include "toolkit/offscreen_port.h"

#include <gtest/gtest.h>

#include <functional>

namespace miral::toolkit::testing {
namespace {

// A view that runs a drawing function, so images can be drawn through a frame's port.
class PaintView final : public CView {
public:
    explicit PaintView(std::function<void(CDrawPort&)> painter)
        : CView({0, 0, 420, 290}), paint(std::move(painter)) {}
    void draw(CDrawPort& port) override {
        paint(port);
        setDirty(false);
    }
    std::function<void(CDrawPort&)> paint;
};

CRgb gradient(int32_t x, int32_t y) {
    return {uint8_t(x * 40), uint8_t(y * 40), 7, 0};
}

struct ImageTest : ::testing::Test {
    void paint(std::function<void(CDrawPort&)> function) {
        auto* view = new PaintView(std::move(function));
        view->setDirty();
        frame.frame->addView(view);
        frame.frame->idle();
    }
    HeadlessFrame frame;
    RegisteredBitmap picture{200, makeBmp24(5, 5, gradient)};
};

TEST_F(ImageTest, LoadsItsSizeFromTheResource) {
    CImage* image = new CImage(200);
    EXPECT_EQ(image->getWidth(), 5);
    EXPECT_EQ(image->getHeight(), 5);
    EXPECT_EQ(image->getNbReference(), 1);
    image->forget();
}

TEST_F(ImageTest, AKeptReferenceSwapsAndSurvivesKeepingItsOwnImageAgain) {
    CImage* first = new CImage(200);
    CImage* second = new CImage(200);
    second->remember(); // counted after the holder has gone
    {
        CKept<CImage> kept;
        kept.reset(first);
        first->forget(); // the holder's reference is now the only one
        kept.reset(kept.get());
        EXPECT_EQ(first->getNbReference(), 1);
        EXPECT_EQ(kept->getWidth(), 5);
        kept.reset(second); // releases, and so destroys, the first image
        EXPECT_EQ(second->getNbReference(), 3);
    }
    EXPECT_EQ(second->getNbReference(), 2);
    second->forget();
    second->forget();
}

TEST_F(ImageTest, DrawsExactlyItsBoxFromTheSourceOffset) {
    CImage* image = new CImage(200);
    paint([image](CDrawPort& port) { image->draw(port, {10, 20, 12, 23}, {1, 2}); });
    image->forget();
    EXPECT_EQ(frame.pixel(10, 20), gradient(1, 2));
    EXPECT_EQ(frame.pixel(11, 22), gradient(2, 4));
    EXPECT_EQ(frame.pixel(12, 22), kBlackCRgb);
    EXPECT_EQ(frame.pixel(11, 23), kBlackCRgb);
    EXPECT_EQ(frame.pixel(9, 20), kBlackCRgb);
}

TEST_F(ImageTest, KeepsTheDestinationWhereTheBoxReachesBeyondTheImage) {
    CImage* image = new CImage(200);
    paint([image](CDrawPort& port) {
        port.setFillColour(kBlueCRgb);
        port.fillRect({-1, -1, 420, 290});
        image->draw(port, {0, 0, 420, 290});
    });
    image->forget();
    EXPECT_EQ(frame.pixel(4, 4), gradient(4, 4));
    EXPECT_EQ(frame.pixel(5, 4), kBlueCRgb);
    EXPECT_EQ(frame.pixel(100, 100), kBlueCRgb);
}

TEST_F(ImageTest, DrawsTransparentlyWithoutItsTransparentColour) {
    RegisteredBitmap dot(
        201, makeBmp24(2, 1, [](int32_t x, int32_t) { return x == 0 ? kWhiteCRgb : kRedCRgb; }));
    CImage* image = new CImage(201);
    paint([image](CDrawPort& port) {
        port.setFillColour(kGreenCRgb);
        port.fillRect({-1, -1, 10, 10});
        port.setOffset({3, 3});
        image->drawTransparent(port, {0, 0, 2, 1});
    });
    EXPECT_EQ(frame.pixel(3, 3), kGreenCRgb);
    EXPECT_EQ(frame.pixel(4, 3), kRedCRgb);

    image->setTransparentColour(kRedCRgb);
    paint([image](CDrawPort& port) { image->drawTransparent(port, {0, 0, 2, 1}); });
    image->forget();
    EXPECT_EQ(frame.pixel(0, 0), kWhiteCRgb);
    EXPECT_EQ(frame.pixel(1, 0), kGreenCRgb);
}

TEST_F(ImageTest, ImagesOfOneResourceShareItsPixelsButNotWhatIsDrawnIntoOne) {
    CImage* drawnInto = new CImage(200);
    CImage* untouched = new CImage(200);
    paint([&](CDrawPort& port) {
        {
            COffscreenPort inImage(port, *drawnInto, true);
            inImage.setFillColour(kBlueCRgb);
            inImage.fillRect({-1, -1, 5, 5});
        }
        drawnInto->draw(port, {0, 0, 5, 5});
        untouched->draw(port, {10, 0, 15, 5});
    });
    EXPECT_EQ(frame.pixel(1, 1), kBlueCRgb);
    EXPECT_EQ(frame.pixel(11, 1), gradient(1, 1)) << "the other image keeps the resource's";

    // New bytes under the same identifier are decoded afresh.
    const RegisteredBitmap replaced{200,
                                    makeBmp24(5, 5, [](int32_t, int32_t) { return kGreenCRgb; })};
    CImage* later = new CImage(200);
    paint([&](CDrawPort& port) { later->draw(port, {20, 0, 25, 5}); });
    EXPECT_EQ(frame.pixel(21, 1), kGreenCRgb);
    for (CImage* image : {drawnInto, untouched, later})
        image->forget();
}

TEST_F(ImageTest, AMissingResourceGivesAnEmptyImageThatDrawsNothing) {
    CImage* image = new CImage(999);
    EXPECT_EQ(image->getWidth(), 0);
    EXPECT_EQ(image->getHeight(), 0);
    paint([image](CDrawPort& port) {
        image->draw(port, {0, 0, 10, 10});
        image->drawTransparent(port, {0, 0, 10, 10});
    });
    image->forget();
    EXPECT_EQ(frame.pixel(0, 0), kBlackCRgb);
}

} // namespace
} // namespace miral::toolkit::testing
