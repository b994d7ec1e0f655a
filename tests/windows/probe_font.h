#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

#include "beside_this_program.h"

// The test font, copied beside the test programs by the build.
inline std::wstring probe_font_file() { return beside_this_program(L"glyphevict-probe.ttf"); }

// The test font's family, a name that no installed font has, in `character_set`.
inline LOGFONTW probe_font_description(BYTE character_set) {
  constexpr wchar_t family[] = L"Glyphevict Probe";
  static_assert(sizeof family / sizeof *family <= LF_FACESIZE);
  LOGFONTW description = {};
  description.lfHeight = -32;
  description.lfCharSet = character_set;
  std::wmemcpy(description.lfFaceName, family, sizeof family / sizeof *family);
  return description;
}

// The test font created and selected into a memory device context of its
// own, as a program that shows the font holds it.
struct probe_font_selection {
  HFONT font;
  HDC context;
  HGDIOBJ previous;
  std::wstring face;  // the face GDI chose, which names another font when it substituted one
};

inline probe_font_selection select_probe_font(BYTE character_set) {
  const LOGFONTW description = probe_font_description(character_set);
  probe_font_selection selection{CreateFontIndirectW(&description), CreateCompatibleDC(nullptr),
                                 nullptr, std::wstring(LF_FACESIZE, L'\0')};
  selection.previous = SelectObject(selection.context, selection.font);
  GetTextFaceW(selection.context, LF_FACESIZE, selection.face.data());
  selection.face.resize(std::wcslen(selection.face.c_str()));
  return selection;
}

// Puts back what the device context held and deletes it and the font;
// whether every step succeeded.
inline bool release_probe_font(const probe_font_selection& selection) {
  return SelectObject(selection.context, selection.previous) == selection.font &&
         DeleteDC(selection.context) && DeleteObject(selection.font);
}

// Whether the session's font table lists the test font's family.
inline bool probe_family_is_enumerated() {
  HDC context = CreateCompatibleDC(nullptr);
  LOGFONTW wanted = probe_font_description(DEFAULT_CHARSET);
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

// Takes out every load of `font_file` that is left in the session's font
// table, within a bound: a load outlives the process that made it, and keeps
// the file in use.
inline void remove_loads_left(const std::wstring& font_file) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    if (!RemoveFontResourceExW(font_file.c_str(), 0, nullptr)) {
      return;
    }
  }
}

// Removes the loads of its file however the scope is left, a failed
// assertion included, so that no later test finds the font loaded already.
struct loads_removed_at_exit {
  std::wstring font_file;
  ~loads_removed_at_exit() { remove_loads_left(font_file); }
};
