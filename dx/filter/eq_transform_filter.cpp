#include "eq_transform_filter.h"

#include "dx/filter/eq_transform_filter_factory.h"
#include "eq_media_types.h"

#include <new>

namespace miral::dx {
namespace {

/// The VST 2 host answers the filter gives its effect.
constexpr int32_t kAudioMasterGetLanguage = 38;
constexpr intptr_t kHostVersion = 2;
constexpr intptr_t kLanguageEnglish = 1;

/// The smallest output buffer the filter works with, in bytes.
constexpr long kMinimumOutputBuffer = 512;
/// Output buffers hold a tenth of a second when nothing else decides their size.
constexpr DWORD kDefaultBuffersPerSecond = 10;

} // namespace

// --- Input pin.

EqInputPin::EqInputPin(EqTransformFilter& filter) noexcept
    : TransformInputPin(filter, L"Input"), eqFilter_(filter) {}

HRESULT EqInputPin::checkMediaType(const AM_MEDIA_TYPE& type) {
    const HRESULT result = eqFilter_.checkInputType(type);
    if (result != S_OK)
        return result;
    TransformOutputPin* output = eqFilter_.outputPin();
    if (output == nullptr || !output->isConnected())
        return S_OK;
    if (eqFilter_.checkTransform(type, output->mediaType()) == S_OK)
        return S_OK;
    // The output would change: only if the downstream pin takes the new one.
    MediaType stereo;
    if (FAILED(makeStereoVariant(type, stereo)))
        return E_OUTOFMEMORY;
    return output->connected()->QueryAccept(&stereo.get());
}

// --- Filter.

EqTransformFilter::EqTransformFilter(IUnknown* outer, HRESULT& result) noexcept
    : TransformFilter(outer, kClsidEqFilter), host_(*owner()) {
    result = host_.openEffect(&EqTransformFilter::hostCallback, this);
}

EqTransformFilter::~EqTransformFilter() {
    host_.closeEffect();
}

HRESULT EqTransformFilter::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (iid == kIidEqParameters)
        return hand<IEqParameters>(&host_, result);
    if (iid == IID_ISpecifyPropertyPages)
        return hand<ISpecifyPropertyPages>(this, result);
    if (iid == IID_IPersistStream)
        return hand<IPersistStream>(&host_, result);
    if (iid == kIidEqPrograms)
        return hand<IEqPrograms>(&host_, result);
    if (iid == IID_IAMovieSetup)
        return hand<IAMovieSetup>(this, result);
    return TransformFilter::NonDelegatingQueryInterface(iid, result);
}

HRESULT EqTransformFilter::GetPages(CAUUID* pages) {
    if (pages == nullptr)
        return E_POINTER;
    pages->cElems = 1;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pages->pElems == nullptr)
        return E_OUTOFMEMORY;
    pages->pElems[0] = kClsidEqPropertyPage;
    return S_OK;
}

intptr_t VST2_CALL EqTransformFilter::hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                                   intptr_t, void*, float) {
    switch (opcode) {
    case audioMasterAutomate:
        // The record's user field is set once the effect exists; before that nothing is told.
        if (effect != nullptr && effect->user != nullptr)
            static_cast<EqTransformFilter*>(effect->user)->host_.pullParameter(index);
        return 0;
    case audioMasterVersion:
        return kHostVersion;
    case kAudioMasterGetLanguage:
        return kLanguageEnglish;
    default:
        return 0;
    }
}

std::unique_ptr<TransformInputPin> EqTransformFilter::createInputPin(HRESULT& result) {
    auto pin = std::unique_ptr<TransformInputPin>(new (std::nothrow) EqInputPin(*this));
    if (!pin)
        result = E_OUTOFMEMORY;
    return pin;
}

HRESULT EqTransformFilter::checkInputType(const AM_MEDIA_TYPE& input) {
    return checkEqInputType(input);
}

HRESULT EqTransformFilter::checkTransform(const AM_MEDIA_TYPE& input, const AM_MEDIA_TYPE& output) {
    return checkEqTransform(input, output);
}

HRESULT EqTransformFilter::getMediaType(int position, MediaType& type) {
    TransformInputPin* input = inputPin();
    if (input == nullptr || !input->isConnected())
        return E_UNEXPECTED;
    if (position < 0)
        return E_INVALIDARG;
    if (position > 0)
        return VFW_S_NO_MORE_ITEMS;
    return makeStereoVariant(input->mediaType(), type);
}

HRESULT EqTransformFilter::setMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE& type) {
    WAVEFORMATEX& copy = direction == PINDIR_INPUT ? inputFormat_ : outputFormat_;
    copy = normalisedWaveFormat(type);
    host_.setFormat(direction == PINDIR_INPUT ? 0 : 1, &copy);
    return S_OK;
}

HRESULT EqTransformFilter::breakConnect(PIN_DIRECTION) {
    return S_OK;
}

HRESULT EqTransformFilter::completeConnect(PIN_DIRECTION direction, IPin*) {
    if (direction == PINDIR_OUTPUT)
        return S_OK;
    TransformInputPin* input = inputPin();
    TransformOutputPin* output = outputPin();
    if (output == nullptr || !output->isConnected())
        return S_OK;
    if (checkTransform(input->mediaType(), output->mediaType()) == S_OK)
        return S_OK;
    IFilterGraph* filterGraph = graph();
    if (filterGraph == nullptr)
        return VFW_E_NOT_IN_GRAPH;
    // Naming the new output type: a graph may otherwise offer the old one again.
    ComRef<IFilterGraph2> graph2 = queryInterface<IFilterGraph2>(filterGraph, IID_IFilterGraph2);
    MediaType stereo;
    if (graph2 && SUCCEEDED(makeStereoVariant(input->mediaType(), stereo)))
        return graph2->ReconnectEx(output, &stereo.get());
    return filterGraph->Reconnect(output);
}

