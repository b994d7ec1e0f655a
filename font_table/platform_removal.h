#pragma once

#include <cstdint>

namespace glyphevict {

// One removal attempt with the contract of GDI's RemoveFontResourceExW: true
// when the call removed one load of the font resource, false when it did not.
// It lives in its own translation unit so that tests can link a scripted
// stand-in in place of the platform.
bool platform_remove_font_resource(const wchar_t* font_file, std::uint32_t flags,
                                   void* design_vector);

}  // namespace glyphevict
