#include "audio_files/sndfile_formats.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>

namespace miral::cli {
namespace {

TEST(SndfileFormats, DescriptionsNameTheContainerAndTheEncoding) {
    const std::string wav16 = describeFormat(SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_TRUE(wav16.starts_with("WAV") && wav16.ends_with(", 16-bit")) << wav16;
    EXPECT_EQ(describeFormat(SF_FORMAT_FLOAT), "32-bit float"); // no container: encoding alone
    // Encodings without a description of their own take libsndfile's name.
    const std::string vorbis = describeFormat(SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_NE(vorbis.find("Vorbis"), std::string::npos) << vorbis;
    EXPECT_TRUE(describeFormat(SF_FORMAT_WAV | 0xFFFF).ends_with(", encoded"));
}

TEST(SndfileFormats, SizesAndSaturationFollowTheEncoding) {
    EXPECT_EQ(bytesPerSample(SF_FORMAT_AIFF | SF_FORMAT_PCM_24), 3);
    EXPECT_EQ(bytesPerSample(SF_FORMAT_WAV | SF_FORMAT_ULAW), 1);
    EXPECT_EQ(bytesPerSample(SF_FORMAT_WAV | SF_FORMAT_DOUBLE), 8);
    EXPECT_FALSE(bytesPerSample(SF_FORMAT_FLAC | SF_FORMAT_VORBIS));
    EXPECT_TRUE(isIntegerFormat(SF_FORMAT_WAV | SF_FORMAT_PCM_U8));
    EXPECT_FALSE(isIntegerFormat(SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    EXPECT_FALSE(isIntegerFormat(SF_FORMAT_WAV | SF_FORMAT_ALAW)); // companded, not clipped
}

TEST(SndfileFormats, ContainersIncludeTheCommonOnesWithTheirExtensions) {
    const std::vector<Container> containers = sndfileContainers();
    for (const auto& [format, extension] :
         {std::pair{SF_FORMAT_WAV, "wav"}, std::pair{SF_FORMAT_FLAC, "flac"}}) {
        EXPECT_TRUE(std::any_of(containers.begin(), containers.end(), [&](const Container& c) {
            return c.format == format && c.extension == extension;
        })) << extension;
    }
}

} // namespace
} // namespace miral::cli
