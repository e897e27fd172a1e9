// Leak reports that are not ours: fontconfig keeps its caches (reached through Qt's font
// database) until the process ends. Compiled into every test program, so the suppression
// holds however the tests are started (ctest, by hand, under a debugger).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
