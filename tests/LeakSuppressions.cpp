// Leaks inside system libraries that a test program cannot free, for the
// leak checker of the sanitizer build. Linked into every test program.

extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    // fontconfig keeps pattern caches of the fonts Qt looks up for widgets.
    return "leak:libfontconfig.so\n";
}
