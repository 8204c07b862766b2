#include "graph_support.h"

#include "dx/filter/eq_transform_filter_factory.h"
#include "platform/notice.h"

#include "dx/framework/windows_api.h"

#include <gtest/gtest.h>
#include <uuids.h>

#include <atomic>

namespace miral::dx::test {
namespace {

std::atomic<int> notices{0};
std::atomic<DWORD> lastNoticeThread{0};

void countNotice(const char*, const char*) {
    lastNoticeThread = GetCurrentThreadId();
    ++notices;
}

/// COM for the whole program, multithreaded like the graph's own threads; notices counted.
class DirectShowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        platform::setNoticeHandler(countNotice);
    }
    void TearDown() override { CoUninitialize(); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new DirectShowEnvironment);

std::wstring widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), int(wide.size()));
    wide.resize(length > 0 ? size_t(length - 1) : 0);
    return wide;
}

} // namespace

int noticeCount() {
    return notices.load();
}
DWORD noticeThread() {
    return lastNoticeThread.load();
}

ComRef<IBaseFilter> createMiral() {
    ComRef<IUnknown> object;
    EXPECT_EQ(createEqTransformFilter(nullptr, object.put()), S_OK);
    ComRef<IBaseFilter> filter = query<IBaseFilter>(object.get(), IID_IBaseFilter);
    EXPECT_TRUE(filter);
    return filter;
}

std::wstring libraryFileOf(IUnknown* object) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            *reinterpret_cast<LPCWSTR const*>(object), &module))
        return L"";
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH));
}

ComRef<IPin> findPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComRef<IEnumPins> pins;
    if (filter == nullptr || FAILED(filter->EnumPins(pins.put())))
        return {};
    ComRef<IPin> pin;
    while (pins->Next(1, pin.put(), nullptr) == S_OK) {
        PIN_DIRECTION pinDirection;
        if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction)
            return pin;
    }
    return {};
}

HRESULT WavGraph::build(const std::string& wavPath, IBaseFilter* miral, TestSink* sink) {
    HRESULT result = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IGraphBuilder, graph_.putVoid());
    if (FAILED(result))
        return result;
    result = CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              reader_.putVoid());
    if (FAILED(result))
        return result;
    result = CoCreateInstance(kClsidWaveParser, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              parser_.putVoid());
    if (FAILED(result))
        return result;
    ComRef<IFileSourceFilter> file = query<IFileSourceFilter>(reader_.get(), IID_IFileSourceFilter);
    if (!file)
        return E_NOINTERFACE;
    result = file->Load(widen(wavPath).c_str(), nullptr);
    if (FAILED(result))
        return result;

    IBaseFilter* filters[] = {reader_.get(), parser_.get(), miral, sink};
    const wchar_t* names[] = {L"File Source", L"Wave Parser", L"MIRAL", L"Sink"};
    for (int i = 0; i < 4; ++i) {
        result = graph_->AddFilter(filters[i], names[i]);
        if (FAILED(result))
            return result;
    }
    for (int i = 0; i < 3; ++i) {
        ComRef<IPin> out = findPin(filters[i], PINDIR_OUTPUT);
        ComRef<IPin> in = findPin(filters[i + 1], PINDIR_INPUT);
        if (!out || !in)
            return VFW_E_NOT_FOUND;
        result = graph_->ConnectDirect(out.get(), in.get(), nullptr);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

long WavGraph::runToCompletion(long timeoutMs) {
    ComRef<IMediaControl> control = query<IMediaControl>(graph_.get(), IID_IMediaControl);
    ComRef<IMediaEvent> events = query<IMediaEvent>(graph_.get(), IID_IMediaEvent);
    if (!control || !events || FAILED(control->Run()))
        return 0;
    long code = 0;
    if (FAILED(events->WaitForCompletion(timeoutMs, &code)))
        code = 0;
    return code;
}

HRESULT WavGraph::stop() {
    ComRef<IMediaControl> control = query<IMediaControl>(graph_.get(), IID_IMediaControl);
    return control ? control->Stop() : E_NOINTERFACE;
}

} // namespace miral::dx::test
