// Stands in for the platform's removal behind glyphevict.exe's own entry, so
// that a check sees the path as the start-up code hands it on: it writes the
// path on a line of its own and reports that nothing was removed.
#include <iostream>

#include "font_table/platform_removal.h"

namespace glyphevict {

bool platform_remove_font_resource(const wchar_t* font_file, std::uint32_t /*flags*/,
                                   void* /*design_vector*/) {
  std::wcout << font_file << L"\n" << std::flush;
  return false;
}

}  // namespace glyphevict
