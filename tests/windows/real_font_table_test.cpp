// Runs the removal against the platform's own font table (Windows, or Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "beside_this_program.h"
#include "font_table/font_table.h"
#include "probe_font.h"

namespace {

TEST(RealFontTable, RemovesEveryLoadOfTheFile) {
  const std::wstring font_file = probe_font_file();
  const loads_removed_at_exit cleanup{font_file};
  remove_leftover_test_font_loads();
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

// One table of the font selected into `context`, as the file holds it.
std::vector<unsigned char> font_table_bytes(HDC context, const char (&tag)[5]) {
  DWORD name = 0;  // GetFontData takes the tag's first letter in the lowest byte
  for (int at = 3; at >= 0; --at) {
    name = name << 8 | static_cast<unsigned char>(tag[at]);
  }
  const DWORD size = GetFontData(context, name, 0, nullptr, 0);
  if (size == GDI_ERROR) {
    return {};
  }
  std::vector<unsigned char> table(size);
  GetFontData(context, name, 0, table.data(), size);
  return table;
}

// The big-endian number of `bytes` bytes at `at`; 0 past the end.
std::uint64_t number_at(const std::vector<unsigned char>& table, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int index = 0; index < bytes; ++index) {
    const std::size_t position = at + static_cast<std::size_t>(index);
    value = value << 8 | (position < table.size() ? table[position] : 0u);
  }
  return value;
}

// The test font has what Windows reads of a shipping font, so that Windows
// loads it as it would a real one: the Windows names 1 to 6 in US English,
// a (3, 1) cmap, Latin 1 and Basic Latin, the regular style.
TEST(RealFontTable, TestFontIsAsCompleteAsAShippingFont) {
  const std::wstring font_file = probe_font_file();
  const loads_removed_at_exit cleanup{font_file};
  ASSERT_GT(AddFontResourceExW(font_file.c_str(), 0, nullptr), 0);
  const probe_font_selection latin_1 = select_probe_font(ANSI_CHARSET);
  const HDC context = latin_1.context;
  EXPECT_EQ(latin_1.face, L"Glyphevict Probe") << "another font was chosen in its place";
  FONTSIGNATURE signature = {};
  EXPECT_EQ(GetTextCharsetInfo(context, &signature, 0), ANSI_CHARSET);
  EXPECT_EQ(signature.fsCsb[0] & 1u, 1u) << "no Latin 1 code page";
  EXPECT_EQ(signature.fsUsb[0] & 1u, 1u) << "no Basic Latin range";

  const std::vector<unsigned char> names = font_table_bytes(context, "name");
  std::vector<std::uint64_t> windows_names;
  for (std::uint64_t record = 0; record < number_at(names, 2, 2); ++record) {
    const std::size_t at = 6 + 12 * record;  // platform, encoding, language, name ID
    if (number_at(names, at, 6) == 0x0003'0001'0409u) {
      windows_names.push_back(number_at(names, at + 6, 2));
    }
  }
  EXPECT_EQ(windows_names, (std::vector<std::uint64_t>{1, 2, 3, 4, 5, 6}));
  const std::vector<unsigned char> character_map = font_table_bytes(context, "cmap");
  bool windows_unicode_map = false;
  for (std::uint64_t record = 0; record < number_at(character_map, 2, 2); ++record) {
    windows_unicode_map |= number_at(character_map, 4 + 8 * record, 4) == 0x00030001u;
  }
  EXPECT_TRUE(windows_unicode_map) << "no (3, 1) cmap";
  const std::vector<unsigned char> os2 = font_table_bytes(context, "OS/2");
  EXPECT_NE(number_at(os2, 62, 2) & (1u << 6), 0u) << "fsSelection lacks REGULAR";

  EXPECT_TRUE(release_probe_font(latin_1));
}

}  // namespace
