// Loading a library that is not a usable VST 2 plug-in: each refusal is an exception with a
// one-line reason that names the file, as the command prints it.

#include "host/loaded_plugin.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(LoadedPlugin, RefusesWhatIsNotAUsablePluginWithAReasonNamingTheFile) {
    struct Case {
        const char* what;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"no such file", "/nonexistent/miral.so", "cannot load plug-in /nonexistent/miral.so: "},
        {"another interface's library", MIRAL_FOREIGN_PLUGIN_PATH,
         "not a VST 2 plug-in (no VSTPluginMain or main): "},
        {"an entry point that creates nothing", MIRAL_REFUSING_PLUGIN_PATH,
         "plug-in refused to create an effect: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            miral::host::LoadedPlugin plugin(c.path);
            ADD_FAILURE() << "loaded";
        } catch (const std::runtime_error& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(c.reason, 0), 0u) << message;
            EXPECT_NE(message.find(c.path), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

} // namespace
