// The filter's parameters, programs and stream record as COM clients use them, and the window
// notices that follow a load or a connection.
#include "dx/filter/eq_transform_filter_factory.h"
#include "graph_support.h"
#include "memory_stream.h"
#include "vst2/audio_effect.h"
#include "vst2/vst2_interface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace miral::dx::test {
namespace {

constexpr size_t kRecordBytes = 124;

/// A stream record holding `values`.
std::vector<BYTE> record(const std::vector<float>& values, uint32_t size = 124) {
    std::vector<BYTE> bytes(20 + 4 * values.size());
    std::memcpy(bytes.data(), &size, 4);
    std::memcpy(bytes.data() + 4, &kIidEqParameters, 16);
    std::memcpy(bytes.data() + 20, values.data(), 4 * values.size());
    return bytes;
}

std::vector<float> ramp() {
    std::vector<float> values(26);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = float(i) / 32.0f;
    return values;
}

/// A window of this thread with its posted WM_COMMAND notices.
class NoticeWindow {
public:
    NoticeWindow()
        : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr)) {}
    ~NoticeWindow() { destroy(); }
    HWND handle() const { return window_; }
    void destroy() {
        if (window_ != nullptr)
            DestroyWindow(window_);
        window_ = nullptr;
    }
    /// The wParam of each WM_COMMAND waiting for the window.
    std::vector<WPARAM> notices() {
        std::vector<WPARAM> commands;
        MSG message;
        while (PeekMessageA(&message, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            commands.push_back(message.wParam);
        return commands;
    }

private:
    HWND window_;
};

class FilterState : public ::testing::Test {
protected:
    std::vector<float> mirror() {
        std::vector<float> values(26);
        EXPECT_EQ(parameters->GetParameters(values.data()), S_OK);
        return values;
    }
    HRESULT load(std::vector<BYTE> bytes, ULONG bytesPerRead = 0xFFFFFFFF,
                 bool endWithFalse = false) {
        ComRef<MemoryStream> stream = ComRef<MemoryStream>::adopt(
            MemoryStream::create(std::move(bytes), bytesPerRead, endWithFalse));
        return persist->Load(stream.get());
    }
    std::vector<BYTE> save(BOOL clearDirty) {
        ComRef<MemoryStream> stream = ComRef<MemoryStream>::adopt(MemoryStream::create());
        EXPECT_EQ(persist->Save(stream.get(), clearDirty), S_OK);
        return stream->written();
    }

    ComRef<IBaseFilter> filter = createMiral();
    ComRef<IEqParameters> parameters = query<IEqParameters>(filter.get(), kIidEqParameters);
    ComRef<IEqPrograms> programs = query<IEqPrograms>(filter.get(), kIidEqPrograms);
    ComRef<IPersistStream> persist = query<IPersistStream>(filter.get(), IID_IPersistStream);
};

TEST_F(FilterState, ANewFilterStartsUnsavedWithProgramZeroAndSavesTheExactRecord) {
    EXPECT_EQ(persist->IsDirty(), S_OK);
    const std::vector<float> values = mirror();
    AEffect* effect = nullptr;
    ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(values[size_t(i)], effect->getParameter(effect, i));

    const std::vector<BYTE> saved = save(TRUE);
    ASSERT_EQ(saved.size(), kRecordBytes);
    const BYTE header[20] = {0x7C, 0,    0,    0,    0xA1, 0xD7, 0xA5, 0x29, 0xE1, 0xE6,
                             0xBD, 0x40, 0x82, 0xB5, 0x65, 0x51, 0x43, 0x64, 0x89, 0x5C};
    EXPECT_EQ(std::memcmp(saved.data(), header, 20), 0);
    EXPECT_EQ(std::memcmp(saved.data() + 20, values.data(), 104), 0);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, kRecordBytes);
    CLSID classId{};
    EXPECT_EQ(persist->GetClassID(&classId), S_OK);
    EXPECT_EQ(classId, kClsidEqFilter);
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
}

