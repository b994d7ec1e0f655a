// A stand-in for a program that loaded a font with AddFontResource, as
// glyphevict's users meet them: it loads a font file into the session's font
// table and stays alive, holding its loads, until it is told to go on.
//   font_load_holder.exe FONT_FILE LOADS hold|show READY_EVENT ADVANCE_EVENT
// READY_EVENT and ADVANCE_EVENT are inherited auto-reset event handles, in
// decimal. The holder loads FONT_FILE LOADS times; with "show" it then also
// shows the test font as a viewer does: creates it, selects it into a device
// context and draws with it. It sets READY_EVENT and waits for ADVANCE_EVENT.
// With "show" it then releases the font and the device context, sets
// READY_EVENT again and waits for ADVANCE_EVENT once more. Then it ends with
// status 0, leaving its loads in the table.
// Other statuses: 2, a load failed; 3, bad usage; 4, showing or releasing
// the font failed; 5, no word came within ten minutes.
#include <windows.h>

#include <cwchar>

#include "probe_font.h"

namespace {

// Bounded, so that a holder whose test died does not linger for ever.
bool advance_told(HANDLE advance) { return WaitForSingleObject(advance, 10 * 60 * 1000) == 0; }

}  // namespace

int wmain(int argc, wchar_t* argv[]);

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 6 || (std::wcscmp(argv[3], L"hold") != 0 && std::wcscmp(argv[3], L"show") != 0)) {
    return 3;
  }
  const long loads = std::wcstol(argv[2], nullptr, 10);
  const bool show = std::wcscmp(argv[3], L"show") == 0;
  const auto ready = reinterpret_cast<HANDLE>(std::wcstoull(argv[4], nullptr, 10));
  const auto advance = reinterpret_cast<HANDLE>(std::wcstoull(argv[5], nullptr, 10));
  for (long load = 0; load < loads; ++load) {
    if (AddFontResourceExW(argv[1], 0, nullptr) == 0) {
      return 2;
    }
  }
  if (!show) {
    SetEvent(ready);
    return advance_told(advance) ? 0 : 5;
  }

  const probe_font_selection shown = select_probe_font(DEFAULT_CHARSET);
  // Drawing makes GDI realize the font from the file, as on a viewer's screen.
  if (shown.font == nullptr || shown.context == nullptr || shown.previous == nullptr ||
      shown.face != L"Glyphevict Probe" || !TextOutW(shown.context, 0, 0, L"A", 1)) {
    return 4;
  }
  SetEvent(ready);
  if (!advance_told(advance)) {
    return 5;
  }
  if (!release_probe_font(shown)) {
    return 4;
  }
  SetEvent(ready);
  return advance_told(advance) ? 0 : 5;
}
