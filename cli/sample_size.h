#pragma once

// Bytes per stored sample of libsndfile's fixed-size sample formats.

#include <optional>

namespace miral::cli {

/// Bytes per sample of `format`'s sample format (8 to 32-bit integers, float, double, A-law
/// and µ-law); none for compressed and variable-size encodings.
std::optional<int> bytesPerSample(int format);

} // namespace miral::cli
