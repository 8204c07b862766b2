// Streams opened on the command's own descriptors leave them open whatever libsndfile does:
// a failed open must not close a descriptor that the command closes again later (in a batch
// with several jobs the second close can hit another job's file).
#include "audio_files/sndfile_stream.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace miral::cli {
namespace {

class StreamOnDescriptor : public ::testing::Test {
protected:
    ~StreamOnDescriptor() override { close(descriptor); }

    bool stillOpen() const { return fcntl(descriptor, F_GETFD) != -1; }

    int descriptor = memfd_create("miral-stream-test", MFD_CLOEXEC);
};

TEST_F(StreamOnDescriptor, AFailedOpenLeavesTheDescriptorOpen) {
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(write(descriptor, "not audio at all", 16), 16);
    ASSERT_EQ(lseek(descriptor, 0, SEEK_SET), 0);
    SF_INFO info{};
    EXPECT_EQ(openStreamOn(descriptor, SFM_READ, info, "reading"), nullptr);
    EXPECT_TRUE(stillOpen());

    SF_INFO impossible{};
    impossible.format = SF_FORMAT_WAV | SF_FORMAT_VORBIS; // no such combination
    impossible.channels = 2;
    impossible.samplerate = 48000;
    EXPECT_EQ(openStreamOn(descriptor, SFM_WRITE, impossible, "writing"), nullptr);
    EXPECT_TRUE(stillOpen());
}

TEST_F(StreamOnDescriptor, AClosedStreamLeavesTheDescriptorWithWhatWasWritten) {
    ASSERT_GE(descriptor, 0);
    SF_INFO info{};
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    info.channels = 1;
    info.samplerate = 48000;
    SNDFILE* stream = openStreamOn(descriptor, SFM_WRITE, info, "writing");
    ASSERT_NE(stream, nullptr);
    const float samples[4] = {0.0f, 0.25f, -0.5f, 1.0f};
    EXPECT_EQ(sf_writef_float(stream, samples, 4), 4);
    EXPECT_EQ(sf_close(stream), SF_ERR_NO_ERROR);
    ASSERT_TRUE(stillOpen());

    std::array<char, 4> riff{};
    ASSERT_EQ(pread(descriptor, riff.data(), riff.size(), 0), 4);
    EXPECT_EQ(std::memcmp(riff.data(), "RIFF", 4), 0);
    ASSERT_EQ(lseek(descriptor, 0, SEEK_SET), 0);
    SF_INFO readBack{};
    SNDFILE* reading = openStreamOn(descriptor, SFM_READ, readBack, "reading");
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(readBack.frames, 4);
    sf_close(reading);
    EXPECT_TRUE(stillOpen());
}

TEST(StreamOnBadDescriptor, SaysWhatCouldNotBeDone) {
    SF_INFO info{};
    try {
        openStreamOn(-1, SFM_READ, info, "cannot read x.wav");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot read x.wav: ", 0), 0u) << error.what();
    }
}

} // namespace
} // namespace miral::cli
