// The report text of an error, section by section.
#include <gtest/gtest.h>

#include <string>

#include "core/ErrorReportText.h"

namespace {

using kelmor::core::ErrorDetailsText;
using kelmor::core::ErrorReportFields;
using kelmor::core::FormatErrorText;

ErrorReportFields Fields(unsigned present) {
    ErrorReportFields f;
    if (present & 1) f.number = 5, f.numberText = u"5 (0x00000005)";
    if (present & 2) f.description = u"Invalid procedure call or argument";
    if (present & 4) f.source = u"Kelmor0200.nvkMain";
    if (present & 8) f.helpFile = u"C:\\help\\nevkit.chm";
    if (present & 16) f.helpContext = 1000, f.helpContextText = u"1000 (0x000003E8)";
    return f;
}

TEST(ErrorReportText, EverySectionWithItsLabel) {
    EXPECT_EQ(u"Error number: 5 (0x00000005)\r\n"
              u"Description:  Invalid procedure call or argument\r\n\r\n"
              u"Source:       Kelmor0200.nvkMain\r\n"
              u"Help file:    C:\\help\\nevkit.chm\r\n"
              u"Help context: 1000 (0x000003E8)",
              FormatErrorText(Fields(31)));
}

TEST(ErrorReportText, EveryCombinationOfPresentFields) {
    const std::u16string sections[] = {
        u"Error number: 5 (0x00000005)\r\n",
        u"Description:  Invalid procedure call or argument\r\n\r\n",
        u"Source:       Kelmor0200.nvkMain\r\n",
        u"Help file:    C:\\help\\nevkit.chm\r\n",
        u"Help context: 1000 (0x000003E8)\r\n",
    };
    for (unsigned present = 1; present < 32; ++present) {
        std::u16string expected;
        for (unsigned i = 0; i < 5; ++i)
            if (present & (1u << i)) expected += sections[i];
        expected.resize(expected.size() - 2);  // the final line break, once
        EXPECT_TRUE(expected == FormatErrorText(Fields(present))) << "fields present: " << present;
        EXPECT_TRUE(expected == ErrorDetailsText(Fields(present))) << "fields present: " << present;
    }
}

TEST(ErrorReportText, NothingPresentIsAnUnknownError) {
    EXPECT_EQ(u"Unknown run-time error.", FormatErrorText(Fields(0)));
    EXPECT_EQ(u"", ErrorDetailsText(Fields(0)));
    // Texts of zero numbers are not shown.
    ErrorReportFields f;
    f.numberText = u"0 (0x00000000)";
    f.helpContextText = u"0 (0x00000000)";
    EXPECT_EQ(u"Unknown run-time error.", FormatErrorText(f));
}

TEST(ErrorReportText, DescriptionLastEndsWithOneLineBreak) {
    EXPECT_EQ(u"Error number: 5 (0x00000005)\r\nDescription:  Invalid procedure call or argument\r\n",
              FormatErrorText(Fields(3)));
    EXPECT_EQ(u"Description:  Invalid procedure call or argument\r\n", FormatErrorText(Fields(2)));
}

TEST(ErrorReportText, LineBreaksInTheDescriptionBecomeBlanks) {
    ErrorReportFields f;
    f.description = u"first line\r\nsecond line\r\n\r\nthird";
    EXPECT_EQ(u"Description:  first line second line  third\r\n", FormatErrorText(f));
    // Only CR LF pairs are line breaks here; a lone CR or LF stays as it is.
    f.description = u"a\nb\rc\r\n";
    EXPECT_EQ(u"Description:  a\nb\rc \r\n", FormatErrorText(f));
}

TEST(ErrorReportText, NegativeNumbersAndHelpContextsArePresent) {
    ErrorReportFields f;
    f.number = -2147221005;
    f.numberText = u"-2147221005 (0x800401F3)";
    f.helpContext = -1;
    f.helpContextText = u"-1 (0xFFFFFFFF)";
    EXPECT_EQ(u"Error number: -2147221005 (0x800401F3)\r\nHelp context: -1 (0xFFFFFFFF)", FormatErrorText(f));
}

}  // namespace
