// Stands in for a test program in the check of run-windows-tests.cmd. Copied
// under a test program's name, it passes, unless GLYPHEVICT_STAND_IN_CRASHES
// names it (it then ends as an access violation would, 0xC0000005),
// GLYPHEVICT_STAND_IN_SKIPS does (it then reports a test skipped, as a
// GoogleTest program does, and ends with 0), or GLYPHEVICT_STAND_IN_RUNS_NONE
// does or GTEST_FILTER is set (it then reports no test run, as a GoogleTest
// program whose filter matches none of its tests does, and ends with 0). With
// GTEST_REPEAT set it prints nothing and ends with 0, as GoogleTest does when
// told to repeat its tests zero times. With GTEST_COLOR set its summary is
// coloured as a MinGW build of GoogleTest colours it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool environment_names(const wchar_t* variable, const std::wstring& program) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH);
  return length > 0 && length < MAX_PATH && program == value;
}

void print_summary(const char* tests_passed) {
  const bool coloured = GetEnvironmentVariableW(L"GTEST_COLOR", nullptr, 0) > 0;
  std::printf(coloured ? "\x1b[0;32m[  PASSED  ] \x1b[m%s.\n" : "[  PASSED  ] %s.\n", tests_passed);
}

}  // namespace

int wmain();

int wmain() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program(path, length);
  program.erase(0, program.find_last_of(L"\\/") + 1);
  const std::size_t extension = program.find_last_of(L'.');
  if (extension != std::wstring::npos) {
    program.resize(extension);
  }

  if (environment_names(L"GLYPHEVICT_STAND_IN_CRASHES", program)) {
    std::fflush(stdout);
    ExitProcess(0xC0000005);
  }
  if (environment_names(L"GLYPHEVICT_STAND_IN_SKIPS", program)) {
    std::puts("[  SKIPPED ] StandIn.Case (0 ms)");
    return 0;
  }
  if (GetEnvironmentVariableW(L"GTEST_REPEAT", nullptr, 0) > 0) {
    return 0;
  }
  if (environment_names(L"GLYPHEVICT_STAND_IN_RUNS_NONE", program) ||
      GetEnvironmentVariableW(L"GTEST_FILTER", nullptr, 0) > 0) {
    print_summary("0 tests");
    return 0;
  }
  print_summary("1 test");
  return 0;
}
