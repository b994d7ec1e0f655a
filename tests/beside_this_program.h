#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

// The path of `file_name` in the folder of the running test program: the build
// puts glyphevict.exe and the test data there.
inline std::wstring beside_this_program(const wchar_t* file_name) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + file_name;
}
