// Fontconfig keeps its configuration cache for the life of the process; the leak checker of
// sanitizer builds is told so. Linked as object code into the programs that draw text: the
// checker finds the function by name, nothing else refers to it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
