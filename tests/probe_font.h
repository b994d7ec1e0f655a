#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>
#include <string>

#include "beside_this_program.h"

// The test font, copied beside the test programs by the build.
inline std::wstring probe_font_file() { return beside_this_program(L"glyphevict-probe.ttf"); }

// Whether the session's font table lists the test font's family, a name that
// no installed font has.
inline bool probe_family_is_enumerated() {
  HDC context = CreateCompatibleDC(nullptr);
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(wanted.lfFaceName, L"Glyphevict Probe", LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(
      context, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found_flag) -> int {
        *reinterpret_cast<bool*>(found_flag) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  DeleteDC(context);
  return found;
}
