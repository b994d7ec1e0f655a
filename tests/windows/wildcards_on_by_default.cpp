// Linked behind the recorder as the start-up code of a toolchain that expands
// wildcards unless told not to: this value counts only where glyphevict's
// entry sets none of its own.
int _dowildcard = -1;
