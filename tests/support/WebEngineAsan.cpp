// The web engine's own code (Chromium, built without the sanitizer) frees some objects through a
// base of another size, which AddressSanitizer would stop every page test on. Only the page tests
// link this; every other test executable still checks our code for the same fault.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
#endif
