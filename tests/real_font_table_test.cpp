// Runs the removal against the platform's own font table (Windows, or Wine).
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>
#include <string>

#include "beside_this_program.h"
#include "font_table/font_table.h"

namespace {

// The test font's family, a name that no installed font has.
const wchar_t probe_family[] = L"Glyphevict Probe";

bool family_is_enumerated(const wchar_t* family) {
  HDC context = CreateCompatibleDC(nullptr);
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(wanted.lfFaceName, family, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(
      context, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found_flag) -> int {
        *reinterpret_cast<bool*>(found_flag) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  DeleteDC(context);
  return found;
}

TEST(RealFontTable, RemovesEveryLoadOfTheFile) {
  const std::wstring font_file = beside_this_program(L"glyphevict-probe.ttf");
  ASSERT_FALSE(family_is_enumerated(probe_family));
  for (int loads : {1, 2, 4}) {
    SCOPED_TRACE(loads);
    for (int load = 0; load < loads; ++load) {
      ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
    }
    ASSERT_TRUE(family_is_enumerated(probe_family));
    if (loads > 1) {
      // The table counts loads: one removal leaves the font in place.
      ASSERT_NE(RemoveFontResourceExW(font_file.c_str(), 0, nullptr), 0);
      ASSERT_TRUE(family_is_enumerated(probe_family));
    }

    glyphevict::remove_font_resource(font_file.c_str());

    EXPECT_FALSE(family_is_enumerated(probe_family));
    EXPECT_EQ(RemoveFontResourceExW(font_file.c_str(), 0, nullptr), 0) << "a load was left";
  }
}

TEST(RealFontTable, ReturnsWhenNothingIsLoaded) {
  const std::wstring font_file = beside_this_program(L"glyphevict-probe.ttf");
  glyphevict::remove_font_resource(font_file.c_str());
  glyphevict::remove_font_resource(beside_this_program(L"no-such-font.ttf").c_str());
  glyphevict::remove_font_resource(L"");
  EXPECT_FALSE(family_is_enumerated(probe_family));
  // The file itself is untouched and can be loaded again.
  ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
  EXPECT_TRUE(family_is_enumerated(probe_family));
  glyphevict::remove_font_resource(font_file.c_str());
  EXPECT_FALSE(family_is_enumerated(probe_family));
}

}  // namespace
