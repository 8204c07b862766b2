#pragma once

// miral demo: the factory programs heard on a synthesised signal, written as WAV files, with
// a table of what each program does to the low, mid and high regions.

#include <string>

namespace miral::cli {

struct DemoOptions {
    std::string outputDirectory = "miral-demo";
    std::string pluginPath;
    double pictureScale = 1.0; ///< the scale of the editor pictures, 1 to 3
};

/// Writes input.wav and one 32-bit float WAV per factory program into the directory (created
/// when missing), each with a PNG picture of the editor showing that program beside it (at the
/// options' scale), and
/// prints the table on standard output. Throws std::runtime_error on failure;
/// every file is either complete or absent.
void runDemo(const DemoOptions& options);

} // namespace miral::cli
