// cairo's toy font faces and fontconfig keep process-wide caches that they
// never free; the leak checker of sanitizer builds is told to ignore memory
// those libraries allocate for themselves, and not to list the suppressions
// it used, so that a good run prints nothing. Linked into the picture tests
// and, in sanitizer builds, into the programs (tal_leak_suppressions).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libcairo.so\n";
}

extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
