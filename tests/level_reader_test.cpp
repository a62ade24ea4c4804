// The lexical rules of the level files: integers, floats, words, separators,
// line numbers and messages.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "level/text_reader.h"
#include "support/level_files.h"

namespace cog {

namespace {

int32_t intOf(const std::string& text) {
  TextReader in("t.txt", text);
  int32_t v = -12345;
  EXPECT_TRUE(in.readInt(v, "n")) << text << ": " << in.error();
  return v;
}

std::string intError(const std::string& text) {
  TextReader in("t.txt", text);
  int32_t v = 0;
  EXPECT_FALSE(in.readInt(v, "n")) << text;
  return in.error();
}

float floatOf(const std::string& text) {
  TextReader in("t.txt", text);
  float v = -12345.0f;
  EXPECT_TRUE(in.readFloat(v, "x")) << text << ": " << in.error();
  return v;
}

std::string floatError(const std::string& text) {
  TextReader in("t.txt", text);
  float v = 0;
  EXPECT_FALSE(in.readFloat(v, "x")) << text;
  return in.error();
}

// What a word read finds after one integer (or float) read.
std::string restAfterInt(const std::string& text, int32_t expected) {
  TextReader in("t.txt", text);
  int32_t v = 0;
  EXPECT_TRUE(in.readInt(v, "n"));
  EXPECT_EQ(v, expected) << text;
  std::string word;
  EXPECT_TRUE(in.readWord(word, "rest"));
  return word;
}

std::string restAfterFloat(const std::string& text, float expected) {
  TextReader in("t.txt", text);
  float v = 0;
  EXPECT_TRUE(in.readFloat(v, "x"));
  EXPECT_EQ(v, expected) << text;
  std::string word;
  EXPECT_TRUE(in.readWord(word, "rest"));
  return word;
}

}  // namespace

TEST(LevelReaderInt, DecimalOctalAndHexLikeStrtolBaseZero) {
  EXPECT_EQ(intOf("12"), 12);
  EXPECT_EQ(intOf("-7"), -7);
  EXPECT_EQ(intOf("+3"), 3);
  EXPECT_EQ(intOf("0"), 0);
  EXPECT_EQ(intOf("-0"), 0);
  EXPECT_EQ(intOf("010"), 8);
  EXPECT_EQ(intOf("-010"), -8);
  EXPECT_EQ(intOf("0x1F"), 31);
  EXPECT_EQ(intOf("0X1f"), 31);
  EXPECT_EQ(intOf("-0x10"), -16);
  EXPECT_EQ(intOf("2147483647"), 2147483647);
  EXPECT_EQ(intOf("-2147483648"), INT32_MIN);
  EXPECT_EQ(intOf("0x7fffffff"), 2147483647);
  EXPECT_EQ(intOf("017777777777"), 2147483647);
}

TEST(LevelReaderInt, EndsAtTheFirstCharacterThatCannotContinueIt) {
  EXPECT_EQ(restAfterInt("08", 0), "8");
  EXPECT_EQ(restAfterInt("0x", 0), "x");
  EXPECT_EQ(restAfterInt("0xg1", 0), "xg1");
  EXPECT_EQ(restAfterInt("12abc", 12), "abc");
  EXPECT_EQ(restAfterInt("1.0", 1), ".0");
  EXPECT_EQ(restAfterInt("7,", 7), ",");
  // A sign starts the next number.
  TextReader in("t.txt", "1-2+3");
  int32_t a = 0, b = 0, c = 0;
  ASSERT_TRUE(in.readInt(a, "a") && in.readInt(b, "b") && in.readInt(c, "c"));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -2);
  EXPECT_EQ(c, 3);
  EXPECT_TRUE(in.atEnd());
}

TEST(LevelReaderInt, RejectsWhatDoesNotParseOrFit) {
  EXPECT_EQ(intError("abc"), "t.txt:1: expected an integer (n), found \"abc\"");
  EXPECT_EQ(intError("\n\n  -"), "t.txt:3: expected an integer (n), found \"-\"");
  EXPECT_EQ(intError("+x"), "t.txt:1: expected an integer (n), found \"+x\"");
  EXPECT_EQ(intError(".5"), "t.txt:1: expected an integer (n), found \".5\"");
  EXPECT_EQ(intError("2147483648"), "t.txt:1: the integer \"2147483648\" (n) is out of range");
  EXPECT_NE(intError("-2147483649").find("out of range"), std::string::npos);
  EXPECT_NE(intError("0x80000000").find("out of range"), std::string::npos);
  EXPECT_NE(intError("99999999999999999999999999999").find("out of range"), std::string::npos);
  EXPECT_EQ(intError(""), "t.txt:1: the file ends where an integer (n) was expected");
  EXPECT_EQ(intError(" \n\t "), "t.txt:1: the file ends where an integer (n) was expected");
}

