// Linked into the unit tests in place of the real platform call.
#include "scripted_platform_removal.h"

#include <stdexcept>

#include "font_table/platform_removal.h"

namespace glyphevict_test {

namespace {

std::vector<removal_call> calls;
std::size_t scripted_successes = 0;

}  // namespace

void script_removals(int successes) {
  calls.clear();
  scripted_successes = static_cast<std::size_t>(successes);
}

const std::vector<removal_call>& recorded_removal_calls() { return calls; }

}  // namespace glyphevict_test

namespace glyphevict {

bool platform_remove_font_resource(const wchar_t* font_file, std::uint32_t flags,
                                   void* design_vector) {
  using namespace glyphevict_test;
  if (calls.size() > scripted_successes) {
    throw std::logic_error("removal called again after it had reported failure");
  }
  calls.push_back({font_file, font_file, flags, design_vector});
  return calls.size() <= scripted_successes;
}

}  // namespace glyphevict
