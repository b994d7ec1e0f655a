#include "font_table/platform_removal.h"

#include <windows.h>

namespace glyphevict {

bool platform_remove_font_resource(const wchar_t* font_file, std::uint32_t flags,
                                   void* design_vector) {
  return RemoveFontResourceExW(font_file, flags, design_vector) != 0;
}

}  // namespace glyphevict