TEST(LevelReaderInt, AFailedReadStaysPutAndFailsAgain) {
  TextReader in("t.txt", "  abc 5");
  int32_t v = 0;
  EXPECT_FALSE(in.readInt(v, "n"));
  EXPECT_FALSE(in.readInt(v, "n"));
  EXPECT_TRUE(in.failed());
  std::string word;
  ASSERT_TRUE(in.readWord(word, "w"));
  EXPECT_EQ(word, "abc");
}

TEST(LevelReaderFloat, DecimalFormsWithCorrectRounding) {
  EXPECT_EQ(floatOf("-12"), -12.0f);
  EXPECT_EQ(floatOf("0.5"), 0.5f);
  EXPECT_EQ(floatOf("1e3"), 1000.0f);
  EXPECT_EQ(floatOf("1E-2"), 0.01f);
  EXPECT_EQ(floatOf(".5"), 0.5f);
  EXPECT_EQ(floatOf("5."), 5.0f);
  EXPECT_EQ(floatOf("+2.5e+1"), 25.0f);
  EXPECT_EQ(floatOf("0.1"), 0.1f);
  EXPECT_EQ(floatOf("010"), 10.0f);  // floats are decimal only
  // Halfway cases round to even, as strtof does.
  EXPECT_EQ(floatOf("16777217"), 16777216.0f);
  EXPECT_EQ(floatOf("16777219"), 16777220.0f);
  EXPECT_EQ(floatOf("0.017453292"), 0.017453292f);
  EXPECT_EQ(floatOf("1.0000000596046448"), std::strtof("1.0000000596046448", nullptr));
  EXPECT_TRUE(std::signbit(floatOf("-0")));
}

TEST(LevelReaderFloat, EndsAtTheFirstCharacterThatCannotContinueIt) {
  EXPECT_EQ(restAfterFloat("0.5,", 0.5f), ",");
  EXPECT_EQ(restAfterFloat("30)", 30.0f), ")");
  EXPECT_EQ(restAfterFloat("1e", 1.0f), "e");
  EXPECT_EQ(restAfterFloat("1e+x", 1.0f), "e+x");
  EXPECT_EQ(restAfterFloat("0x10", 0.0f), "x10");
  EXPECT_EQ(restAfterFloat("1.5.5", 1.5f), ".5");
}

TEST(LevelReaderFloat, AtMostNineteenCharacters) {
  EXPECT_EQ(floatOf("1.00000000000000000"), 1.0f);  // 19 characters
  EXPECT_EQ(floatError("1.000000000000000000"), "t.txt:1: the number \"1.000000000000000000\" is longer than 19 characters");
  EXPECT_NE(floatError(std::string(5000, '7')).find("longer than 19"), std::string::npos);
}

TEST(LevelReaderFloat, RejectsWhatIsNotADecimalNumber) {
  EXPECT_EQ(floatError("nan"), "t.txt:1: expected a number (x), found \"nan\"");
  EXPECT_NE(floatError("inf").find("expected a number"), std::string::npos);
  EXPECT_NE(floatError("-.").find("expected a number"), std::string::npos);
  EXPECT_NE(floatError("(0.5").find("expected a number"), std::string::npos);
}