HRESULT EqTransformFilter::decideBufferSize(IMemAllocator* allocator,
                                            ALLOCATOR_PROPERTIES* properties) {
    if (allocator == nullptr || properties == nullptr)
        return E_POINTER;
    TransformInputPin* input = inputPin();
    if (input != nullptr && input->isConnected()) {
        ComRef<IMemAllocator> inputAllocator;
        ALLOCATOR_PROPERTIES inputProperties{};
        if (SUCCEEDED(input->GetAllocator(inputAllocator.put())) &&
            SUCCEEDED(inputAllocator->GetProperties(&inputProperties)) &&
            inputProperties.cbBuffer > 0)
            *properties = inputProperties;
    }
    // While the input's buffers are not sized yet (the output reconnects in the middle of the
    // input's connection) and nobody asks for a size, a fixed share of a second of input;
    // longer input samples are split over several output samples.
    if (properties->cbBuffer <= 0)
        properties->cbBuffer = long(inputFormat_.nAvgBytesPerSec / kDefaultBuffersPerSecond);
    if (inputFormat_.nChannels == 1 && outputFormat_.nChannels == 2)
        properties->cbBuffer *= 2;
    // An allocator refuses an alignment of 0, and with no buffer at all nothing would flow.
    if (properties->cbAlign < 1)
        properties->cbAlign = 1;
    if (properties->cBuffers < 1)
        properties->cBuffers = 1;

    ALLOCATOR_PROPERTIES actual{};
    const HRESULT result = allocator->SetProperties(properties, &actual);
    if (FAILED(result))
        return result;
    *properties = actual;
    return actual.cbBuffer < kMinimumOutputBuffer ? E_FAIL : result;
}

HRESULT EqTransformFilter::startStreaming() {
    return host_.beginStreaming(&inputFormat_, &outputFormat_);
}

HRESULT EqTransformFilter::stopStreaming() {
    return host_.endStreaming();
}

HRESULT EqTransformFilter::endFlush() {
    {
        ScopedLock streaming(streamingLock());
        host_.clearStreamState();
    }
    return TransformFilter::endFlush();
}

HRESULT EqTransformFilter::receive(IMediaSample* input) {
    TransformOutputPin* output = outputPin();
    const long inAlign = inputFormat_.nBlockAlign;
    const long outAlign = outputFormat_.nBlockAlign;
    if (output == nullptr || inAlign == 0 || outAlign == 0)
        return E_UNEXPECTED;

    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool timed = input->GetTime(&start, &stop) == S_OK; // VFW_S_NO_STOP_TIME: no times
    ComRef<IMediaSample> out;
    HRESULT result =
        output->getDeliveryBuffer(out.put(), timed ? &start : nullptr, timed ? &stop : nullptr, 0);
    if (FAILED(result))
        return result;
    out->SetTime(timed ? &start : nullptr, timed ? &stop : nullptr);
    out->SetSyncPoint(input->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(input->IsDiscontinuity() == S_OK);
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    if (input->GetMediaTime(&mediaStart, &mediaStop) == S_OK)
        out->SetMediaTime(&mediaStart, &mediaStop);
    else
        out->SetMediaTime(nullptr, nullptr);

    BYTE* source = nullptr;
    result = input->GetPointer(&source);
    if (FAILED(result))
        return result;
    long remaining = input->GetActualDataLength();
    for (;;) {
        BYTE* target = nullptr;
        result = out->GetPointer(&target);
        if (FAILED(result))
            break;
        long outFrames = out->GetSize() / outAlign;
        long inFrames = remaining / inAlign; // whole frames only
        result = inputFormat_.wFormatTag == kTagPcm
                     ? host_.processPcm16(source, inFrames, target, outFrames)
                     : host_.processFloat32(source, inFrames, target, outFrames);
        if (FAILED(result))
            break;
        result = out->SetActualDataLength(outFrames * outAlign);
        if (FAILED(result))
            break;
        result = output->deliver(out.get());
        if (FAILED(result))
            break;

        const long consumed = inFrames * inAlign;
        // Ends once less than one whole input frame is left: a partial frame is dropped.
        if (remaining - consumed < inAlign)
            break;
        if (consumed == 0) { // an output buffer smaller than a frame would never get further
            result = E_FAIL;
            break;
        }
        source += consumed;
        remaining -= consumed;
        result = output->getDeliveryBuffer(out.put(), nullptr, nullptr, 0);
        if (FAILED(result))
            break;
        out->SetTime(nullptr, nullptr);
        out->SetSyncPoint(FALSE);
        out->SetDiscontinuity(FALSE);
        out->SetMediaTime(nullptr, nullptr);
    }
    return result;
}

// --- Creation.

HRESULT createEqTransformFilter(IUnknown* outer, IUnknown** result) noexcept {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    HRESULT created = S_OK;
    auto* filter = makeComObject<EqTransformFilter>(outer, created);
    if (filter == nullptr)
        return E_OUTOFMEMORY;
    if (FAILED(created)) {
        filter->NonDelegatingRelease(); // destroys it
        return E_OUTOFMEMORY;
    }
    *result = filter->nonDelegatingUnknown();
    return S_OK;
}

} // namespace miral::dx
