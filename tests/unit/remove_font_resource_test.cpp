#include <gtest/gtest.h>

#include "font_table/font_table.h"
#include "scripted_platform_removal.h"

namespace {

using glyphevict_test::recorded_removal_calls;
using glyphevict_test::script_removals;

// Every call of a run must pass the caller's very string, flags 0 and no
// design vector.
void expect_calls_with_only(const wchar_t* font_file) {
  for (const auto& call : recorded_removal_calls()) {
    EXPECT_EQ(call.font_file, font_file);
    EXPECT_EQ(call.font_file_text, font_file);
    EXPECT_EQ(call.flags, 0u);
    EXPECT_EQ(call.design_vector, nullptr);
  }
}

TEST(RemoveFontResource, RepeatsTheCallUntilTheFirstFailure) {
  const wchar_t* font_file = L"C:\\Fonts\\Probe.ttf";
  for (int successes : {0, 1, 2, 7}) {
    SCOPED_TRACE(successes);
    script_removals(successes);
    glyphevict::remove_font_resource(font_file);
    EXPECT_EQ(recorded_removal_calls().size(), static_cast<std::size_t>(successes) + 1);
    expect_calls_with_only(font_file);
  }
}

TEST(RemoveFontResource, EmptyPathReachesThePlatformAsItIs) {
  const wchar_t* font_file = L"";
  for (int successes : {0, 1}) {
    SCOPED_TRACE(successes);
    script_removals(successes);
    glyphevict::remove_font_resource(font_file);
    EXPECT_EQ(recorded_removal_calls().size(), static_cast<std::size_t>(successes) + 1);
    expect_calls_with_only(font_file);
  }
}

}  // namespace
