// A stand-in for the programs glyphevict exists for (a font viewer, an
// installer): it loads a font file into the session's font table and stays
// alive, holding its loads, until it is ended.
//   font_load_holder.exe FONT_FILE LOADS READY_EVENT_HANDLE
// READY_EVENT_HANDLE is an inherited event handle, in decimal, that is set
// once every load has been made. Exit status 2: a load failed; 3: bad usage.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t* argv[]);

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 4) {
    return 3;
  }
  const long loads = std::wcstol(argv[2], nullptr, 10);
  const auto ready = reinterpret_cast<HANDLE>(std::wcstoull(argv[3], nullptr, 10));
  for (long load = 0; load < loads; ++load) {
    if (AddFontResourceExW(argv[1], 0, nullptr) == 0) {
      return 2;
    }
  }
  SetEvent(ready);
  // Bounded, so that a helper whose test died does not linger for ever.
  Sleep(10 * 60 * 1000);
  return 0;
}
