#pragma once

#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

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
// the file in use. Returns how many it took out.
inline int remove_loads_left(const std::wstring& font_file) {
  int removed = 0;
  while (removed < 64 && RemoveFontResourceExW(font_file.c_str(), 0, nullptr)) {
    ++removed;
  }
  return removed;
}

// The folder of an end-to-end case, where it loads a copy of the test font.
inline std::filesystem::path end_to_end_folder(const std::wstring& case_name) {
  return std::filesystem::temp_directory_path() / (L"glyphevict end-to-end " + case_name);
}

// Before a test checks that the test font is not loaded: takes out what an
// earlier run that crashed or was killed left loaded, of the test font and of
// every end-to-end case's copy, and says so.
inline void remove_leftover_test_font_loads() {
  const std::wstring prefix = end_to_end_folder(L"").filename().wstring();
  std::vector<std::filesystem::path> folders;
  std::error_code failed;
  for (std::filesystem::directory_iterator entry(std::filesystem::temp_directory_path(), failed);
       !failed && entry != std::filesystem::directory_iterator(); entry.increment(failed)) {
    if (entry->path().filename().wstring().rfind(prefix, 0) == 0) {
      folders.push_back(entry->path());
    }
  }
  if (const int removed = remove_loads_left(probe_font_file()); removed > 0) {
    std::cout << "[   INFO   ] took out " << removed << " loads of the test font left by an "
              << "earlier run\n";
  }
  for (const auto& folder : folders) {
    if (const int removed = remove_loads_left((folder / L"probe copy.ttf").wstring());
        removed > 0) {
      std::cout << "[   INFO   ] took out " << removed << " loads of the copy in \""
                << folder.filename().u8string() << "\" left by an earlier run\n";
    }
  }
}

// Removes the loads of its file however the scope is left, a failed
// assertion included, so that no later test finds the font loaded already.
struct loads_removed_at_exit {
  std::wstring font_file;
  ~loads_removed_at_exit() { remove_loads_left(font_file); }
};
