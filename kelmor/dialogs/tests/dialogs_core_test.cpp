// Portable rules of the dialogs: tab stepping, module lines, the list dialog's caption, tags and
// layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/core/ListDialogRules.h"
#include "dialogs/core/ModuleLine.h"
#include "dialogs/core/TabStepping.h"

namespace {

using namespace kelmor::core;

std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

// ---- Tab stepping ----

TEST(TabStepping, StepsWrapAroundBothWays) {
    // Three pages: from the last, next is the first; from the first, previous is the last.
    EXPECT_EQ(1, NextTab(3, 3));
    EXPECT_EQ(3, PreviousTab(1, 3));
    EXPECT_EQ(2, NextTab(1, 3));
    EXPECT_EQ(2, PreviousTab(3, 3));
    // One page: both steps stay on it.
    EXPECT_EQ(1, NextTab(1, 1));
    EXPECT_EQ(1, PreviousTab(1, 1));
    // Nothing shown yet (current 0): previous is the last page, next the first.
    EXPECT_EQ(3, PreviousTab(0, 3));
    EXPECT_EQ(1, NextTab(0, 3));
}

TEST(TabStepping, IndexChecksRefuseEverythingOutsideThePages) {
    EXPECT_EQ(0, TabToShow(0, 1, 3));
    EXPECT_EQ(0, TabToShow(4, 1, 3));
    EXPECT_EQ(0, TabToShow(-2, 1, 3));
    EXPECT_EQ(0, TabToShow(INT32_MIN, 1, 3));
    EXPECT_EQ(0, TabToShow(INT32_MAX, 1, 3));
    EXPECT_EQ(1, TabToShow(1, 0, 3));
    EXPECT_EQ(3, TabToShow(3, 0, 3));
    // The current page stands in for -1; none shown yet is no page.
    EXPECT_EQ(2, TabToShow(kCurrentTab, 2, 3));
    EXPECT_EQ(0, TabToShow(kCurrentTab, 0, 3));
    // Any show on an empty list fails.
    EXPECT_EQ(0, TabToShow(1, 0, 0));
    EXPECT_EQ(0, TabToShow(PreviousTab(0, 0), 0, 0));
    EXPECT_EQ(0, TabToShow(NextTab(0, 0), 0, 0));
}

TEST(TabStepping, ClearingKeepsTheOldIndex) {
    // Five pages, page 5 shown, then the list cleared and two pages added back without a show
    // (the control keeps index 5): showing the current page fails, next wraps to page 1 and
    // previous steps to page 4, which is no page either.
    const std::int32_t current = 5, count = 2;
    EXPECT_EQ(0, TabToShow(kCurrentTab, current, count));
    EXPECT_EQ(1, TabToShow(NextTab(current, count), current, count));
    EXPECT_EQ(0, TabToShow(PreviousTab(current, count), current, count));
    // With no pages at all every step fails.
    EXPECT_EQ(0, TabToShow(NextTab(current, 0), current, 0));
    EXPECT_EQ(0, TabToShow(PreviousTab(current, 0), current, 0));
}

TEST(TabStepping, ExtremeIndicesDoNotOverflow) {
    EXPECT_EQ(1, NextTab(INT32_MAX, 3));
    EXPECT_EQ(3, PreviousTab(INT32_MIN, 3));
}

std::string Describe(const std::vector<PageCall>& calls) {
    std::string out;
    for (const PageCall& c : calls) {
        if (!out.empty()) out += ' ';
        out += c.kind == PageCall::Kind::ZOrder ? "Z" : (c.visible ? "V" : "H");
        out += std::to_string(c.page);
    }
    return out;
}

TEST(TabStepping, ShowingAPageStacksAllThenTheChosenOneOnTop) {
    EXPECT_EQ("Z1 Z2 Z3 V1 V2 V3 Z2 V2", Describe(ShowTabCalls(2, 3, false, false)));
    EXPECT_EQ("Z1 Z2 Z3 H1 H2 H3 Z2 V2", Describe(ShowTabCalls(2, 3, false, true)));
    EXPECT_EQ("V1 V2 V3 Z3 V3", Describe(ShowTabCalls(3, 3, true, false)));
    EXPECT_EQ("H1 H2 Z1 V1", Describe(ShowTabCalls(1, 2, true, true)));
    EXPECT_EQ("", Describe(ShowTabCalls(0, 3, false, false)));
    EXPECT_EQ("", Describe(ShowTabCalls(4, 3, false, false)));
}

// ---- Module lines ----

ModuleLineFields Kernel32(bool atPreferred) {
    ModuleLineFields f;
    f.name = u"KERNEL32.DLL";
    f.baseAddress = u"0x7C800000";
    f.preferredAddress = u"0x7C000000";
    f.atPreferredAddress = atPreferred;
    f.size = u"1 040 384";
    f.fileName = u"C:\\WINDOWS\\system32\\kernel32.dll";
    return f;
}

TEST(ModuleLine, ModuleAtItsPreferredAddressHasFourteenBlanks) {
    EXPECT_EQ("KERNEL32.DLL    0x7C800000                1 040 384      C:\\WINDOWS\\system32\\kernel32.dll",
              Narrow(ModuleLine(Kernel32(true), 14)));
    //         name (14)     2  address      2   14 blanks     size (13)      2  file
}

TEST(ModuleLine, RelocatedModuleShowsItsPreferredAddressInParentheses) {
    EXPECT_EQ("KERNEL32.DLL    0x7C800000  (0x7C000000)  1 040 384      C:\\WINDOWS\\system32\\kernel32.dll",
              Narrow(ModuleLine(Kernel32(false), 14)));
}

TEST(ModuleLine, BothFormsKeepTheSizeColumnAligned) {
    for (size_t width : {10u, 18u}) {  // 32-bit and 64-bit address texts
        const std::u16string address(width, u'A');
        ModuleLineFields at = Kernel32(true), away = Kernel32(false);
        at.baseAddress = away.baseAddress = away.preferredAddress = address;
        const std::u16string a = ModuleLine(at, 0), b = ModuleLine(away, 0);
        EXPECT_EQ(a.find(u"1 040 384"), b.find(u"1 040 384")) << width;
        EXPECT_EQ(a.size(), b.size()) << width;
    }
}

TEST(ModuleLine, NamePaddingAndLongNames) {
    ModuleLineFields f = Kernel32(true);
    f.name = u"a.dll";
    // toString(0) and a negative size: no padding at all.
    EXPECT_EQ(0u, ModuleLine(f, 0).find(u"a.dll  0x7C800000"));
    EXPECT_EQ(0u, ModuleLine(f, -5).find(u"a.dll  0x7C800000"));
    // Padded to the size given.
    EXPECT_EQ(0u, ModuleLine(f, 8).find(u"a.dll     0x7C800000"));
    // A size below the name's length keeps the whole name.
    EXPECT_EQ(0u, ModuleLine(f, 2).find(u"a.dll  0x7C800000"));
    // Cyrillic names count characters, not bytes.
    f.name = u"модуль.dll";
    EXPECT_EQ(0u, ModuleLine(f, 12).find(u"модуль.dll    0x7C800000"));
}

TEST(ModuleLine, SizeColumnIsThirteenPlacesLeftAligned) {
    ModuleLineFields f = Kernel32(true);
    f.size = u"0";
    EXPECT_NE(std::u16string::npos, ModuleLine(f, 0).find(u" 0              C:\\"));  // "0" + 12 + 2 blanks
    f.size = u"2 147 483 647";  // the widest positive size fills the column exactly
    EXPECT_NE(std::u16string::npos, ModuleLine(f, 0).find(u" 2 147 483 647  C:\\"));
    f.size = u"-2 147 483 648";  // longer: kept whole
    EXPECT_NE(std::u16string::npos, ModuleLine(f, 0).find(u" -2 147 483 648  C:\\"));
}

// ---- List dialog ----

TEST(ListDialogRules, CaptionCarriesTheCountWhenAsked) {
    EXPECT_EQ(u"Города [3]", ListCaption(u"Города", true, 3));
    EXPECT_EQ(u"Города", ListCaption(u"Города", false, 3));
    EXPECT_EQ(u" [0]", ListCaption(u"", true, 0));
    EXPECT_EQ(u"", ListCaption(u"", false, 0));
    EXPECT_EQ(u"x [100000]", ListCaption(u"x", true, 100000));
}

TEST(ListDialogRules, TagIsTheTextAfterTheFirstTab) {
    EXPECT_EQ(u"b\tc", LineTag(u"a\tb\tc"));
    EXPECT_EQ(u"whole line", LineTag(u"whole line"));
    EXPECT_EQ(u"", LineTag(u"ends in tab\t"));
    EXPECT_EQ(u"tag", LineTag(u"\ttag"));
    EXPECT_EQ(u"", LineTag(u""));
    EXPECT_EQ(u"Москва", LineTag(u"Столица\tМосква"));
}

TEST(ListDialogRules, MinimumHeightLeavesRoomForTwoLabels) {
    // Frame 570 twips (caption and borders), label 900: 570 + 1800 + 120.
    EXPECT_EQ(2490, ListFormMinimumHeight(4230, 3660, 900));
    EXPECT_EQ(2490, ListFormMinimumHeight(1000, 430, 900));  // frame only matters, not the size
}

TEST(ListDialogRules, ListAndLabelFillTheInnerArea) {
    EXPECT_EQ((Bounds{60, 60, 6375, 2640}), ListBoxBounds(6495, 3660, 900));
    // The label follows the list's real height (rounded to whole lines by the list box).
    EXPECT_EQ((Bounds{60, 2625, 6375, 900}), TagLabelBounds(6495, 2565, 900));
}

TEST(ListDialogRules, TinyWindowsGiveEmptyControlsNotNegativeOnes) {
    EXPECT_EQ((Bounds{60, 60, 0, 0}), ListBoxBounds(100, 500, 900));
    EXPECT_EQ((Bounds{60, 60, 0, 900}), TagLabelBounds(0, 0, 900));
}

}  // namespace
