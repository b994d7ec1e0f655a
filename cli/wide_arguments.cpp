#include "cli/wide_arguments.h"

#include <cstring>
#include <cwchar>

namespace glyphevict {

namespace {

constexpr wchar_t escaped_byte_base = 0xDC00;

}  // namespace

std::wstring widen_argument(const char* argument) {
  std::wstring wide;
  std::mbstate_t state{};
  const char* next = argument;
  std::size_t bytes_left = std::strlen(argument);
  while (bytes_left > 0) {
    wchar_t character = 0;
    const std::size_t used = std::mbrtowc(&character, next, bytes_left, &state);
    if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
      // Escape the first byte and start afresh at the next one.
      wide.push_back(static_cast<wchar_t>(escaped_byte_base + static_cast<unsigned char>(*next)));
      state = std::mbstate_t{};
      ++next;
      --bytes_left;
      continue;
    }
    if (used == 0) {
      break;  // a null character; strlen has already stopped before any
    }
    wide.push_back(character);
    next += used;
    bytes_left -= used;
  }
  return wide;
}

}  // namespace glyphevict
