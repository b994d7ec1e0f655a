// Entry for platforms whose command line arrives as multibyte strings.
#include <clocale>
#include <string>
#include <vector>

#include "cli/glyphevict_main.h"
#include "cli/wide_arguments.h"

int main(int argc, char* argv[]) {
  // Decode the arguments in the encoding of the user's locale.
  std::setlocale(LC_CTYPE, "");
  std::vector<std::wstring> arguments;
  for (int index = 0; index < argc; ++index) {
    arguments.push_back(glyphevict::widen_argument(argv[index]));
  }
  std::vector<wchar_t*> wide_argv;
  for (std::wstring& argument : arguments) {
    wide_argv.push_back(argument.data());
  }
  wide_argv.push_back(nullptr);
  wchar_t* no_environment[] = {nullptr};  // never read
  return glyphevict::glyphevict_main(argc, wide_argv.data(), no_environment);
}
