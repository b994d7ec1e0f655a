#include "font_table/font_table.h"

#include <cstdint>

#include "font_table/platform_removal.h"

namespace glyphevict {

void remove_font_resource(const wchar_t* font_file) {
  // Each load of the file raises a reference count and each successful call
  // drops one; the first failure means no load of it is left.
  constexpr std::uint32_t no_flags = 0;
  while (platform_remove_font_resource(font_file, no_flags, nullptr)) {
  }
}

}  // namespace glyphevict
