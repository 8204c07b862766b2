// miral fit as users run it: what it writes reads back as what it reports, everywhere it goes
// (preset file, the user's preset folder, an LV2 bundle that lilv lists), and bad input writes
// nothing.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include "engine/params.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lilv/lilv.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace miral::test {
namespace {

class FitCommand : public TemporaryFolder {
protected:
    /// A target curve: `miral response` of a factory program, in a file with a header.
    void writeProgramCurve(const std::string& name, const std::string& program) {
        const CommandResult curve = runMiral(dir_, {"response", "--program", program});
        ASSERT_EQ(curve.status, 0) << curve.err;
        std::ofstream(path(name)) << "# a measured curve\n" << curve.out;
    }
};

struct LilvPreset {
    std::string label;
    std::map<std::string, float> values; ///< by port symbol
};

/// The presets lilv lists for the plug-in with LV2_PATH as given, as a host loads them.
std::vector<LilvPreset> presetsOnPath(const std::string& lv2Path) {
    setenv("LV2_PATH", lv2Path.c_str(), 1);
    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    std::vector<std::string> uris;
    LV2_URID_Map map{&uris, [](LV2_URID_Map_Handle handle, const char* uri) -> LV2_URID {
                         auto& known = *static_cast<std::vector<std::string>*>(handle);
                         const auto found = std::find(known.begin(), known.end(), uri);
                         if (found != known.end())
                             return LV2_URID(found - known.begin() + 1);
                         known.push_back(uri);
                         return LV2_URID(known.size());
                     }};
    LilvNode* pluginUri = lilv_new_uri(world, lv2::kPluginUri);
    LilvNode* presetClass = lilv_new_uri(world, "http://lv2plug.in/ns/ext/presets#Preset");
    std::vector<LilvPreset> presets;
    const LilvPlugin* plugin =
        lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), pluginUri);
    if (plugin) {
        LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
        LILV_FOREACH(nodes, i, related) {
            const LilvNode* preset = lilv_nodes_get(related, i);
            lilv_world_load_resource(world, preset);
            LilvState* state = lilv_state_new_from_world(world, &map, preset);
            if (!state)
                continue;
            LilvPreset read{lilv_state_get_label(state) ? lilv_state_get_label(state) : "", {}};
            lilv_state_emit_port_values(
                state,
                [](const char* symbol, void* data, const void* value, uint32_t, uint32_t) {
                    static_cast<LilvPreset*>(data)->values[symbol] =
                        *static_cast<const float*>(value);
                },
                &read);
            presets.push_back(read);
            lilv_state_free(state);
        }
        lilv_nodes_free(related);
    }
    lilv_node_free(presetClass);
    lilv_node_free(pluginUri);
    lilv_world_free(world);
    return presets;
}

TEST_F(FitCommand, WhatItWritesReadsBackAsWhatItReports) {
    writeProgramCurve("curve.csv", "3");
    const std::string data = path("data");
    const CommandResult fit = runShell(
        dir_, "XDG_DATA_HOME=" + shellQuoted(data) + " " +
                  miralCommand({"fit", "--target", "curve.csv", "--column", "gain_db", "-o",
                                "fitted.txt", "--json", "--lv2-preset", "bundle/fitted.lv2",
                                "--name", "Fitted \"3\"", "--user-preset", "program-3"}));
    ASSERT_EQ(fit.status, 0) << fit.err;
    const nlohmann::json summary = nlohmann::json::parse(fit.out);
    EXPECT_LT(double(summary["rms_error_db"]), 0.01); // the equaliser's own response
    EXPECT_EQ(fileText(path("fitted.txt")), fileText(data + "/miral/presets/program-3.txt"));

    // miral response of the preset written is the response the fit reported.
    std::ofstream at(path("at.txt"));
    for (const double frequencyHz : summary["curves"]["frequency_hz"])
        at << std::setprecision(17) << frequencyHz << "\n";
    at.close();
    const CommandResult response =
        runMiral(dir_, {"response", "--preset", "fitted.txt", "--at", "at.txt", "--json"});
    ASSERT_EQ(response.status, 0) << response.err;
    const nlohmann::json printed = nlohmann::json::parse(response.out);
    ASSERT_EQ(printed["gain_db"].size(), summary["curves"]["response_db"].size());
    for (size_t i = 0; i < printed["gain_db"].size(); ++i)
        EXPECT_NEAR(double(printed["gain_db"][i]), double(summary["curves"]["response_db"][i]),
                    1e-9);

    // lilv on LV2_PATH lists the bundle's preset with the fitted values.
    const std::vector<LilvPreset> presets =
        presetsOnPath(std::string(MIRAL_LV2_DIRECTORY) + ":" + path("bundle"));
    const auto found = std::find_if(presets.begin(), presets.end(),
                                    [](const LilvPreset& p) { return p.label == "Fitted \"3\""; });
    ASSERT_NE(found, presets.end());
    std::ifstream preset(path("fitted.txt"));
    int settings = 0;
    for (std::string line; std::getline(preset, line);)
        settings += !line.starts_with("#");
    EXPECT_EQ(settings, kNumParams);
    EXPECT_EQ(found->values.size(), size_t(kNumParams));
    for (size_t band = 0; band < 6; ++band)
        EXPECT_NEAR(found->values.at(lv2::controlPortSymbol(int32_t(4 * band + 1))),
                    double(summary["bands"][band]["frequency_hz"]),
                    1e-4 * double(summary["bands"][band]["frequency_hz"]));
    EXPECT_NEAR(found->values.at("output_gain"), double(summary["output_gain_db"]), 1e-5);
}

