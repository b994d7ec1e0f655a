#include "font_table/platform_removal.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace glyphevict {

bool platform_remove_font_resource(const wchar_t* font_file, std::uint32_t flags,
                                   void* design_vector) {
  return RemoveFontResourceExW(font_file, flags, design_vector) != 0;
}

}  // namespace glyphevict
