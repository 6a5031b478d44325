// Qt's font and platform libraries keep allocations to the end of the process
// (fontconfig, glib); the leak check would report those, not ours. The core's
// own leaks are caught by the unit tests, which run with the check on.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
