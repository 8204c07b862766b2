#include "plugin_fixture.h"

#include "call_witness.h"
#include "platform/dynamic_library.h"

#include <cinttypes>
#include <cstdio>
#include <string>

namespace miral::harness {
namespace {

// The one line the plug-in prints on Linux (below 44.1 kHz); Windows shows it in a message box.
constexpr const char* kLowRateNotice =
    "MIRAL: sampling frequency must be>=44100 - MIRAL has been bypassed\n";

// Loaded once and kept until the process ends, as hosts keep plug-ins: unloading it would also
// unload the libraries it brought in, whose lasting caches the leak checker then could not
// attribute.
platform::DynamicLibrary* library() {
    static platform::DynamicLibrary* const loaded = [] {
        CallWitness::allowOutput(kLowRateNotice);
        std::string error;
        auto library = platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
        if (library == nullptr)
            ADD_FAILURE() << "cannot load " << MIRAL_VST_PATH << ": " << error;
        return library.release();
    }();
    return loaded;
}

// Prints the number of verified plug-in calls when the program ends.
class VerifiedCallsReport : public ::testing::Environment {
public:
    void TearDown() override {
        std::printf("host harness: %" PRIu64 " plug-in calls checked for global state and output\n",
                    CallWitness::verifiedCalls());
    }
};
[[maybe_unused]] ::testing::Environment* const report =
    ::testing::AddGlobalTestEnvironment(new VerifiedCallsReport);

} // namespace

EntryPoint PluginTest::entry(const char* name) {
    platform::DynamicLibrary* loaded = library();
    if (loaded == nullptr)
        return nullptr;
    const auto found = loaded->entryAs<EntryPoint>(name);
    EXPECT_NE(found, nullptr) << "no entry point " << name;
    return found;
}

std::unique_ptr<HostedEffect> PluginTest::createEffect() {
    const EntryPoint main = entry();
    if (main == nullptr)
        return nullptr;
    auto effect = HostedEffect::create(main);
    EXPECT_NE(effect, nullptr) << "the plug-in refused a host that answers the version";
    return effect;
}

std::unique_ptr<HostedEffect> PluginTest::startedEffect(float sampleRate, int32_t blockSize) {
    auto effect = createEffect();
    if (effect != nullptr)
        effect->start(sampleRate, blockSize);
    return effect;
}

} // namespace miral::harness
