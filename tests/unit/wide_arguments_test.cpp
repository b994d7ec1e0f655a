#include "cli/wide_arguments.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// Decodes in C.UTF-8, which glibc always has, and restores the locale after.
class WideArguments : public testing::Test {
 protected:
  void SetUp() override {
    previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  }
  void TearDown() override { std::setlocale(LC_CTYPE, previous.c_str()); }

 private:
  std::string previous;
};

TEST_F(WideArguments, DecodesValidTextInTheLocaleEncoding) {
  EXPECT_EQ(glyphevict::widen_argument(""), L"");
  EXPECT_EQ(glyphevict::widen_argument("/usr/share/fonts/Gothic.ttf"),
            L"/usr/share/fonts/Gothic.ttf");
  EXPECT_EQ(glyphevict::widen_argument("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xA4.otf"),
            L"caf\u00E9 \u20AC \U0001F524.otf");
}

TEST_F(WideArguments, EscapesEachUndecodableByteAndKeepsGoing) {
  // Bytes that start no character, alone and amid text, and a stray
  // continuation byte.
  EXPECT_EQ(glyphevict::widen_argument("\xFF"), L"\xDCFF");
  EXPECT_EQ(glyphevict::widen_argument("a\xFE-\x80."), L"a\xDCFE-\xDC80.");
  // A sequence broken off by an ASCII byte, and one cut off at the end.
  EXPECT_EQ(glyphevict::widen_argument("\xC3(\xC3\xA9"), L"\xDCC3(\u00E9");
  EXPECT_EQ(glyphevict::widen_argument("font\xE2\x82"), L"font\xDCE2\xDC82");
  // Latin-1 text in a UTF-8 locale stays apart from its UTF-8 spelling.
  EXPECT_NE(glyphevict::widen_argument("caf\xE9"), glyphevict::widen_argument("caf\xC3\xA9"));
}

}  // namespace
