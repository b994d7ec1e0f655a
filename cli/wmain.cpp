#include "cli/glyphevict_main.h"

#ifdef __MINGW32__
// Keep the MinGW start-up from expanding wildcards whatever its build default:
// an argument holding * or ? is a path like any other.
int _dowildcard = 0;
#endif

// The wide-character entry; no system header declares it.
int wmain(int argc, wchar_t* argv[], wchar_t* envp[]);

int wmain(int argc, wchar_t* argv[], wchar_t* envp[]) {
  return glyphevict::glyphevict_main(argc, argv, envp);
}
