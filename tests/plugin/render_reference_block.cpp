// Linux side of the cross-check with the Windows builds: loads the Linux plug-in library as a
// host does, processes the reference block and writes the output as raw little-endian floats,
// all left samples, then all right samples.
//   render_reference_block OUTPUT-FILE
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "reference_block.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FILE\n", argv[0]);
        return 2;
    }
    std::string error;
    const auto library = miral::platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto entry = library->entryAs<miral::host::EntryPoint>("VSTPluginMain");
    AEffect* effect = entry != nullptr ? entry(miral::host::hostCallback) : nullptr;
    if (effect == nullptr) {
        std::fprintf(stderr, "%s: no effect\n", MIRAL_VST_PATH);
        return 1;
    }
    const miral::reference::Channels output = miral::reference::renderReferenceBlock(*effect);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

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
