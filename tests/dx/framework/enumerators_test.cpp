// The enumerators a filter and its pins hand out, as COM callers use them: Next with and
// without a count of what it fetched, the end, Skip, Reset and Clone, the references they hold
// and the media types they hand out as the caller's own copies.
#include "dx/framework/base_filter.h"
#include "dx/framework/base_pin.h"
#include "dx/framework/com_object.h"
#include "dx/framework/com_ref.h"
#include "dx/framework/media_type.h"

#include <gtest/gtest.h>

#include <uuids.h>

namespace miral::dx {
namespace {

constexpr DWORD kFirstRate = 44100;

/// A pin that proposes `typeCount` PCM types of rates kFirstRate, kFirstRate + 1, ...
class StandInPin final : public BasePin {
public:
    StandInPin(BaseFilter& filter, const wchar_t* id, PIN_DIRECTION direction, int typeCount)
        : BasePin(filter, id, id, direction), typeCount_(typeCount) {}

    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT checkMediaType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT getMediaType(int position, MediaType& type) override {
        if (position < 0 || position >= typeCount_)
            return VFW_S_NO_MORE_ITEMS;
        type.clear();
        type.get().majortype = MEDIATYPE_Audio;
        type.get().subtype = MEDIASUBTYPE_PCM;
        type.get().formattype = FORMAT_WaveFormatEx;
        auto* format = reinterpret_cast<WAVEFORMATEX*>(type.allocateFormat(sizeof(WAVEFORMATEX)));
        if (format == nullptr)
            return E_OUTOFMEMORY;
        format->nSamplesPerSec = kFirstRate + DWORD(position);
        return S_OK;
    }

private:
    int typeCount_;
};

class StandInFilter final : public BaseFilter {
public:
    StandInFilter() noexcept
        : BaseFilter(nullptr, CLSID_NULL), input(*this, L"In", PINDIR_INPUT, 3),
          output(*this, L"Out", PINDIR_OUTPUT, 0) {}
    int pinCount() override { return 2; }
    BasePin* pin(int index) override {
        return index == 0 ? &input : index == 1 ? &output : nullptr;
    }

    StandInPin input;
    StandInPin output;
};

/// The filter's reference count, read by taking and giving back one reference.
ULONG referencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class Enumerators : public ::testing::Test {
protected:
    ComRef<StandInFilter> filter = ComRef<StandInFilter>::adopt(makeComObject<StandInFilter>());
};

TEST_F(Enumerators, PinsComeInOrderWithAReferenceEachAndTheEndIsSFalse) {
    ASSERT_NE(filter.get(), nullptr);
    const ULONG alone = referencesOf(filter->asBaseFilter());
    ComRef<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(pins.put()), S_OK);
    EXPECT_EQ(referencesOf(filter->asBaseFilter()), alone + 1) << "the enumerator holds one";

    IPin* got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(pins->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0], static_cast<IPin*>(&filter->input));
    EXPECT_EQ(got[1], static_cast<IPin*>(&filter->output));
    EXPECT_EQ(referencesOf(filter->asBaseFilter()), alone + 3) << "and each pin handed out one";
    got[0]->Release();
    got[1]->Release();

    EXPECT_EQ(pins->Next(1, got, nullptr), S_FALSE) << "one at the end, no count wanted";
    EXPECT_EQ(pins->Next(2, got, nullptr), E_POINTER) << "more than one needs a count";
    EXPECT_EQ(pins->Next(1, nullptr, &fetched), E_POINTER);

    pins.reset();
    EXPECT_EQ(referencesOf(filter->asBaseFilter()), alone);
}

TEST_F(Enumerators, SkipResetAndCloneMovePositionsApart) {
    ComRef<IEnumPins> pins;
    ASSERT_EQ(filter->EnumPins(pins.put()), S_OK);
    EXPECT_EQ(pins->Skip(0), S_OK);
    EXPECT_EQ(pins->Skip(1), S_OK);

    ComRef<IEnumPins> clone;
    ASSERT_EQ(pins->Clone(clone.put()), S_OK);
    EXPECT_EQ(pins->Clone(nullptr), E_POINTER);
    for (IEnumPins* enumerator : {pins.get(), clone.get()}) {
        ComRef<IPin> next;
        ASSERT_EQ(enumerator->Next(1, next.put(), nullptr), S_OK) << "each at the second pin";
        EXPECT_EQ(next.get(), static_cast<IPin*>(&filter->output));
    }
    EXPECT_EQ(pins->Skip(1), S_FALSE) << "past the end";
    EXPECT_EQ(pins->Reset(), S_OK);
    ComRef<IPin> first;
    ASSERT_EQ(pins->Next(1, first.put(), nullptr), S_OK);
    EXPECT_EQ(first.get(), static_cast<IPin*>(&filter->input));
}

TEST_F(Enumerators, MediaTypesAreTheCallersOwnCopies) {
    ComRef<IEnumMediaTypes> types;
    ASSERT_EQ(filter->input.EnumMediaTypes(types.put()), S_OK);
    AM_MEDIA_TYPE* got[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(types->Next(4, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 3u);
    for (ULONG i = 0; i < fetched; ++i) {
        const WAVEFORMATEX* format = waveFormatOf(*got[i]);
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->nSamplesPerSec, kFirstRate + i);
        deleteMediaType(got[i]);
    }

    ComRef<IEnumMediaTypes> none;
    ASSERT_EQ(filter->output.EnumMediaTypes(none.put()), S_OK);
    EXPECT_EQ(none->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

} // namespace
} // namespace miral::dx
