// Runs the removal against the platform's own font table (Windows, or Wine).
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "beside_this_program.h"
#include "font_table/font_table.h"
#include "probe_font.h"

namespace {

TEST(RealFontTable, RemovesEveryLoadOfTheFile) {
  const std::wstring font_file = probe_font_file();
  ASSERT_FALSE(probe_family_is_enumerated());
  for (int loads : {1, 2, 4}) {
    SCOPED_TRACE(loads);
    for (int load = 0; load < loads; ++load) {
      ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
    }
    ASSERT_TRUE(probe_family_is_enumerated());
    if (loads > 1) {
      // The table counts loads: one removal leaves the font in place.
      ASSERT_NE(RemoveFontResourceExW(font_file.c_str(), 0, nullptr), 0);
      ASSERT_TRUE(probe_family_is_enumerated());
    }

    glyphevict::remove_font_resource(font_file.c_str());

    EXPECT_FALSE(probe_family_is_enumerated());
    EXPECT_EQ(RemoveFontResourceExW(font_file.c_str(), 0, nullptr), 0) << "a load was left";
  }
}

TEST(RealFontTable, ReturnsWhenNothingIsLoaded) {
  const std::wstring font_file = probe_font_file();
  glyphevict::remove_font_resource(font_file.c_str());
  glyphevict::remove_font_resource(beside_this_program(L"no-such-font.ttf").c_str());
  glyphevict::remove_font_resource(L"");
  EXPECT_FALSE(probe_family_is_enumerated());
  // The file itself is untouched and can be loaded again.
  ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
  EXPECT_TRUE(probe_family_is_enumerated());
  glyphevict::remove_font_resource(font_file.c_str());
  EXPECT_FALSE(probe_family_is_enumerated());
}

}  // namespace
