// Texts and codes of the runtime's error numbers.
#include <gtest/gtest.h>

#include "core/RuntimeErrors.h"

namespace {

using kelmor::core::RuntimeErrorHResult;
using kelmor::core::RuntimeErrorNumber;
using kelmor::core::RuntimeErrorText;

TEST(RuntimeErrors, NumbersTheLibraryRaisesHaveTheirStandardTexts) {
    EXPECT_EQ(u"Invalid procedure call or argument", RuntimeErrorText(5));
    EXPECT_EQ(u"Overflow", RuntimeErrorText(6));
    EXPECT_EQ(u"Subscript out of range", RuntimeErrorText(9));
    EXPECT_EQ(u"Type mismatch", RuntimeErrorText(13));
    EXPECT_EQ(u"Internal error", RuntimeErrorText(51));
    EXPECT_EQ(u"File not found", RuntimeErrorText(53));
    EXPECT_EQ(u"Object variable or With block variable not set", RuntimeErrorText(91));
    EXPECT_EQ(u"Invalid property value", RuntimeErrorText(380));
    EXPECT_EQ(u"Invalid picture", RuntimeErrorText(481));
}

TEST(RuntimeErrors, NumbersWithoutOwnTextGetTheGenericOne) {
    for (int n : {0, 1, 4, 8, 1000, 32767, 65535, -1}) {
        EXPECT_EQ(u"Application-defined or object-defined error", RuntimeErrorText(n)) << n;
    }
}

TEST(RuntimeErrors, HResultsCarryTheNumberBothWays) {
    EXPECT_EQ(0x800A0005u, RuntimeErrorHResult(5));
    EXPECT_EQ(0x800A01E1u, RuntimeErrorHResult(481));
    EXPECT_EQ(5, RuntimeErrorNumber(0x800A0005u));
    EXPECT_EQ(481, RuntimeErrorNumber(RuntimeErrorHResult(481)));
    // Other facilities carry no runtime number.
    EXPECT_EQ(0, RuntimeErrorNumber(0x80004005u));
    EXPECT_EQ(0, RuntimeErrorNumber(0x80070002u));
    EXPECT_EQ(0, RuntimeErrorNumber(0));
}

}  // namespace
