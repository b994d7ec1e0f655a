// Runs the removal against the platform's own font table (Windows, or Wine).
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "beside_this_program.h"
#include "font_table/font_table.h"
#include "probe_font.h"

namespace {

TEST(RealFontTable, RemovesEveryLoadOfTheFile) {
  const std::wstring font_file = probe_font_file();
  const loads_removed_at_exit cleanup{font_file};
  ASSERT_FALSE(probe_family_is_enumerated()) << "the test font is loaded already";
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
  const loads_removed_at_exit cleanup{font_file};
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

// The test font has what Windows reads of a shipping font, so that Windows
// loads it as it would a real one: names 1 to 4, Latin 1 and Basic Latin,
// the regular style.
TEST(RealFontTable, TestFontIsAsCompleteAsAShippingFont) {
  const std::wstring font_file = probe_font_file();
  const loads_removed_at_exit cleanup{font_file};
  ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
  const LOGFONTW latin_1 = probe_font_description(ANSI_CHARSET);
  HFONT font = CreateFontIndirectW(&latin_1);
  HDC context = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(context, font);

  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(context, LF_FACESIZE, face);
  EXPECT_STREQ(face, L"Glyphevict Probe") << "another font was chosen in its place";
  FONTSIGNATURE signature = {};
  EXPECT_EQ(GetTextCharsetInfo(context, &signature, 0), ANSI_CHARSET);
  EXPECT_EQ(signature.fsCsb[0] & 1u, 1u) << "no Latin 1 code page";
  EXPECT_EQ(signature.fsUsb[0] & 1u, 1u) << "no Basic Latin range";

  std::vector<char> buffer(GetOutlineTextMetricsW(context, 0, nullptr));
  ASSERT_GE(buffer.size(), sizeof(OUTLINETEXTMETRICW));
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
  ASSERT_NE(GetOutlineTextMetricsW(context, static_cast<UINT>(buffer.size()), metrics), 0u);
  const auto name = [&](PSTR offset) {
    return std::wstring(
        reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<std::uintptr_t>(offset)));
  };
  EXPECT_EQ(name(metrics->otmpFamilyName), L"Glyphevict Probe");
  EXPECT_EQ(name(metrics->otmpStyleName), L"Regular");
  EXPECT_EQ(name(metrics->otmpFaceName), L"Glyphevict Probe Regular");            // name 4
  EXPECT_EQ(name(metrics->otmpFullName), L"1.000;NONE;GlyphevictProbe-Regular");  // name 3
  EXPECT_NE(metrics->otmfsSelection & (1u << 6), 0u) << "not marked regular";

  SelectObject(context, previous);
  DeleteDC(context);
  DeleteObject(font);
}

}  // namespace
