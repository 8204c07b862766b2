#include "test_source.h"

#include "dx/framework/windows_api.h"

#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <cstring>

namespace miral::dx::test {
namespace {
/// {6B1F1E32-5C2E-4E4B-9F0D-2F3C1A7E9D02}: the source's class identifier, used by no registry.
constexpr CLSID kClsidTestSource = {
    0x6B1F1E32, 0x5C2E, 0x4E4B, {0x9F, 0x0D, 0x2F, 0x3C, 0x1A, 0x7E, 0x9D, 0x02}};
} // namespace

class TestSource::Pin final : public BaseOutputPin {
public:
    Pin(TestSource& source, long bufferBytes)
        : BaseOutputPin(source, L"Output"), bufferBytes_(bufferBytes) {}

    HRESULT checkMediaType(const AM_MEDIA_TYPE& type) override {
        const AM_MEDIA_TYPE& offered = type_.get();
        return type.majortype == offered.majortype && type.cbFormat == offered.cbFormat &&
                       (type.cbFormat == 0 ||
                        std::memcmp(type.pbFormat, offered.pbFormat, type.cbFormat) == 0)
                   ? S_OK
                   : S_FALSE;
    }
    HRESULT getMediaType(int position, MediaType& type) override {
        if (position != 0)
            return VFW_S_NO_MORE_ITEMS;
        return type.assign(type_.get());
    }
    HRESULT decideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
        ALLOCATOR_PROPERTIES wanted{2, bufferBytes_, 1, 0};
        ALLOCATOR_PROPERTIES actual{};
        const HRESULT result = allocator->SetProperties(&wanted, &actual);
        *request = actual;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override {
        qualitySender_ = sender;
        lastQuality_ = quality;
        return S_OK;
    }

    MediaType type_;
    long bufferBytes_;
    IBaseFilter* qualitySender_ = nullptr;
    Quality lastQuality_{};
};

TestSource* TestSource::create(const AM_MEDIA_TYPE& type, long bufferBytes) {
    auto* source = new TestSource(bufferBytes);
    source->NonDelegatingAddRef();
    source->pin_->type_.assign(type);
    return source;
}

TestSource::TestSource(long bufferBytes)
    : BaseFilter(nullptr, kClsidTestSource), pin_(std::make_unique<Pin>(*this, bufferBytes)) {}

TestSource::~TestSource() = default;

BasePin* TestSource::pin(int index) {
    return index == 0 ? pin_.get() : nullptr;
}
IPin* TestSource::output() {
    return pin_.get();
}

HRESULT TestSource::offer(const AM_MEDIA_TYPE& type) {
    return pin_->type_.assign(type);
}

HRESULT TestSource::send(const SampleToSend& sample) {
    ComRef<IMediaSample> buffer;
    HRESULT result = pin_->getDeliveryBuffer(buffer.put(), nullptr, nullptr, 0);
    if (FAILED(result))
        return result;
    if (long(sample.data.size()) > buffer->GetSize())
        return E_INVALIDARG;
    BYTE* bytes = nullptr;
    buffer->GetPointer(&bytes);
    if (!sample.data.empty())
        std::memcpy(bytes, sample.data.data(), sample.data.size());
    buffer->SetActualDataLength(long(sample.data.size()));
    if (sample.times) {
        REFERENCE_TIME start = sample.times->first;
        REFERENCE_TIME stop = sample.times->second;
        buffer->SetTime(&start, &stop);
    }
    if (sample.mediaTimes) {
        LONGLONG start = sample.mediaTimes->first;
        LONGLONG stop = sample.mediaTimes->second;
        buffer->SetMediaTime(&start, &stop);
    }
    buffer->SetSyncPoint(sample.syncPoint);
    buffer->SetDiscontinuity(sample.discontinuity);
    if (sample.newType != nullptr) {
        result = buffer->SetMediaType(const_cast<AM_MEDIA_TYPE*>(sample.newType));
        if (FAILED(result))
            return result;
    }
    return pin_->deliver(buffer.get());
}

IBaseFilter* TestSource::qualitySender(Quality& quality) const {
    quality = pin_->lastQuality_;
    return pin_->qualitySender_;
}

HRESULT TestSource::endOfStream() {
    return pin_->deliverEndOfStream();
}

HRESULT TestSource::flush() {
    const HRESULT result = pin_->deliverBeginFlush();
    return FAILED(result) ? result : pin_->deliverEndFlush();
}

HRESULT TestSource::newSegment(REFERENCE_TIME start) {
    return pin_->deliverNewSegment(start, MAXLONGLONG, 1.0);
}

void makeAudioType(MediaType& type, WORD tag, WORD channels, DWORD rate, WORD bits,
                   ULONG formatBytes) {
    type.clear();
    AM_MEDIA_TYPE& mt = type.get();
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = tag == WAVE_FORMAT_IEEE_FLOAT ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
    mt.formattype = FORMAT_WaveFormatEx;
    mt.bFixedSizeSamples = TRUE;
    mt.lSampleSize = ULONG(channels * bits / 8);
    WAVEFORMATEX format{
        tag, channels, rate, DWORD(rate * channels * bits / 8), WORD(channels * bits / 8), bits, 0};
    BYTE* block = type.allocateFormat(formatBytes);
    std::memcpy(block, &format, std::min<size_t>(formatBytes, sizeof(format)));
}

void makeExtensibleType(MediaType& type, bool floatSamples, WORD channels, DWORD rate, WORD bits) {
    makeAudioType(type, WAVE_FORMAT_EXTENSIBLE, channels, rate, bits, sizeof(WAVEFORMATEXTENSIBLE));
    type.get().subtype = floatSamples ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
    auto* format = reinterpret_cast<WAVEFORMATEXTENSIBLE*>(type.get().pbFormat);
    format->Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    format->Samples.wValidBitsPerSample = bits;
    format->dwChannelMask =
        channels == 1 ? SPEAKER_FRONT_CENTER : SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
    format->SubFormat = type.get().subtype; // the same GUIDs as KSDATAFORMAT_SUBTYPE_*
}

} // namespace miral::dx::test
