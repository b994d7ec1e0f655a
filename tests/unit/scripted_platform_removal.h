#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glyphevict_test {

// What one call of the platform removal received.
struct removal_call {
  const wchar_t* font_file;  // the pointer itself, to see the path was not copied
  std::wstring font_file_text;
  std::uint32_t flags;
  void* design_vector;
};

// Scripts the stand-in for the platform removal call: the next `successes`
// calls report that they removed a load, the one after reports failure, and
// any further call fails the test (the loop must stop at the first failure).
// Forgets the calls recorded so far.
void script_removals(int successes);

const std::vector<removal_call>& recorded_removal_calls();

}  // namespace glyphevict_test
