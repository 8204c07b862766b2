#pragma once

// A source for the tests: one output pin that offers exactly the media type it is given (any
// type Wine's parser never produces: 24-bit, 3 channels, video, a short format block) and
// delivers the samples a test pushes, with the times and flags it chooses, on the test's own
// thread.

#include "dx/framework/base_filter.h"
#include "dx/framework/output_pin.h"

#include <memory>
#include <optional>
#include <vector>

namespace miral::dx::test {

struct SampleToSend {
    std::vector<BYTE> data;
    std::optional<std::pair<REFERENCE_TIME, REFERENCE_TIME>> times;
    bool syncPoint = false;
    bool discontinuity = false;
    std::optional<std::pair<LONGLONG, LONGLONG>> mediaTimes;
    const AM_MEDIA_TYPE* newType = nullptr; ///< a media type the sample carries, borrowed
};

class TestSource final : public BaseFilter {
public:
    /// A new source with one reference, offering `type`, with buffers of `bufferBytes`.
    static TestSource* create(const AM_MEDIA_TYPE& type, long bufferBytes);

    int pinCount() override { return 1; }
    BasePin* pin(int index) override;
    IPin* output();

    /// Sends one sample downstream; the downstream Receive's answer.
    HRESULT send(const SampleToSend& sample);
    HRESULT endOfStream();
    HRESULT flush();
    HRESULT newSegment(REFERENCE_TIME start);
    /// The filter that last sent a quality message to the pin, and the message.
    IBaseFilter* qualitySender(Quality& quality) const;
    /// Offers another type from now on (for reconnections).
    HRESULT offer(const AM_MEDIA_TYPE& type);

private:
    class Pin;
    explicit TestSource(long bufferBytes);
    ~TestSource() override;

    std::unique_ptr<Pin> pin_;
};

/// An audio media type with a WAVEFORMATEX block of `formatBytes` (at least 18 unless smaller
/// is wanted on purpose).
void makeAudioType(MediaType& type, WORD tag, WORD channels, DWORD rate, WORD bits,
                   ULONG formatBytes = sizeof(WAVEFORMATEX));
/// The WAVE_FORMAT_EXTENSIBLE form Wine's parser uses for float (or PCM) files.
void makeExtensibleType(MediaType& type, bool floatSamples, WORD channels, DWORD rate, WORD bits);

} // namespace miral::dx::test
