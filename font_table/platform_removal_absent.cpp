#include "font_table/platform_removal.h"

namespace glyphevict {

// Without GDI there is no font table that could hold a load of the file, so
// every removal attempt reports that it removed nothing.
bool platform_remove_font_resource(const wchar_t* /*font_file*/, std::uint32_t /*flags*/,
                                   void* /*design_vector*/) {
  return false;
}

}  // namespace glyphevict
