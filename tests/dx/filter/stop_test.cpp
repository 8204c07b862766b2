// Stopping and flushing: Stop returns at once whatever the streaming thread is doing, in the
// graph's order (renderer first) and when an application stops the filter alone; a flush
// clears the states of a running effect and leaves a stopped one suspended.
#include "chain.h"
#include "effect_calls.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace miral::dx::test {
namespace {

/// Runs `action` on a thread of its own; true when it returned within `ms`. Otherwise
/// `rescue` runs (to free what it waits for) before the thread is joined.
bool returnsWithin(DWORD ms, const std::function<void()>& action,
                   const std::function<void()>& rescue) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&] {
        action();
        SetEvent(done);
    });
    const bool returned = WaitForSingleObject(done, ms) == WAIT_OBJECT_0;
    if (!returned)
        rescue();
    worker.join();
    CloseHandle(done);
    return returned;
}

constexpr DWORD kPromptlyMs = 5000;

class Stopping : public Chain {
public:
    void SetUp() override {
        MediaType stereo;
        makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
        ASSERT_EQ(connect(stereo.get()), S_OK);
        AEffect* effect = nullptr;
        ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
        calls = std::make_unique<EffectCalls>(effect);
    }
    void TearDown() override {
        calls.reset();
        Chain::TearDown();
    }
    /// Starts a thread that sends one sample through the running graph.
    std::thread sendOnStreamingThread() {
        return std::thread(
            [this] { sent = source->send(plain(bytesOf(std::vector<int16_t>(2 * 256, 1000)))); });
    }
    /// The effect's last suspend or resume: 0 suspended, 1 resumed, -1 none.
    intptr_t lastMainsChange() {
        intptr_t last = -1;
        for (const EffectCall& call : calls->take())
            if (call.first == effMainsChanged)
                last = call.second;
        return last;
    }

    std::unique_ptr<EffectCalls> calls;
    HRESULT sent = S_OK;
};

TEST_F(Stopping, TheFilterStoppedAloneReturnsWhileDownstreamReceiveBlocks) {
    ASSERT_EQ(control(&IMediaControl::Run), S_OK);
    sink->blockReceives();
    std::thread streaming = sendOnStreamingThread();
    while (sink->blockedReceives() == 0)
        Sleep(1);
    EXPECT_TRUE(returnsWithin(
        kPromptlyMs, [this] { EXPECT_EQ(miral->Stop(), S_OK); },
        [this] { sink->releaseReceives(); }))
        << "Stop waited for the blocked receive";
    sink->releaseReceives();
    streaming.join();
    EXPECT_EQ(lastMainsChange(), 0) << "the receive, ending, suspends the effect";
    ASSERT_EQ(control(&IMediaControl::Stop), S_OK);
    calls->take();
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(lastMainsChange(), 1) << "streaming starts again";
}

TEST_F(Stopping, TheGraphStopsWhileDownstreamReceiveBlocks) {
    ASSERT_EQ(control(&IMediaControl::Run), S_OK);
    sink->blockReceives();
    std::thread streaming = sendOnStreamingThread();
    while (sink->blockedReceives() == 0)
        Sleep(1);
    EXPECT_TRUE(returnsWithin(
        kPromptlyMs, [this] { EXPECT_EQ(control(&IMediaControl::Stop), S_OK); },
        [this] { sink->releaseReceives(); }));
    streaming.join();
    EXPECT_EQ(lastMainsChange(), 0);
}

TEST_F(Stopping, StopReturnsWhileTheFilterWaitsForAnOutputBuffer) {
    ASSERT_EQ(control(&IMediaControl::Run), S_OK);
    // Every output buffer taken: the filter's next GetDeliveryBuffer waits.
    IMemAllocator* allocator = sink->allocator();
    ASSERT_NE(allocator, nullptr);
    ALLOCATOR_PROPERTIES properties{};
    ASSERT_EQ(allocator->GetProperties(&properties), S_OK);
    std::vector<ComRef<IMediaSample>> held(size_t(properties.cBuffers));
    for (ComRef<IMediaSample>& sample : held)
        ASSERT_EQ(allocator->GetBuffer(sample.put(), nullptr, nullptr, 0), S_OK);
    std::thread streaming = sendOnStreamingThread();
    Sleep(200);
    EXPECT_TRUE(returnsWithin(
        kPromptlyMs, [this] { EXPECT_EQ(miral->Stop(), S_OK); }, [&held] { held.clear(); }))
        << "Stop waited for the receive waiting for a buffer";
    streaming.join();
    EXPECT_TRUE(FAILED(sent)) << "the decommitted allocator ends the receive";
    EXPECT_EQ(lastMainsChange(), 0);
    held.clear();
}

// Stopped while a receive still runs, the pins keep their connections until it returns: a
// disconnection would release the allocator and downstream pin the streaming thread uses.
TEST_F(Stopping, ConnectionsStayUntilTheLastReceiveReturns) {
    ASSERT_EQ(control(&IMediaControl::Run), S_OK);
    sink->blockReceives();
    std::thread streaming = sendOnStreamingThread();
    while (sink->blockedReceives() == 0)
        Sleep(1);
    ASSERT_EQ(miral->Stop(), S_OK);
    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    ComRef<IPin> output = findPin(miral.get(), PINDIR_OUTPUT);
    EXPECT_EQ(output->Disconnect(), VFW_E_NOT_STOPPED);
    EXPECT_EQ(input->Disconnect(), VFW_E_NOT_STOPPED);
    sink->releaseReceives();
    streaming.join();
    EXPECT_EQ(sent, S_OK);
    EXPECT_EQ(output->Disconnect(), S_OK);
    EXPECT_EQ(input->Disconnect(), S_OK);
}

TEST_F(Stopping, AFlushClearsTheStatesOfARunningEffectOnly) {
    ASSERT_EQ(source->flush(), S_OK);
    EXPECT_EQ(calls->take(), std::vector<EffectCall>{}) << "a stopped effect stays suspended";
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(calls->take(), (std::vector<EffectCall>{{effMainsChanged, 1}}));
    ASSERT_EQ(source->flush(), S_OK);
    EXPECT_EQ(calls->take(), (std::vector<EffectCall>{{effMainsChanged, 0}, {effMainsChanged, 1}}));
    ASSERT_EQ(control(&IMediaControl::Stop), S_OK);
    EXPECT_EQ(calls->take(), (std::vector<EffectCall>{{effMainsChanged, 0}}));
}

} // namespace
} // namespace miral::dx::test
