#pragma once

#include <string>

namespace glyphevict {

// Decodes a command-line argument from the multibyte encoding of the current
// LC_CTYPE locale. A byte that does not begin a valid character there (an
// invalid or a cut-off sequence) becomes the lone code point U+DC00 + byte, as
// in Python's "surrogateescape": nothing is dropped or cut short, and
// different byte strings stay different.
std::wstring widen_argument(const char* argument);

}  // namespace glyphevict
