#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// The path of `file_name` in the folder of the running test program: the build
// puts glyphevict.exe and the test data there.
inline std::wstring beside_this_program(const wchar_t* file_name) {
  std::wstring path(32768, L'\0');  // the longest path Windows has
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) {
    // A path cut short would name another folder; stop rather than test there.
    std::fprintf(stderr, "GetModuleFileNameW failed or cut the path short (error %lu)\n",
                 GetLastError());
    std::abort();
  }
  path.resize(length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + file_name;
}
