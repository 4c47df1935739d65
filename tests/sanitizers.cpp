// Linked into every program of a sanitizer build: LeakSanitizer is told of
// the memory cddlib keeps to the end of a run (allocated inside the
// library, which frees some of it never), so that the leaks it reports are
// the program's own.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcddgmp.so\n"; }
