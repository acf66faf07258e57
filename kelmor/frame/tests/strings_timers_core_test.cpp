// The string buffer's length rules and the timers' display texts.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/StringBufferRules.h"
#include "core/TimerText.h"

namespace {

using kelmor::core::PlanBuffer;

TEST(StringBufferRules, TextAndLengthGiveKeptCharactersAndNuls) {
    struct Row {
        std::u16string text;
        std::int32_t length;
        std::size_t kept, nuls;
    } const rows[] = {
        {u"abc", 0, 3, 1},         // the text and its NUL
        {u"abc", -7, 3, 1},        // no length: as 0
        {u"abc", 8, 3, 5},         // padded to eight
        {u"abc", 3, 2, 1},         // cut: two letters and a NUL
        {u"abc", 1, 0, 1},         // only the NUL
        {u"", 5, 0, 5},
        {u"a\U0001F600b", 3, 1, 2},  // the cut would keep half a pair: it goes too
        {u"a\U0001F600b", 4, 3, 1},  // the whole pair fits
        {u"abc", INT_MAX, 3, static_cast<std::size_t>(INT_MAX) - 3},
    };
    for (const Row& row : rows) {
        const auto plan = PlanBuffer(row.text, row.length);
        EXPECT_EQ(row.kept, plan.kept) << "length " << row.length << ", text of " << row.text.size();
        EXPECT_EQ(row.nuls, plan.nuls) << "length " << row.length << ", text of " << row.text.size();
    }
}

TEST(TimerText, TotalAloneOrPerIterationCountAndTotal) {
    using kelmor::core::TimerText;
    EXPECT_TRUE(u"1 250 ms." == TimerText(0, u"1 250", u"unused", u"unused"));
    EXPECT_TRUE(u"1 250 ms." == TimerText(-4, u"1 250"));
    EXPECT_TRUE(u"250 ms. / 4 (1 000 ms.)" == TimerText(4, u"1 000", u"250", u"4"));
}

}  // namespace
