#pragma once

// libsndfile's formats in one place: the containers it reports, and one table of the sample
// encodings the command describes, sizes and saturates.

#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

/// A container libsndfile can read or write: its format constant, name and usual extension.
struct Container {
    int format;
    std::string name;
    std::string extension;
};

/// Every container libsndfile reports, in its own order.
std::vector<Container> sndfileContainers();

/// "WAV, 16-bit" style description of a libsndfile format; the sample encoding alone when the
/// format names no container.
std::string describeFormat(int format);

/// True for formats that store integer samples, which saturate at full scale.
bool isIntegerFormat(int format);

/// Bytes per stored sample of `format`'s sample encoding (8 to 32-bit integers, float, double,
/// A-law and µ-law); none for compressed and variable-size encodings.
std::optional<int> bytesPerSample(int format);

} // namespace miral::cli
