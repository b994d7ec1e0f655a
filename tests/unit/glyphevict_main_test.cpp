#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/glyphevict_main.h"
#include "scripted_platform_removal.h"
#include "usage_text.h"

namespace {

using glyphevict_test::recorded_removal_calls;
using glyphevict_test::script_removals;

// The usage text as it stands after each of its lines.
std::vector<std::wstring> usage_text_after_each_line() {
  const std::wstring text = usage_text;
  std::vector<std::wstring> after_lines;
  for (std::size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', end + 1)) {
    after_lines.push_back(text.substr(0, end + 1));
  }
  return after_lines;
}

// Keeps what is written and what had been written at each flush.
class flush_recording_buffer : public std::wstreambuf {
 public:
  std::wstring text;
  std::vector<std::wstring> text_at_flushes;

 protected:
  int_type overflow(int_type character) override {
    if (!traits_type::eq_int_type(character, traits_type::eof())) {
      text.push_back(traits_type::to_char_type(character));
    }
    return traits_type::not_eof(character);
  }
  std::streamsize xsputn(const char_type* characters, std::streamsize count) override {
    text.append(characters, static_cast<std::size_t>(count));
    return count;
  }
  int sync() override {
    text_at_flushes.push_back(text);
    return 0;
  }
};

// Runs the entry with the given arguments while its output streams are
// captured. The strings stay alive in `arguments` for checks on pointers.
class Entry : public testing::Test {
 protected:
  void SetUp() override {
    old_wcout = std::wcout.rdbuf(&wcout_capture);
    old_wcerr = std::wcerr.rdbuf(&wcerr_capture);
  }
  void TearDown() override {
    std::wcout.rdbuf(old_wcout);
    std::wcerr.rdbuf(old_wcerr);
  }

  int run(std::vector<std::wstring> command_line) {
    wcout_capture.text.clear();
    wcout_capture.text_at_flushes.clear();
    wcerr_capture.str(L"");
    arguments = std::move(command_line);
    argv.clear();
    for (std::wstring& argument : arguments) {
      argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    wchar_t* envp[] = {nullptr};
    return glyphevict::glyphevict_main(static_cast<int>(arguments.size()), argv.data(), envp);
  }

  flush_recording_buffer wcout_capture;
  std::wstringbuf wcerr_capture;
  std::vector<std::wstring> arguments;
  std::vector<wchar_t*> argv;

 private:
  std::wstreambuf* old_wcout = nullptr;
  std::wstreambuf* old_wcerr = nullptr;
};

TEST_F(Entry, WithoutArgumentPrintsTheUsageTextLineByLine) {
  // The text is fixed, whatever name the tool was started under.
  const std::vector<std::wstring> command_lines[] = {
      {L"glyphevict.exe"}, {L"C:\\Tools\\renamed.exe"}, {L""}, {}};
  for (const std::vector<std::wstring>& command_line : command_lines) {
    SCOPED_TRACE(testing::Message() << "command line #" << (&command_line - command_lines));
    script_removals(0);
    EXPECT_EQ(run(command_line), 0);
    EXPECT_EQ(wcout_capture.text, usage_text);
    // Each line goes out with its own flush.
    EXPECT_EQ(wcout_capture.text_at_flushes, usage_text_after_each_line());
    EXPECT_EQ(wcerr_capture.str(), L"");
    EXPECT_TRUE(recorded_removal_calls().empty());
  }
}

TEST_F(Entry, AnyFirstArgumentIsThePathAndNothingIsPrinted) {
  const std::wstring paths[] = {
      L"C:\\Windows\\Fonts\\Gothic.ttf", L"", L"/?", L"-h", L"C:\\Fonts\\*.t?f",
      L"D:\\Font Files\\caf\u00e9.otf"};
  for (const std::wstring& path : paths) {
    for (int successes : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "path #" << (&path - paths) << ", " << successes);
      script_removals(successes);
      EXPECT_EQ(run({L"glyphevict.exe", path}), 0);
      EXPECT_EQ(wcout_capture.text, L"");
      EXPECT_EQ(wcerr_capture.str(), L"");
      ASSERT_EQ(recorded_removal_calls().size(), static_cast<std::size_t>(successes) + 1);
      for (const auto& call : recorded_removal_calls()) {
        EXPECT_EQ(call.font_file, argv[1]);  // the argument itself, not a copy
        EXPECT_EQ(call.font_file_text, path);
      }
    }
  }
}

TEST_F(Entry, FurtherArgumentsAreIgnored) {
  script_removals(1);
  EXPECT_EQ(run({L"glyphevict.exe", L"first.ttf", L"second.ttf", L"/?"}), 0);
  EXPECT_EQ(wcout_capture.text, L"");
  EXPECT_EQ(wcerr_capture.str(), L"");
  ASSERT_EQ(recorded_removal_calls().size(), 2u);
  for (const auto& call : recorded_removal_calls()) {
    EXPECT_EQ(call.font_file_text, L"first.ttf");
  }
}

}  // namespace
