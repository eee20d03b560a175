// The multi-byte string routines, locale-free formatting and device rounding.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/Format.h"
#include "render/RpMBCS.h"
#include "render/RpRender.h"

namespace tal {
namespace {

TEST(MBCS, CopyAndDeleteClipToTheText) {
    EXPECT_EQ(MBCSCopy("abcde", 4, 10), "de");
    EXPECT_EQ(MBCSCopy("abcde", 6, 1), "");
    EXPECT_EQ(MBCSCopy("abcde", 2, 0), "");
    EXPECT_EQ(MBCSCopy("", 1, 3), "");
    std::string s = "abcde";
    MBCSDelete(s, 2, 2);
    EXPECT_EQ(s, "ade");
    s = "abcde";
    MBCSDelete(s, 6, 2);
    EXPECT_EQ(s, "abcde");
    MBCSDelete(s, 4, 99);
    EXPECT_EQ(s, "abc");
}

TEST(MBCS, DoubleByteCharactersStayTogether) {
    // Shift-JIS: 0x82 0xA0 is one character, 0x41 another.
    const std::string text = "\x82\xA0" "A" "\x82\xA2" "B";
    EXPECT_EQ(MBCSCopy(text, 2, 2, CP_SHIFT_JIS), "A\x82\xA2");
    EXPECT_EQ(MBCSCopy(text, 3, 1, CP_SHIFT_JIS), "\x82\xA2");
    std::string s = text;
    MBCSDelete(s, 1, 1, CP_SHIFT_JIS);
    EXPECT_EQ(s, "A\x82\xA2" "B");
    // The same bytes are four single characters in Windows-1252.
    EXPECT_EQ(MBCSCopy(text, 2, 2), "\xA0" "A");
    // A lead byte at the very end counts as one character and is not read past.
    const char tail[] = "a\x82";
    EXPECT_EQ(NextChar(tail + 1, CP_SHIFT_JIS), tail + 2);
    for (TCodePage cp : {CP_GBK, CP_KOREAN, CP_BIG5}) EXPECT_EQ(MBCSCopy("\xB0\xA1x", 1, 1, cp), "\xB0\xA1");
}

TEST(Format, NumbersIgnoreTheCLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may not exist; the check holds either way
    EXPECT_EQ(Format("%.4f|%d|%s|%02X|%5s|%-3d|", {1.5, -7, "x", 10u, "ab", 4}), "1.5000|-7|x|0A|   ab|4  |");
    EXPECT_EQ(FormatFixed(-0.125, 2), "-0.12");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
}

TEST(Rounding, HalfToEvenAndClampedToInt32) {
    EXPECT_EQ(RoundToInt32(22.5), 22);
    EXPECT_EQ(RoundToInt32(23.5), 24);
    EXPECT_EQ(RoundToInt32(-0.5), 0);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt32(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(-INFINITY), std::numeric_limits<std::int32_t>::min());
}

}  // namespace
}  // namespace tal
