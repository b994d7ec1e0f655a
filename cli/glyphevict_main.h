#pragma once

namespace glyphevict {

// The whole command: prints the usage text when no argument follows the
// invocation name, otherwise removes the font resource file named by argv[1].
// Returns the process exit status, which is 0 in every case. The environment
// block is accepted as the platform hands it over and is never read.
int glyphevict_main(int argc, wchar_t* argv[], wchar_t* envp[]);

}  // namespace glyphevict
