#pragma once

// miral response: the magnitude response of the whole equaliser for the given settings.

#include "settings/effect_settings.h"

#include <optional>
#include <string>

namespace miral::cli {

struct ResponseOptions {
    EffectSettings settings;
    std::string pluginPath;
    double sampleRateHz = 48000.0;
    int points = 481;
    double fromHz = 20.0, toHz = 20000.0;
    std::optional<std::string> atPath;      ///< the frequencies of this file instead of a grid
    bool json = false;                      ///< one JSON object instead of CSV
    std::optional<std::string> plotPath;    ///< a PNG plot of the response
    std::optional<std::string> comparePath; ///< a curve drawn beside it
    bool force = false;                     ///< replace a read-only plot file
};

/// Prints "frequency_hz,gain_db" rows (or one JSON object) on standard output and draws the plot.
/// Below 44100 Hz the equaliser bypasses: 0 dB everywhere, and a note on standard error. Throws
/// UsageError for wrong settings, frequencies or files, before anything is written.
void runResponse(const ResponseOptions& options);

} // namespace miral::cli