// A number past the largest 32-bit float rounds to infinity and is refused;
// one that rounds down to the largest float, or underflows, is read as before.
TEST(LevelReaderFloat, FiniteAsA32BitFloatOrRefused) {
  const struct {
    const char* text;
    bool refused;
  } cases[] = {
      {"3.4028234e38", false},
      {"3.40282356e38", false},  // just under halfway to 2^128: rounds down to the largest float
      {"-3.40282356e38", false},
      {"1e-50", false},          // underflows to 0, as strtof gives it
      {"3.40282357e38", true},   // just past halfway: rounds to infinity
      {"-3.40282357e38", true},
      {"1e40", true},
      {"1e999", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    if (!c.refused) {
      EXPECT_EQ(floatOf(c.text), std::strtof(c.text, nullptr));
    } else {
      EXPECT_EQ(floatError(std::string("\n ") + c.text),
                std::string("t.txt:2: the number \"") + c.text +
                    "\" (x) is too large for a 32-bit float (at most about 3.4e38)");
    }
  }
  EXPECT_EQ(floatOf("3.40282356e38"), FLT_MAX);
  EXPECT_EQ(floatOf("-3.40282356e38"), -FLT_MAX);
  // A refused number stays put, like any failed read.
  TextReader in("t.txt", "1e40");
  float v = 7;
  EXPECT_FALSE(in.readFloat(v, "x"));
  EXPECT_EQ(v, 7.0f);
  EXPECT_EQ(in.remaining(), 4u);
}

TEST(LevelReaderWord, RunsOfNonWhitespaceUpToSeventyNineCharacters) {
  TextReader in("Lbank.txt", "stone.bmp\tmy(pic),x.bmp\n");
  std::string a, b;
  ASSERT_TRUE(in.readWord(a, "name"));
  ASSERT_TRUE(in.readWord(b, "name"));
  EXPECT_EQ(a, "stone.bmp");
  EXPECT_EQ(b, "my(pic),x.bmp");
  EXPECT_FALSE(in.readWord(a, "name"));
  EXPECT_EQ(in.error(), "Lbank.txt:1: the file ends where a word (name) was expected");

  TextReader ok("t.txt", std::string(79, 'a'));
  ASSERT_TRUE(ok.readWord(a, "name"));
  EXPECT_EQ(a.size(), 79u);
  TextReader longer("t.txt", std::string(80, 'a'));
  EXPECT_FALSE(longer.readWord(a, "name"));
  EXPECT_NE(longer.error().find("longer than 79 characters"), std::string::npos);
}

TEST(LevelReaderLayout, AllWhitespaceKindsSeparateTokens) {
  TextReader in("t.txt", " \t1\f2\v3\r4\n5\r\n6");
  for (int expected = 1; expected <= 6; ++expected) {
    int32_t v = 0;
    ASSERT_TRUE(in.readInt(v, "n"));
    EXPECT_EQ(v, expected);
  }
  EXPECT_TRUE(in.atEnd());
}

TEST(LevelReaderLayout, LineNumbersCountNewlinesWithCrLfAsOne) {
  TextReader in("dat.txt", "1\r\n2\r\n\r\nabc");
  int32_t v = 0;
  ASSERT_TRUE(in.readInt(v, "a") && in.readInt(v, "b"));
  EXPECT_FALSE(in.readInt(v, "c"));
  EXPECT_EQ(in.error(), "dat.txt:4: expected an integer (c), found \"abc\"");

  // A file that ends early is reported at its last token, not past it.
  TextReader early("dat.txt", "1\n2\n\n\n");
  ASSERT_TRUE(early.readInt(v, "a") && early.readInt(v, "b"));
  EXPECT_FALSE(early.readInt(v, "c"));
  EXPECT_EQ(early.error(), "dat.txt:2: the file ends where an integer (c) was expected");
}

TEST(LevelReaderLayout, SkipSeparatorsTakesParenthesesCommasBlanksTabsAndNewlines) {
  TextReader in("enin.txt", "(0,\t20 ,\n0)\r\n(1)x");
  float x = -1, y = -1, z = -1, t = -1;
  in.skipSeparators();
  ASSERT_TRUE(in.readFloat(x, "x"));
  in.skipSeparators();
  ASSERT_TRUE(in.readFloat(y, "y"));
  in.skipSeparators();
  ASSERT_TRUE(in.readFloat(z, "z"));
  in.skipSeparators();
  ASSERT_TRUE(in.readFloat(t, "t"));
  in.skipSeparators();
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, 20.0f);
  EXPECT_EQ(z, 0.0f);
  EXPECT_EQ(t, 1.0f);
  EXPECT_EQ(in.line(), 3);
  std::string rest;
  ASSERT_TRUE(in.readWord(rest, "rest"));
  EXPECT_EQ(rest, "x");

  // Other whitespace and other characters stop it.
  TextReader stops("t.txt", "(\f(");
  stops.skipSeparators();
  EXPECT_EQ(stops.remaining(), 2u);
  TextReader empty("t.txt", "(((");
  empty.skipSeparators();
  EXPECT_TRUE(empty.atEnd());
}

TEST(LevelReaderLayout, RestCanHoldIsALowerBoundOnTokens) {
  TextReader in("t.txt", "1 2 3");  // 5 characters: at most 3 numbers
  EXPECT_TRUE(in.restCanHold(3));
  EXPECT_FALSE(in.restCanHold(4));
  EXPECT_TRUE(in.restCanHold(0));
  EXPECT_TRUE(in.restCanHold(-5));
  TextReader signs("t.txt", "1-1-1");  // three numbers, no blanks
  EXPECT_TRUE(signs.restCanHold(3));
}

TEST(LevelReaderOpen, MissingDirectoryAndOversizedFilesAreRefused) {
  TempDir dir;
  TextReader in;
  EXPECT_FALSE(in.open((dir.path() / "dat.txt").string(), "dat.txt"));
  EXPECT_EQ(in.error(), "dat.txt: the file is missing");

  EXPECT_FALSE(in.open(dir.path().string(), "objects.txt"));
  EXPECT_EQ(in.error(), "objects.txt: not a regular file");

  const auto big = dir.path() / "big.txt";
  { std::ofstream(big) << "1"; }
  std::filesystem::resize_file(big, TextReader::kMaxFileBytes + 1);
  EXPECT_FALSE(in.open(big.string(), "enin.txt"));
  EXPECT_EQ(in.error(), "enin.txt: the file is larger than 64 MiB");

  const auto small = dir.path() / "small.txt";
  { std::ofstream(small, std::ios::binary) << "3\r\n4"; }
  ASSERT_TRUE(in.open(small.string(), "small.txt"));
  int32_t a = 0, b = 0;
  ASSERT_TRUE(in.readInt(a, "a") && in.readInt(b, "b"));
  EXPECT_EQ(a + b, 7);
  EXPECT_EQ(in.line(), 2);
}

}  // namespace cog
