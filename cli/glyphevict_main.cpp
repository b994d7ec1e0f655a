#include "cli/glyphevict_main.h"

#include <iostream>

#include "font_table/font_table.h"

namespace glyphevict {

namespace {

// Fixed text: it never depends on the name the tool was started under.
constexpr const wchar_t* usage_lines[] = {
    L"Usage: Font_File",
    L"glyphevict.exe C:\\Windows\\Fonts\\Gothic.ttf",
};

}  // namespace

int glyphevict_main(int argc, wchar_t* argv[], wchar_t* /*envp*/[]) {
  if (argc < 2) {
    for (const wchar_t* line : usage_lines) {
      std::wcout << line << L'\n' << std::flush;
    }
    return 0;
  }
  // Whatever argv[1] holds (empty, "/?", wildcards) is the path; the rest is
  // ignored. The outcome of the removal is not reported.
  remove_font_resource(argv[1]);
  return 0;
}

}  // namespace glyphevict
