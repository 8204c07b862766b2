// Linux side of the cross-check with the Windows builds: loads the Linux plug-in library as a
// host does, processes the reference block and writes the output as raw little-endian floats,
// all left samples, then all right samples.
//   render_reference_block OUTPUT-FILE
#include "reference_block.h"

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FILE\n", argv[0]);
        return 2;
    }
    void* library = dlopen(MIRAL_VST_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry != nullptr ? entry(miral::reference::minimalHost) : nullptr;
    if (effect == nullptr) {
        std::fprintf(stderr, "%s: no effect\n", MIRAL_VST_PATH);
        return 1;
    }
    const miral::reference::Channels output = miral::reference::renderReferenceBlock(*effect);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(library);

    std::FILE* file = std::fopen(argv[1], "wb");
    bool written = file != nullptr &&
                   std::fwrite(output.left.data(), sizeof(float), output.left.size(), file) ==
                       output.left.size() &&
                   std::fwrite(output.right.data(), sizeof(float), output.right.size(), file) ==
                       output.right.size();
    if (file != nullptr && std::fclose(file) != 0)
        written = false;
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
