// Linked into every program of a sanitizer build: LeakSanitizer is told of
// the memory cddlib keeps to the end of a run (allocated inside the
// library, which frees some of it never), so that the leaks it reports are
// the program's own. It is also told not to list the suppressions it used:
// that list would go to standard error, which the tests compare byte for byte.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcddgmp.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
