// A library with the plug-in entry points whose effect is never created, as a plug-in that
// refuses the host does.

struct AEffect;

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(void*) {
    return nullptr;
}
