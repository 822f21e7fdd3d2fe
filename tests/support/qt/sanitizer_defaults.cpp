// Qt test programs run without leak checks under AddressSanitizer: Qt keeps
// objects of its platform, font and graphics-scene layers alive until the
// process ends, and the leak checker cannot tell them from a leak of ours.
// Memory errors and undefined behaviour are still caught; the programs without
// Qt keep their leak checks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
