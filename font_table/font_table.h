#pragma once

namespace glyphevict {

// Takes every load of the font resource file `font_file` out of this session's
// font table: asks the platform to remove it again and again, with flags 0 and
// no design vector, until a removal fails. The path is passed on unchanged.
void remove_font_resource(const wchar_t* font_file);

}  // namespace glyphevict
