// glyphevict.exe run as a user runs it, against loads that another process
// holds: the case the tool exists for. A helper process loads a copy of the
// test font and stays alive; glyphevict.exe must free the file all the same.
// Needs real Windows: Wine keeps a font table per process, so there the test
// reports itself skipped.
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "beside_this_program.h"
#include "probe_font.h"

namespace {

bool running_under_wine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring in_quotes(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// Starts `command_line` inside `job` with every inheritable handle; the
// process is returned running.
HANDLE start_process(const std::wstring& program, std::wstring command_line, HANDLE job,
                     STARTUPINFOW startup) {
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    return nullptr;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  return process.hProcess;
}

class EndToEnd : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (running_under_wine()) {
      GTEST_SKIP() << "Wine keeps a font table per process: another process's loads cannot be "
                      "seen or removed here. This test needs real Windows.";
    }
    ASSERT_FALSE(probe_family_is_enumerated()) << "the test font is loaded already";
    // Helpers die with the job, also when this test program does.
    job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ASSERT_TRUE(
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));

    // A copy of its own, in a folder whose name needs quoting on a command line.
    work_dir = std::filesystem::temp_directory_path() /
               (L"glyphevict end-to-end " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetParam()));
    std::filesystem::remove_all(work_dir);
    std::filesystem::create_directories(work_dir);
    font_file = (work_dir / L"probe copy.ttf").wstring();
    ASSERT_TRUE(CopyFileW(probe_font_file().c_str(), font_file.c_str(), TRUE));
  }

  void TearDown() override {
    if (helper != nullptr) {
      TerminateProcess(helper, 1);
      WaitForSingleObject(helper, 10'000);
      CloseHandle(helper);
    }
    if (job != nullptr) {
      CloseHandle(job);
    }
    if (!font_file.empty()) {
      // Loads outlive the process that made them: take out any that are left.
      for (int attempt = 0; attempt < 64; ++attempt) {
        if (!RemoveFontResourceExW(font_file.c_str(), 0, nullptr)) {
          break;
        }
      }
      std::error_code ignored;
      std::filesystem::remove_all(work_dir, ignored);
    }
  }

  // Starts the helper, which loads the copy `loads` times and then waits.
  void start_helper(int loads) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE ready = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    ASSERT_NE(ready, nullptr);
    const std::wstring program = beside_this_program(L"font_load_holder.exe");
    helper = start_process(program,
                           in_quotes(program) + L" " + in_quotes(font_file) + L" " +
                               std::to_wstring(loads) + L" " +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(ready)),
                           job, {});
    ASSERT_NE(helper, nullptr) << "the helper did not start; error " << GetLastError();
    const HANDLE ready_or_ended[] = {ready, helper};
    const DWORD waited = WaitForMultipleObjects(2, ready_or_ended, FALSE, 30'000);
    CloseHandle(ready);
    DWORD status = 0;
    GetExitCodeProcess(helper, &status);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the helper did not load the font; status " << status;
  }

  // Runs glyphevict.exe with `argument`, its output in files; returns its
  // exit status, and the sizes of what it wrote.
  DWORD run_glyphevict(const std::wstring& argument, std::uintmax_t& output_bytes,
                       std::uintmax_t& error_bytes) {
    const std::filesystem::path output_path = work_dir / L"stdout.txt";
    const std::filesystem::path error_path = work_dir / L"stderr.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    STARTUPINFOW startup = {};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileW(output_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                     &inheritable, CREATE_ALWAYS, 0, nullptr);
    startup.hStdError = CreateFileW(error_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    &inheritable, CREATE_ALWAYS, 0, nullptr);
    const std::wstring program = beside_this_program(L"glyphevict.exe");
    HANDLE process =
        start_process(program, in_quotes(program) + L" " + in_quotes(argument), job, startup);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    DWORD status = STILL_ACTIVE;
    if (process != nullptr && WaitForSingleObject(process, 60'000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process, &status);
    }
    if (process != nullptr) {
      CloseHandle(process);
    }
    output_bytes = std::filesystem::file_size(output_path);
    error_bytes = std::filesystem::file_size(error_path);
    return status;
  }

  HANDLE job = nullptr;
  HANDLE helper = nullptr;
  std::filesystem::path work_dir;
  std::wstring font_file;
};

TEST_P(EndToEnd, FreesTheFileThatAnotherProcessHoldsLoaded) {
  const int loads = GetParam();
  ASSERT_NO_FATAL_FAILURE(start_helper(loads));
  ASSERT_TRUE(probe_family_is_enumerated()) << "the helper's loads are not seen from here";

  std::uintmax_t output_bytes = 0;
  std::uintmax_t error_bytes = 0;
  EXPECT_EQ(run_glyphevict(font_file, output_bytes, error_bytes), 0u);
  EXPECT_EQ(output_bytes, 0u);
  EXPECT_EQ(error_bytes, 0u);

  // Checked from outside the helper, which is still running.
  EXPECT_FALSE(probe_family_is_enumerated());
  EXPECT_EQ(RemoveFontResourceExW(font_file.c_str(), 0, nullptr), 0) << "a load was left";
  const std::wstring renamed = (work_dir / L"probe renamed.ttf").wstring();
  ASSERT_TRUE(MoveFileExW(font_file.c_str(), renamed.c_str(), 0))
      << "the file is still in use; error " << GetLastError();
  EXPECT_TRUE(DeleteFileW(renamed.c_str())) << "error " << GetLastError();
}

INSTANTIATE_TEST_SUITE_P(Loads, EndToEnd, testing::Values(1, 3));

}  // namespace
