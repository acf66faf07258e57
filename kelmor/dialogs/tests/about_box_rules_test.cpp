// The about box's rules that need no window: pages taken, focus per page, the place of a given
// dedication picture, the page keys and the free-memory line.
#include <gtest/gtest.h>

#include <climits>

#include "dialogs/core/AboutBoxRules.h"

namespace {

using namespace kelmor::core;

TEST(AboutBoxRules, PagesWithoutContentAreLeftOut) {
    EXPECT_TRUE(IsPageTaken(PageContent::Description, false, 0));
    EXPECT_FALSE(IsPageTaken(PageContent::Description, true, 5));
    EXPECT_TRUE(IsPageTaken(PageContent::Modules, true, 1));
    EXPECT_FALSE(IsPageTaken(PageContent::Modules, false, 0));
    EXPECT_TRUE(IsPageTaken(PageContent::Other, true, 0));
}

TEST(AboutBoxRules, EachPageFocusesItsControl) {
    EXPECT_EQ(PageFocus::OkButton, FocusOfPage(0));
    EXPECT_EQ(PageFocus::Description, FocusOfPage(1));
    EXPECT_EQ(PageFocus::Modules, FocusOfPage(2));
    EXPECT_EQ(PageFocus::OkButton, FocusOfPage(3));
    EXPECT_EQ(PageFocus::None, FocusOfPage(4));
    EXPECT_EQ(PageFocus::None, FocusOfPage(-1));
}

TEST(AboutBoxRules, GivenPictureStandsBottomRightOfPageZero) {
    EXPECT_EQ((PixelPoint{309 - 66 - 5, 113 - 64 - 3}), DedicationPicturePlace(309, 113, 66, 64));
    // A picture larger than the page reaches out over its top-left corner.
    EXPECT_EQ((PixelPoint{-96, -90}), DedicationPicturePlace(309, 113, 400, 200));
    // Sizes at the limits give a position, not an overflow.
    EXPECT_EQ((PixelPoint{INT32_MIN, INT32_MIN}), DedicationPicturePlace(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
}

TEST(AboutBoxRules, PageKeysOnlyWithoutModifiers) {
    EXPECT_EQ(PageStep::Previous, PageStepOfKey(kKeyPageUp, 0));
    EXPECT_EQ(PageStep::Next, PageStepOfKey(kKeyPageDown, 0));
    for (int mask : {1, 2, 4, 3, 7}) {
        EXPECT_EQ(PageStep::None, PageStepOfKey(kKeyPageUp, mask)) << mask;
        EXPECT_EQ(PageStep::None, PageStepOfKey(kKeyPageDown, mask)) << mask;
    }
    EXPECT_EQ(PageStep::None, PageStepOfKey(35, 0));  // End
    EXPECT_EQ(PageStep::None, PageStepOfKey(0, 0));
}

TEST(AboutBoxRules, FreeMemoryLineShowsTheFreeShare) {
    EXPECT_EQ(u"1.50 GB (63%)", FreeMemoryText(u"1.50 GB", 37));
    EXPECT_EQ(u"0 bytes (0%)", FreeMemoryText(u"0 bytes", 100));
    EXPECT_EQ(u"4.00 GB (100%)", FreeMemoryText(u"4.00 GB", 0));
    EXPECT_EQ(u"x (0%)", FreeMemoryText(u"x", 250));  // a load above 100 is no negative share
}

}  // namespace