TEST_F(FitCommand, BadInputIsRefusedAndNothingIsWritten) {
    const std::string good = "Filter 1: ON PK Fc 1000 Hz Gain 3 dB Q 1\n";
    struct Case {
        const char* file;
        const char* content;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {"eq.txt",
         "Preamp: -3 dB\nFilter 1: ON PK Fc 1000 Hz Gain x dB Q 1\n",
         {"--apo", "eq.txt"},
         "eq.txt:2: expected a gain"},
        {"eq.txt",
         "Filter 1: ON PK Fc 30000 Hz Gain 3 dB Q 1\n",
         {"--apo", "eq.txt"},
         "eq.txt:1: expected a frequency below the Nyquist"},
        {"eq.txt", "Channel: L\n", {"--apo", "eq.txt"}, "no switched-on filter"},
        {"eq.txt", good.c_str(), {"--apo", "missing.txt"}, "cannot read missing.txt"},
        {"curve.csv", "", {"--target", "curve.csv"}, "curve.csv: no rows"},
        {"curve.csv",
         "20 1\n10 2\n",
         {"--target", "curve.csv"},
         "curve.csv:2: expected "
         "frequencies in increasing"},
        {"curve.csv",
         "20 1\n100 inf\n",
         {"--target", "curve.csv"},
         "curve.csv:2: expected a "
         "finite gain"},
        {"curve.csv",
         "frequency,raw\n20,1\n",
         {"--target", "curve.csv", "--column", "eq"},
         "no column named \"eq\""},
        {"a.wav", "", {"--match", "a.wav", "a.wav"}, "cannot read a.wav"},
        {"eq.txt", good.c_str(), {"--apo", "eq.txt", "--target", "eq.txt"}, "excludes"},
        {"eq.txt", good.c_str(), {"--apo", "eq.txt", "--rate", "32000"}, "44100 Hz or more"},
        {"eq.txt", good.c_str(), {"--apo", "eq.txt", "--user-preset", "../x"}, "letters, digits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::ofstream(path(c.file)) << c.content;
        std::vector<std::string> args = {"fit",     "-o",     "out.txt", "--lv2-preset",
                                         "out.lv2", "--plot", "out.png"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandResult result = runMiral(dir_, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
        for (const char* output : {"out.txt", "out.lv2", "out.png"})
            EXPECT_FALSE(std::filesystem::exists(path(output))) << output;
        std::filesystem::remove(path(c.file));
    }
}

TEST_F(FitCommand, MatchesOneRecordingsSpectrumToAnother) {
    writeAudio(path("input.wav"),
               noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000, 48000 * 8, 0.25));
    ASSERT_EQ(runMiral(dir_, {"process", "input.wav", "reference.wav", "--float", "--program", "3"})
                  .status,
              0);
    writeProgramCurve("program.csv", "3");
    const CommandResult match =
        runMiral(dir_, {"fit", "--match", "reference.wav", "input.wav", "--json"});
    ASSERT_EQ(match.status, 0) << match.err;
    const nlohmann::json summary = nlohmann::json::parse(match.out);
    EXPECT_LT(double(summary["rms_error_db"]), 0.5);
    // The target is the program's response, 0 dB at 1 kHz: compared where noise averages well.
    const CommandResult atKilohertz = runMiral(
        dir_, {"response", "--program", "3", "--points", "2", "--from", "999", "--to", "1000"});
    const double kilohertzDb = std::stod(atKilohertz.out.substr(atKilohertz.out.rfind(',') + 1));
    const nlohmann::json& curves = summary["curves"];
    for (size_t i = 0; i < curves["frequency_hz"].size(); i += 12) {
        const double frequencyHz = curves["frequency_hz"][i];
        if (frequencyHz < 200.0 || frequencyHz > 16000.0)
            continue;
        const CommandResult at = runMiral(dir_, {"response", "--program", "3", "--points", "2",
                                                 "--from", std::to_string(frequencyHz), "--to",
                                                 std::to_string(frequencyHz * 1.0001)});
        const double programDb = std::stod(at.out.substr(at.out.find(',', 20) + 1));
        EXPECT_NEAR(double(curves["target_db"][i]), programDb - kilohertzDb, 0.5)
            << frequencyHz << " Hz";
    }
}

} // namespace
} // namespace miral::test
