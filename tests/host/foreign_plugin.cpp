// A library of another plug-in interface: it exports an entry point of its own, but neither
// VSTPluginMain nor main.

extern "C" __attribute__((visibility("default"))) const void* otherInterfaceEntry() {
    return nullptr;
}
