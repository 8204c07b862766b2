#pragma once

// What a fit leaves behind: a preset file in the format `--preset` reads, with comments saying
// where it came from and how close it is, and an LV2 preset bundle that LV2 hosts list.

#include "fitting/band_fit.h"

#include <string>

namespace miral::cli {

/// The preset file's text: the comment lines, then one NAME=VALUE line per parameter.
std::string presetText(const FitResult& result, const std::string& comment);

/// A file stem safe in every file system made of `label` ("HD 600 (fitted)" gives
/// "HD_600_fitted").
std::string fileStem(const std::string& label);

/// Writes the bundle folder `directory` (made when missing): manifest.ttl naming the preset and
/// STEM.ttl with its port values, each file replaced whole. Throws std::runtime_error.
void writeLv2PresetBundle(const std::string& directory, const std::string& label,
                          const FitResult& result, bool force);

} // namespace miral::cli
