#pragma once

// --level-match: the Output Gain that makes the chosen settings as loud as the dry signal, set
// on a loaded effect after its other settings, and what the command says about it.

#include "engine/level_match.h"
#include "settings/effect_settings.h"

#include <string>
#include <vector>

namespace miral::cli {

/// Refuses (UsageError) an Output Gain among the --set and --param settings: the match sets
/// it. `names` are the plug-in's parameter names in index order.
void checkLevelMatchSettings(const EffectSettings& settings, const std::vector<std::string>& names);

/// Matches the level of `effect`'s current settings at `sampleRateHz` and sets its Output Gain.
LevelMatch matchEffectLevel(AEffect& effect, double sampleRateHz);

/// "Output Gain -3.04 dB (the settings alone change the loudness by +3.04 dB)", saying so when
/// the match reaches the end of the Output Gain's range.
std::string describeLevelMatch(const LevelMatch& match);

} // namespace miral::cli
