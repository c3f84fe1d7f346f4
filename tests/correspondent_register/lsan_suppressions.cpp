// The font configuration library keeps a few allocations for the life of the
// process (the offscreen platform loads it for the first text it lays out);
// the leak checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
