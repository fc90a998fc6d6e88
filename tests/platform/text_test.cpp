#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/text.h"

using platform::strtoint;

TEST(Text, TrimRemovesBlanksAndControlBytesOnly) {
  EXPECT_EQ(platform::trim(std::string("\0\t  a b\x1f \x20", 9)), "a b");
  EXPECT_EQ(platform::trim("\xA0x\xA0"), "\xA0x\xA0");  // 0xA0 is a letter of the code page here
  EXPECT_EQ(platform::trim("   "), "");
}

TEST(Text, CaseFoldingTouchesAsciiLettersOnly) {
  EXPECT_EQ(platform::upper("rum \xE4pfel"), "RUM \xE4PFEL");
  EXPECT_EQ(platform::lower("RUM \xC4PFEL"), "rum \xC4pfel");
}

TEST(Text, StrtointAcceptsDecimalHexAndSigns) {
  int32_t v = 0;
  ASSERT_TRUE(strtoint("  42", v));
  EXPECT_EQ(v, 42);
  ASSERT_TRUE(strtoint("-17", v));
  EXPECT_EQ(v, -17);
  ASSERT_TRUE(strtoint("+0000000007", v));
  EXPECT_EQ(v, 7);
  ASSERT_TRUE(strtoint("$1F", v));
  EXPECT_EQ(v, 31);
  ASSERT_TRUE(strtoint("0x10", v));
  EXPECT_EQ(v, 16);
  ASSERT_TRUE(strtoint("x10", v));
  EXPECT_EQ(v, 16);
  ASSERT_TRUE(strtoint("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  ASSERT_TRUE(strtoint("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
}

TEST(Text, StrtointRejectsWhatIsNoNumber) {
  int32_t v = 99;
  for (const char* bad :
       {"", " ", "-", "$", "0x", "12a", "1 ", "2147483648", "-2147483649", "9999999999", "1.5", "\t1"})
    EXPECT_FALSE(strtoint(bad, v)) << bad;
  EXPECT_EQ(v, 99);
}

TEST(Text, ZeroPadding) {
  EXPECT_EQ(platform::zeropadded(7, 10), "0000000007");
  EXPECT_EQ(platform::zeropadded(12345678901, 10), "12345678901");
}

TEST(Codepage, LiteralsBecomeWindows1252AtCompileTime) {
  const std::string_view text = "Übergebene € „x“ ß"_cp;
  EXPECT_EQ(std::string(text),
            "\xDC"
            "bergebene \x80 \x84x\x93 \xDF");
}

TEST(Codepage, RoundTripAndUnmappableCharacters) {
  std::string all;
  for (int b = 0x20; b < 0x100; ++b)
    if (b < 0x80 || b >= 0xA0 || platform::cp1252high[b - 0x80] != 0) all += static_cast<char>(b);
  EXPECT_EQ(platform::utf8tocp1252(platform::cp1252toutf8(all)), all);
  EXPECT_EQ(platform::utf8tocp1252("a\xE2\x82\xAC \xE4\xB8\xAD \xFF"), "a\x80 ? ?");  // €, a CJK sign, a stray byte
}

TEST(Codepage, EveryByteSurvivesATripThroughUnicode) {
  // A name holding a byte from a gap of the code page must come back from a
  // text field unchanged, or saving it unedited would change it.
  std::string every;
  for (int b = 0; b < 0x100; ++b) every += static_cast<char>(b);
  const std::string utf8 = platform::cp1252toutf8(every);
  EXPECT_EQ(platform::utf8tocp1252(utf8), every);
  EXPECT_EQ(platform::cp1252toutf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
}

TEST(Codepage, MultibyteUtf8Detection) {
  EXPECT_TRUE(platform::ismultibyteutf8("K\xC3\xA4se"));
  EXPECT_FALSE(platform::ismultibyteutf8("plain ascii"));
  EXPECT_FALSE(platform::ismultibyteutf8("K\xE4se"));           // Windows-1252
  EXPECT_FALSE(platform::ismultibyteutf8("K\xC3\xA4se \xE4"));  // mixed: not UTF-8
  EXPECT_FALSE(platform::ismultibyteutf8("\xC0\xAF"));          // overlong
}
