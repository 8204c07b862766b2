// Where the editor's scale comes from (the X resources and GDK_SCALE on Linux, a window's DPI
// on Windows), and how layout and screen pixels convert.

#include "platform/display_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace miral::platform {
namespace {

TEST(DisplayScale, XftDpiIsTheScaleAgainst96DotsPerInch) {
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\t192\n"), 2.0);
    EXPECT_EQ(scaleFromXftDpi("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 1.5);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi: 96"), 1.0);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\t120.5\r\n"), 120.5 / 96);
}

TEST(DisplayScale, ResourcesWithoutAUsableXftDpiGiveNone) {
    EXPECT_EQ(scaleFromXftDpi(""), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("Xcursor.size:\t48\n"), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\tlarge\n"), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\t0\n"), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\t-96\n"), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("Xft.dpi:\t192dpi\n"), std::nullopt);
    EXPECT_EQ(scaleFromXftDpi("MyXft.dpi:\t192\n"), std::nullopt);
}

TEST(DisplayScale, GdkScaleIsAPositiveNumberOrNothing) {
    EXPECT_EQ(scaleFromGdkScale("2"), 2.0);
    EXPECT_EQ(scaleFromGdkScale("1.5"), 1.5);
    EXPECT_EQ(scaleFromGdkScale(nullptr), std::nullopt);
    EXPECT_EQ(scaleFromGdkScale(""), std::nullopt);
    EXPECT_EQ(scaleFromGdkScale("0"), std::nullopt);
    EXPECT_EQ(scaleFromGdkScale("two"), std::nullopt);
    EXPECT_EQ(scaleFromGdkScale("inf"), std::nullopt);
}

TEST(DisplayScale, AWindowsDpiIsTheScaleAgainst96) {
    EXPECT_EQ(scaleFromDpi(96), 1.0);
    EXPECT_EQ(scaleFromDpi(144), 1.5);
    EXPECT_EQ(scaleFromDpi(192), 2.0);
    EXPECT_EQ(scaleFromDpi(0), std::nullopt) << "what GetDpiForWindow answers for no window";
    EXPECT_EQ(scaleFromDpi(-96), std::nullopt);
}

TEST(DisplayScale, ScalesStayBetweenOneAndThree) {
    EXPECT_EQ(clampScale(0.5), 1.0);
    EXPECT_EQ(clampScale(1.75), 1.75);
    EXPECT_EQ(clampScale(8.0), 3.0);
    EXPECT_EQ(clampScale(std::numeric_limits<double>::quiet_NaN()), 1.0);
}

TEST(DisplayScale, DesktopScaleFallsBackToGdkScaleWithoutAnXServer) {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0')
        GTEST_SKIP() << "an X server may answer Xft.dpi";
    setenv("GDK_SCALE", "2", 1);
    EXPECT_EQ(desktopScale(), 2.0);
    setenv("GDK_SCALE", "9", 1);
    EXPECT_EQ(desktopScale(), 3.0);
    unsetenv("GDK_SCALE");
    EXPECT_EQ(desktopScale(), 1.0);
}

TEST(DisplayScale, ScreenPixelsMapToTheLayoutPixelsUnderThem) {
    EXPECT_EQ(scaledLength(420, 1.5), 630);
    EXPECT_EQ(scaledLength(290, 1.25), 363);
    const Point point = toLayout(Point{275, 101}, 1.5);
    EXPECT_EQ(point.x, 183);
    EXPECT_EQ(point.y, 67);
    // At 1.5 layout pixel 51 begins in the middle of screen pixel 76, whose centre it holds:
    // the pixel shows layout pixel 51, and a click on it lands there.
    EXPECT_EQ(firstScreenPixel(51, 1.5), 76);
    EXPECT_EQ(firstScreenPixel(52, 1.5), 78);
    EXPECT_EQ(toLayout(Point{76, 77}, 1.5).x, 51);
    EXPECT_EQ(toLayout(Point{76, 77}, 1.5).y, 51);
    EXPECT_EQ(toLayout(Point{75, 0}, 1.5).x, 50);
    const Rect rect = toLayout(Rect{3, 3, 7, 8}, 2.0);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 1);
    EXPECT_EQ(rect.right, 4);
    EXPECT_EQ(rect.bottom, 4);
}

} // namespace
} // namespace miral::platform
