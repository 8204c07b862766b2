// Fontconfig, which the editor pictures' text goes through, keeps its configuration cache for
// the life of the process, and libsndfile's Ogg reader drops a Vorbis header record when it
// refuses a malformed file; the leak checker of sanitizer builds is told so. Compiled into
// sanitizer builds only: the installed command has no use for it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:vorbis_info_init\n";
}