TEST_F(FilterState, TheDirtyFlagFollowsWritesAndClearingSaves) {
    save(TRUE);
    save(FALSE);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    parameters->SetParameter(3, 0.0f);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    save(FALSE);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    parameters->SetParameter(3, 0.5f);
    EXPECT_EQ(load(record(ramp())), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE) << "loaded, the filter holds what the stream holds";
    EXPECT_EQ(programs->SelectProgram(2), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
}

TEST_F(FilterState, LoadReachesTheEffectAndTellsAdvisedWindows) {
    NoticeWindow window;
    ASSERT_EQ(parameters->AdviseWindow(window.handle(), 7), S_OK);
    // One byte per Read still loads the whole record.
    EXPECT_EQ(load(record(ramp()), 1), S_OK);
    EXPECT_EQ(mirror(), ramp());
    AEffect* effect = nullptr;
    parameters->GetEffect(&effect);
    EXPECT_EQ(effect->getParameter(effect, 8), ramp()[8]);
    EXPECT_EQ(window.notices(), std::vector<WPARAM>{(100u << 16) | 7u});
}

TEST_F(FilterState, AStreamThatIsShortOrNotOursChangesNothingAndTellsNoOne) {
    save(TRUE);
    const std::vector<float> before = mirror();
    NoticeWindow window;
    parameters->AdviseWindow(window.handle(), 7);
    const std::vector<BYTE> good = record(ramp());
    for (size_t length = 0; length < kRecordBytes; ++length) {
        std::vector<BYTE> truncated(good.begin(), good.begin() + std::ptrdiff_t(length));
        EXPECT_TRUE(FAILED(load(truncated))) << length;
        EXPECT_TRUE(FAILED(load(truncated, 7, true))) << length;
    }
    EXPECT_EQ(load(record(ramp(), 123)), E_FAIL);
    EXPECT_EQ(load(record(ramp(), 125)), E_FAIL);
    for (size_t byte = 4; byte < 20; ++byte) {
        std::vector<BYTE> foreign = good;
        foreign[byte] ^= 0x01;
        EXPECT_EQ(load(foreign), E_FAIL) << byte;
    }
    EXPECT_EQ(mirror(), before);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_TRUE(window.notices().empty());
}

// A medium that fails part way: its own error comes back, and neither the mirror nor the
// dirty flag changes.
TEST_F(FilterState, StreamErrorsComeBackUnchangedAndChangeNothing) {
    save(TRUE);
    const std::vector<float> before = mirror();
    for (size_t offset : {0u, 19u, 20u, 123u}) {
        ComRef<MemoryStream> stream =
            ComRef<MemoryStream>::adopt(MemoryStream::create(record(ramp()), 7));
        stream->failPast(offset, STG_E_READFAULT);
        EXPECT_EQ(persist->Load(stream.get()), STG_E_READFAULT) << offset;
    }
    EXPECT_EQ(mirror(), before);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    parameters->SetParameter(3, 0.0f);
    for (size_t offset : {0u, 20u, 123u}) {
        ComRef<MemoryStream> stream = ComRef<MemoryStream>::adopt(MemoryStream::create());
        stream->failPast(offset, STG_E_MEDIUMFULL);
        EXPECT_EQ(persist->Save(stream.get(), TRUE), STG_E_MEDIUMFULL) << offset;
    }
    EXPECT_EQ(persist->IsDirty(), S_OK) << "a failed save keeps the changes unsaved";
}

TEST_F(FilterState, ValuesOutsideTheRangeAreClampedBeforeTheyReachTheEffect) {
    std::vector<float> values = ramp();
    values[0] = 1.5f;
    values[1] = -0.25f;
    values[2] = std::numeric_limits<float>::quiet_NaN();
    values[3] = std::numeric_limits<float>::infinity();
    values[4] = -std::numeric_limits<float>::infinity();
    ASSERT_EQ(load(record(values)), S_OK);
    const std::vector<float> loaded = mirror();
    EXPECT_EQ(loaded[0], 1.0f);
    EXPECT_EQ(loaded[1], 0.0f);
    EXPECT_EQ(loaded[2], 0.0f);
    EXPECT_EQ(loaded[3], 1.0f);
    EXPECT_EQ(loaded[4], 0.0f);
    AEffect* effect = nullptr;
    parameters->GetEffect(&effect);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(effect->getParameter(effect, i), loaded[size_t(i)]);
}

TEST_F(FilterState, SingleValuesReachTheEffectAndBadIndicesAreRefused) {
    EXPECT_EQ(parameters->SetParameter(8, 0.9f), S_OK);
    EXPECT_EQ(parameters->GetParameter(8), 0.9f);
    mirror(); // the refresh from the effect keeps the value
    EXPECT_EQ(mirror()[8], 0.9f);
    const std::vector<float> before = mirror();
    save(TRUE);
    EXPECT_EQ(parameters->SetParameter(26, 0.5f), E_INVALIDARG);
    EXPECT_EQ(parameters->SetParameter(-1, 0.5f), E_INVALIDARG);
    EXPECT_EQ(persist->IsDirty(), S_FALSE) << "nothing was written";
    EXPECT_EQ(parameters->GetParameter(26), 0.0f);
    EXPECT_EQ(parameters->GetParameter(-1), 0.0f);
    EXPECT_EQ(mirror(), before);
}

TEST_F(FilterState, EditsInTheEditorReachTheMirrorThroughTheHostCallback) {
    AEffect* effect = nullptr;
    ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
    auto* object = static_cast<AudioEffect*>(effect->object);
    const std::vector<float> before = mirror();
    object->setParameterAutomated(8, 0.7f); // as a knob of the editor does
    EXPECT_EQ(parameters->GetParameter(8), 0.7f);
    object->setParameterAutomated(26, 0.7f);
    object->setParameterAutomated(-1, 0.7f);
    std::vector<float> expected = before;
    expected[8] = 0.7f;
    EXPECT_EQ(mirror(), expected);
}

TEST_F(FilterState, ProgramsAreListedAndAppliedAsValues) {
    long count = 0;
    EXPECT_EQ(programs->GetProgramCount(&count), S_OK);
    EXPECT_EQ(count, 9);
    wchar_t name[32] = {};
    EXPECT_EQ(programs->GetProgramName(0, name, 32), S_OK);
    EXPECT_STREQ(name, L"00 - Flat");
    EXPECT_EQ(programs->GetProgramName(0, name, 3), S_OK);
    EXPECT_STREQ(name, L"00");
    EXPECT_EQ(programs->GetProgramName(-1, name, 32), E_INVALIDARG);
    EXPECT_EQ(programs->GetProgramName(9, name, 32), E_INVALIDARG);
    EXPECT_EQ(programs->SelectProgram(9), E_INVALIDARG);
    EXPECT_EQ(programs->SelectProgram(-1), E_INVALIDARG);

    const std::vector<float> flat = mirror();
    ASSERT_EQ(programs->SelectProgram(8), S_OK);
    const std::vector<float> contour = mirror();
    EXPECT_NE(contour, flat);
    ASSERT_EQ(programs->SelectProgram(0), S_OK);
    EXPECT_EQ(mirror(), flat);
}

TEST_F(FilterState, AdvisedWindowsFillTwoEntriesAndDestroyedOnesAreDropped) {
    NoticeWindow first;
    NoticeWindow second;
    NoticeWindow third;
    EXPECT_EQ(parameters->AdviseWindow(first.handle(), 1), S_OK);
    EXPECT_EQ(parameters->AdviseWindow(second.handle(), 2), S_OK);
    EXPECT_EQ(parameters->AdviseWindow(third.handle(), 3), E_OUTOFMEMORY);
    EXPECT_EQ(parameters->AdviseWindow(third.handle(), 0), S_OK);
    EXPECT_EQ(parameters->AdviseWindow(first.handle(), 11), S_OK); // a new identifier
    load(record(ramp()));
    EXPECT_EQ(first.notices(), std::vector<WPARAM>{(100u << 16) | 11u});
    EXPECT_EQ(second.notices(), std::vector<WPARAM>{(100u << 16) | 2u});

    EXPECT_EQ(parameters->AdviseWindow(second.handle(), 0), S_OK); // frees its entry
    EXPECT_EQ(parameters->AdviseWindow(third.handle(), 3), S_OK);
    first.destroy();
    load(record(ramp())); // drops the destroyed window
    EXPECT_EQ(third.notices(), std::vector<WPARAM>{(100u << 16) | 3u});
    EXPECT_EQ(parameters->AdviseWindow(second.handle(), 2), S_OK);
}

TEST_F(FilterState, TheFilterAnswersItsInterfacesAndNamesItsPage) {
    ComRef<ISpecifyPropertyPages> pages =
        query<ISpecifyPropertyPages>(filter.get(), IID_ISpecifyPropertyPages);
    ASSERT_TRUE(pages);
    CAUUID list{};
    EXPECT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_EQ(list.pElems[0], kClsidEqPropertyPage);
    CoTaskMemFree(list.pElems);
    void* none = nullptr;
    EXPECT_EQ(filter->QueryInterface(IID_IMemInputPin, &none), E_NOINTERFACE);
    EXPECT_EQ(filter->QueryInterface(IID_IPersist, nullptr), E_POINTER);
    WAVEFORMATEX format{};
    EXPECT_EQ(parameters->GetFormat(&format, 0), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(parameters->GetFormat(&format, 2), VFW_E_NOT_CONNECTED);
}

/// An object that aggregates the filter, as a COM client may.
class Outer final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (iid != IID_IUnknown)
            return inner->QueryInterface(iid, result);
        *result = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    ULONG references = 1;
    IUnknown* inner = nullptr;
};

TEST(FilterCreation, AnAggregatedFilterAnswersThroughItsOuterObject) {
    EXPECT_EQ(createEqTransformFilter(nullptr, nullptr), E_POINTER);
    Outer outer;
    ASSERT_EQ(createEqTransformFilter(&outer, &outer.inner), S_OK);
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)),
              S_OK);
    EXPECT_EQ(outer.references, 2u) << "the interface's reference is the outer object's";
    IUnknown* identity = nullptr;
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    identity->Release();
    filter->Release();
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

} // namespace
} // namespace miral::dx::test
