#pragma once

// A renderer for the tests: an input pin that takes the audio types it is told to, records
// every sample (bytes, times, flags), flush, segment and end of stream, and reports EC_COMPLETE
// to the graph like a real renderer. Seeking requests to the filter pass upstream, as a
// player's renderer passes them.

#include "dx/framework/base_filter.h"
#include "dx/framework/input_pin.h"
#include "dx/framework/seeking_passthrough.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace miral::dx::test {

struct ReceivedSample {
    std::vector<BYTE> data;
    bool timed = false; ///< GetTime answered S_OK
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    bool syncPoint = false;
    bool discontinuity = false;
    bool mediaTimed = false;
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    long size = 0;            ///< the buffer's size, not its data length
    WAVEFORMATEX format{};    ///< the pin's format when the sample arrived
    bool typeChanged = false; ///< the sample carried a media type
    bool guardIntact = true;  ///< nothing written past the buffer (capped buffers only)
};

/// What arrived, in order.
struct StreamEvent {
    enum Kind { Sample, BeginFlush, EndFlush, NewSegment, EndOfStream } kind;
    size_t sample = 0; ///< index into samples for Sample
    REFERENCE_TIME segmentStart = 0;
};

/// Frames of each delivered sample, `frameBytes` to a frame.
std::vector<int32_t> blockLengths(const std::vector<ReceivedSample>& samples, size_t frameBytes);

class TestSink final : public BaseFilter, public IAMFilterMiscFlags {
public:
    /// A new sink with one reference.
    static TestSink* create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        return owner()->QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner()->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner()->Release(); }
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

    int pinCount() override { return 1; }
    BasePin* pin(int index) override;
    IPin* input();

    /// Which types the pin takes; all audio types by default.
    void accept(std::function<bool(const AM_MEDIA_TYPE&)> predicate);
    /// Takes `ms` milliseconds over each sample, as a renderer that plays in real time does.
    void slowDown(DWORD ms) { delayMs_ = ms; }
    /// Offers an allocator of its own whose buffers hold at most `bytes` (0: offers none), each
    /// exactly as large as granted and followed by a guard pattern checked on arrival.
    void capBuffers(long bytes);
    /// Answers S_FALSE (no more samples wanted) to the `samples`th Receive and every later one.
    void wantNoMoreAfter(size_t samples);
    /// Answers GetAllocatorRequirements with `wanted` from now on (E_NOTIMPL until then).
    void require(const ALLOCATOR_PROPERTIES& wanted);
    /// The allocator the upstream pin delivers from, borrowed; null before one is agreed.
    IMemAllocator* allocator();
    /// The buffer sizes asked of the capped allocator.
    std::vector<long> allocatorRequests() const;
    /// From now on each Receive waits until releaseReceives or until the sink stops.
    void blockReceives();
    void releaseReceives();
    /// Each media-type check takes `ms` milliseconds; checks under way are counted, and a sink
    /// destroyed while one runs (its caller holding no reference) is counted too.
    void slowTypeChecks(DWORD ms) { checkDelayMs_ = ms; }
    int typeChecksRunning() const { return checking_.load(); }
    static std::atomic<int> destroyedWhileChecking;
    /// Receives that have begun to wait.
    int blockedReceives() const { return blockedReceives_.load(); }

    std::vector<ReceivedSample> samples() const;
    std::vector<StreamEvent> events() const;
    /// All sample bytes in arrival order.
    std::vector<BYTE> data() const;
    void clear();
    const AM_MEDIA_TYPE& connectionType();

private:
    class Pin;
    TestSink();
    ~TestSink() override;
    void record(StreamEvent event);
    void completeIfEnded();

    std::unique_ptr<Pin> pin_;
    SeekingPassThrough seeking_;
    mutable std::mutex mutex_;
    std::vector<ReceivedSample> samples_;
    std::vector<StreamEvent> events_;
    bool ended_ = false;
    bool completed_ = false;
    std::function<bool(const AM_MEDIA_TYPE&)> accept_;
    long bufferCap_ = 0;
    std::optional<ALLOCATOR_PROPERTIES> requirements_;
    size_t enoughSamples_ = SIZE_MAX;
    std::vector<long> allocatorRequests_;
    std::atomic<DWORD> delayMs_{0};
    HANDLE release_;
    std::atomic<bool> blocking_{false};
    std::atomic<DWORD> checkDelayMs_{0};
    std::atomic<int> checking_{0};
    std::atomic<int> blockedReceives_{0};
};

} // namespace miral::dx::test
