// Stands in for a test program in the check of run-windows-tests.cmd. Copied
// under a test program's name, it runs one test that passes and prints
// GoogleTest's summary, unless one of these variables names it:
// GLYPHEVICT_STAND_IN_CRASHES (it then ends as an access violation would,
// 0xC0000005), GLYPHEVICT_STAND_IN_FAILS (its test fails; it ends with 1),
// GLYPHEVICT_STAND_IN_SKIPS (it also reports a test skipped; it ends with 0),
// GLYPHEVICT_STAND_IN_SILENT (it prints nothing and ends with 0), or
// GLYPHEVICT_STAND_IN_RUNS_NONE, or GTEST_FILTER is set (it reports no test
// run, as GoogleTest does when a filter matches no test, and ends with 0).
// With GTEST_REPEAT set it prints nothing and ends with 0, as GoogleTest does
// when told to repeat its tests zero times. With GTEST_COLOR set its summary
// is coloured as a MinGW build of GoogleTest colours it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool environment_names(const wchar_t* variable, const std::wstring& program) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH);
  return length > 0 && length < MAX_PATH && program == value;
}

void print_summary(int tests_ran, int tests_passed) {
  const bool coloured = GetEnvironmentVariableW(L"GTEST_COLOR", nullptr, 0) > 0;
  const char* green = coloured ? "\x1b[0;32m" : "";
  const char* plain = coloured ? "\x1b[m" : "";
  const char* plural = tests_ran == 1 ? "" : "s";  // one test suite for each test
  std::printf("%s[==========] %s%d test%s from %d test suite%s ran. (0 ms total)\n", green, plain,
              tests_ran, plural, tests_ran, plural);
  std::printf("%s[  PASSED  ] %s%d test%s.\n", green, plain, tests_passed,
              tests_passed == 1 ? "" : "s");
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
    print_summary(1, 1);
    std::fflush(stdout);
    ExitProcess(0xC0000005);
  }
  if (environment_names(L"GLYPHEVICT_STAND_IN_FAILS", program)) {
    print_summary(1, 0);
    return 1;
  }
  if (environment_names(L"GLYPHEVICT_STAND_IN_SKIPS", program)) {
    std::puts("[  SKIPPED ] StandIn.Case (0 ms)");
  } else if (environment_names(L"GLYPHEVICT_STAND_IN_SILENT", program) ||
             GetEnvironmentVariableW(L"GTEST_REPEAT", nullptr, 0) > 0) {
    return 0;
  } else if (environment_names(L"GLYPHEVICT_STAND_IN_RUNS_NONE", program) ||
             GetEnvironmentVariableW(L"GTEST_FILTER", nullptr, 0) > 0) {
    print_summary(0, 0);
    return 0;
  }
  print_summary(1, 1);
  return 0;
}
