#pragma once

// Test source -> MIRAL -> test renderer in Wine's filter graph, the fixture of the stream tests,
// with helpers between sample bytes and sample values.

#include "graph_support.h"
#include "test_source.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <uuids.h>

#include <cstring>
#include <vector>

namespace miral::dx::test {

template <class Sample> std::vector<BYTE> bytesOf(const std::vector<Sample>& samples) {
    std::vector<BYTE> bytes(samples.size() * sizeof(Sample));
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

template <class Sample> std::vector<Sample> samplesOf(const std::vector<BYTE>& bytes) {
    std::vector<Sample> samples(bytes.size() / sizeof(Sample));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(Sample));
    return samples;
}

inline SampleToSend plain(std::vector<BYTE> bytes) {
    SampleToSend sample;
    sample.data = std::move(bytes);
    return sample;
}

/// Test source -> MIRAL -> test renderer in Wine's filter graph.
class Chain : public ::testing::Test {
public:
    /// Connects the source offering `type` to the filter; then the filter to the sink.
    HRESULT connectInput(const AM_MEDIA_TYPE& type, long bufferBytes = 8192) {
        HRESULT result = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IGraphBuilder, graph.putVoid());
        if (FAILED(result))
            return result;
        source = ComRef<TestSource>::adopt(TestSource::create(type, bufferBytes));
        graph->AddFilter(source.get(), L"Source");
        graph->AddFilter(miral.get(), L"MIRAL");
        graph->AddFilter(sink.get(), L"Sink");
        return graph->ConnectDirect(source->output(), findPin(miral.get(), PINDIR_INPUT).get(),
                                    nullptr);
    }
    HRESULT connectOutput() {
        return graph->ConnectDirect(findPin(miral.get(), PINDIR_OUTPUT).get(), sink->input(),
                                    nullptr);
    }
    HRESULT connect(const AM_MEDIA_TYPE& type, long bufferBytes = 8192) {
        const HRESULT result = connectInput(type, bufferBytes);
        return FAILED(result) ? result : connectOutput();
    }
    HRESULT control(HRESULT (STDMETHODCALLTYPE IMediaControl::*change)()) {
        return (query<IMediaControl>(graph.get(), IID_IMediaControl).get()->*change)();
    }
    void TearDown() override {
        if (graph)
            control(&IMediaControl::Stop);
    }

    ComRef<IBaseFilter> miral = createMiral();
    ComRef<IEqParameters> parameters = query<IEqParameters>(miral.get(), kIidEqParameters);
    ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
    ComRef<TestSource> source;
    ComRef<IGraphBuilder> graph;
};

} // namespace miral::dx::test
