// Media types as owned values: copies own their format block and hold the pUnk reference, and
// a format block is read as a wave format only when it is one and is large enough.
#include "dx/framework/media_type.h"

#include <gtest/gtest.h>

#include <uuids.h>

#include <cstring>

namespace miral::dx {
namespace {

/// An IUnknown that counts its references.
class CountedUnknown final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** result) override {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};

TEST(MediaType, CopiesOwnTheirFormatBlockAndHoldThePUnkReference) {
    CountedUnknown unknown;
    WAVEFORMATEX wave{};
    wave.nSamplesPerSec = 48000;
    AM_MEDIA_TYPE source{};
    source.majortype = MEDIATYPE_Audio;
    source.formattype = FORMAT_WaveFormatEx;
    source.pUnk = &unknown;
    source.cbFormat = sizeof(wave);
    source.pbFormat = reinterpret_cast<BYTE*>(&wave);
    {
        MediaType copy;
        ASSERT_EQ(copy.assign(source), S_OK);
        EXPECT_EQ(unknown.references, 2u);
        EXPECT_NE(copy.get().pbFormat, source.pbFormat);
        wave.nSamplesPerSec = 1;
        EXPECT_EQ(waveFormatOf(copy.get())->nSamplesPerSec, 48000u);

        AM_MEDIA_TYPE* handedOut = createMediaTypeCopy(copy.get());
        ASSERT_NE(handedOut, nullptr);
        EXPECT_EQ(unknown.references, 3u);
        deleteMediaType(handedOut);
        EXPECT_EQ(unknown.references, 2u);

        ASSERT_EQ(copy.assign(copy.get()), S_OK) << "assigning itself keeps it";
        EXPECT_EQ(unknown.references, 2u);
        EXPECT_EQ(waveFormatOf(copy.get())->nSamplesPerSec, 48000u);
    }
    EXPECT_EQ(unknown.references, 1u);

    source.pUnk = nullptr;
    source.pbFormat = nullptr; // a caller's size without a block: nothing to copy
    MediaType copy;
    ASSERT_EQ(copy.assign(source), S_OK);
    EXPECT_EQ(copy.get().pbFormat, nullptr);
    EXPECT_EQ(copy.get().cbFormat, 0u);
}

TEST(MediaType, AFormatBlockIsAWaveFormatOnlyWhenItSaysSoAndHoldsOne) {
    BYTE block[sizeof(WAVEFORMATEX)] = {};
    struct Case {
        const char* what;
        GUID formatType;
        ULONG size;
        bool withBlock;
        bool read;
    };
    const Case cases[] = {
        {"a whole WAVEFORMATEX", FORMAT_WaveFormatEx, sizeof(WAVEFORMATEX), true, true},
        {"a PCMWAVEFORMAT (16 bytes)", FORMAT_WaveFormatEx, sizeof(PCMWAVEFORMAT), true, true},
        {"one byte short of it", FORMAT_WaveFormatEx, sizeof(PCMWAVEFORMAT) - 1, true, false},
        {"a size without a block", FORMAT_WaveFormatEx, sizeof(WAVEFORMATEX), false, false},
        {"another format type", FORMAT_VideoInfo, sizeof(WAVEFORMATEX), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AM_MEDIA_TYPE type{};
        type.formattype = c.formatType;
        type.cbFormat = c.size;
        type.pbFormat = c.withBlock ? block : nullptr;
        EXPECT_EQ(waveFormatOf(type) != nullptr, c.read);
    }
}

} // namespace
} // namespace miral::dx
