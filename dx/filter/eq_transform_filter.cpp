#include "eq_transform_filter.h"

#include "dx/filter/eq_transform_filter_factory.h"
#include "eq_media_types.h"
#include "split_times.h"

#include <cstring>
#include <limits>
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
    if (output == nullptr)
        return S_OK;
    // The output's peer and type are taken under the filter lock, the peer held: another
    // thread may disconnect the output meanwhile.
    ComRef<IPin> downstream;
    MediaType outputType;
    {
        ScopedLock lock(eqFilter_.filterLock());
        downstream = ComRef<IPin>::share(output->connected());
        if (downstream && FAILED(output->currentMediaType(outputType)))
            return E_OUTOFMEMORY;
    }
    if (!downstream || eqFilter_.checkTransform(type, outputType.get()) == S_OK)
        return S_OK;
    // The output would change: only if the downstream pin takes the new one.
    MediaType stereo;
    if (FAILED(makeStereoVariant(type, stereo)))
        return E_OUTOFMEMORY;
    return downstream->QueryAccept(&stereo.get());
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
        return hand<IEqParameters>(&host_.parameters(), result);
    if (iid == IID_ISpecifyPropertyPages)
        return hand<ISpecifyPropertyPages>(this, result);
    if (iid == IID_IPersistStream)
        return hand<IPersistStream>(&host_.persistence(), result);
    if (iid == kIidEqPrograms)
        return hand<IEqPrograms>(&host_.programs(), result);
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
            static_cast<EqTransformFilter*>(effect->user)->host_.parameters().pullParameter(index);
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
    // A copy: the streaming thread may replace the input's type meanwhile.
    MediaType inputType;
    if (FAILED(input->currentMediaType(inputType)))
        return E_OUTOFMEMORY;
    return makeStereoVariant(inputType.get(), type);
}

HRESULT EqTransformFilter::setMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE& type) {
    const bool isInput = direction == PINDIR_INPUT;
    WAVEFORMATEX& copy = isInput ? inputFormat_ : outputFormat_;
    copy = normalisedWaveFormat(type);
    if (!isInput)
        outputTypeChanged_ = false; // a new output type: the connection's, or one to announce
    host_.parameters().setFormat(isInput ? kInputFormat : kOutputFormat, &copy);
    return S_OK;
}

HRESULT EqTransformFilter::breakConnect(PIN_DIRECTION direction) {
    if (direction == PINDIR_OUTPUT)
        outputTypeChanged_ = false;
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
    // The size of the input's buffers when they are agreed (the allocator the upstream pin
    // chose; none is made here), else the downstream pin's request. While neither is known
    // (the output reconnects in the middle of the input's connection), a fixed share of a
    // second of input; longer input samples are split over several output samples. Sizes are
    // computed in 64 bits: a request that does not fit an allocator's long is refused.
    TransformInputPin* input = inputPin();
    int64_t bytes = properties->cbBuffer;
    ALLOCATOR_PROPERTIES inputProperties{};
    if (input != nullptr && input->isConnected() && input->allocator() != nullptr &&
        SUCCEEDED(input->allocator()->GetProperties(&inputProperties)) &&
        inputProperties.cbBuffer > 0) {
        bytes = inputProperties.cbBuffer;
        if (properties->cBuffers < 1)
            properties->cBuffers = inputProperties.cBuffers;
    }
    if (bytes <= 0)
        bytes = int64_t(inputFormat_.nAvgBytesPerSec) / kDefaultBuffersPerSecond;
    if (inputFormat_.nChannels == 1 && outputFormat_.nChannels == 2)
        bytes *= 2;
    if (bytes > std::numeric_limits<long>::max())
        return E_OUTOFMEMORY;
    properties->cbBuffer = long(bytes);
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

uint32_t EqTransformFilter::outputBufferFrames() {
    TransformOutputPin* output = outputPin();
    ALLOCATOR_PROPERTIES properties{};
    if (output == nullptr || output->allocator() == nullptr || outputFormat_.nBlockAlign == 0 ||
        FAILED(output->allocator()->GetProperties(&properties)) || properties.cbBuffer <= 0)
        return 0;
    return uint32_t(properties.cbBuffer / outputFormat_.nBlockAlign);
}

HRESULT EqTransformFilter::startStreaming() {
    // The channel buffers are made here, off the streaming thread, for the longest block an
    // output buffer takes.
    return host_.stream().begin(&inputFormat_, &outputFormat_, outputBufferFrames());
}

HRESULT EqTransformFilter::stopStreaming() {
    return host_.stream().end();
}

HRESULT EqTransformFilter::endFlush() {
    {
        const StreamingHold hold(*this);
        finishPendingStop();
        if (streaming()) // a stopped effect stays suspended
            host_.stream().clearState();
    }
    return TransformFilter::endFlush();
}

HRESULT EqTransformFilter::receiveMediaType(const AM_MEDIA_TYPE& type) {
    TransformInputPin* input = inputPin();
    TransformOutputPin* output = outputPin();
    if (input == nullptr || output == nullptr || !output->isConnected())
        return VFW_E_NOT_CONNECTED;
    if (checkInputType(type) != S_OK)
        return VFW_E_INVALIDMEDIATYPE;
    const WAVEFORMATEX previous = inputFormat_;
    // Both pins change or neither: the output's type as it was, to go back to.
    MediaType previousOutput;
    const bool wasChanged = outputTypeChanged_;
    if (checkTransform(type, output->mediaType()) != S_OK) {
        // The output changes with it: only to a type the downstream pin takes now, which the
        // next delivered sample then carries.
        MediaType stereo;
        if (FAILED(makeStereoVariant(type, stereo)) ||
            FAILED(previousOutput.assign(output->mediaType())))
            return E_OUTOFMEMORY;
        if (output->connected()->QueryAccept(&stereo.get()) != S_OK)
            return VFW_E_TYPE_NOT_ACCEPTED;
        HRESULT result = pendingOutputType_.assign(stereo.get());
        if (SUCCEEDED(result))
            result = output->setMediaType(stereo.get());
        if (FAILED(result))
            return result;
        outputTypeChanged_ = true;
    }
    const HRESULT result = input->setMediaType(type);
    if (FAILED(result)) {
        // Back to the output type there was, still to be announced if it was.
        if (previousOutput.get().majortype != GUID_NULL &&
            SUCCEEDED(output->setMediaType(previousOutput.get())) && wasChanged &&
            SUCCEEDED(pendingOutputType_.assign(previousOutput.get())))
            outputTypeChanged_ = true;
        return result;
    }
    // A new format is a new stream: states cleared, the rate announced.
    if (std::memcmp(&previous, &inputFormat_, sizeof(previous)) != 0 && streaming())
        host_.stream().restart();
    return S_OK;
}

HRESULT EqTransformFilter::outputSample(ComRef<IMediaSample>& sample, REFERENCE_TIME* start,
                                        REFERENCE_TIME* stop) {
    HRESULT result = outputPin()->getDeliveryBuffer(sample.put(), start, stop, 0);
    if (SUCCEEDED(result) && outputTypeChanged_)
        result = sample->SetMediaType(&pendingOutputType_.get());
    return result;
}

HRESULT EqTransformFilter::processInto(IMediaSample& sample, const BYTE* source, long& frames) {
    BYTE* target = nullptr;
    HRESULT result = sample.GetPointer(&target);
    if (FAILED(result))
        return result;
    long outFrames = sample.GetSize() / outputFormat_.nBlockAlign;
    StreamProcessor& stream = host_.stream();
    result = inputFormat_.wFormatTag == kTagPcm
                 ? stream.processPcm16(source, frames, target, outFrames)
                 : stream.processFloat32(source, frames, target, outFrames);
    return FAILED(result) ? result
                          : sample.SetActualDataLength(outFrames * outputFormat_.nBlockAlign);
}

HRESULT EqTransformFilter::receive(IMediaSample* input) {
    TransformOutputPin* output = outputPin();
    const long inAlign = inputFormat_.nBlockAlign;
    if (output == nullptr || inAlign == 0 || outputFormat_.nBlockAlign == 0)
        return E_UNEXPECTED;
    BYTE* source = nullptr;
    HRESULT result = input->GetPointer(&source);
    if (FAILED(result))
        return result;
    const long frames = input->GetActualDataLength() / inAlign; // a partial frame is dropped
    const SplitTimes times(*input, frames);

    // One output sample after another until every frame is out; an empty input still gives
    // one, with the input's times and flags.
    std::optional<SplitTimes::Span> whole = times.times(0, frames);
    long done = 0;
    do {
        ComRef<IMediaSample> out;
        result = done == 0 && whole ? outputSample(out, &whole->first, &whole->second)
                                    : outputSample(out, nullptr, nullptr);
        if (FAILED(result))
            return result;
        long part = frames - done;
        result = processInto(*out.get(), source + done * inAlign, part);
        if (FAILED(result))
            return result;
        if (part == 0 && done < frames)
            return E_FAIL; // an output buffer smaller than a frame would never get further

        std::optional<SplitTimes::Span> own = times.times(done, part);
        std::optional<SplitTimes::Span> media = times.mediaTimes(done, part);
        out->SetTime(own ? &own->first : nullptr, own ? &own->second : nullptr);
        out->SetMediaTime(media ? &media->first : nullptr, media ? &media->second : nullptr);
        out->SetSyncPoint(done == 0 && input->IsSyncPoint() == S_OK);
        out->SetDiscontinuity(done == 0 && input->IsDiscontinuity() == S_OK);

        result = output->deliver(out.get());
        if (FAILED(result))
            return result;
        outputTypeChanged_ = false; // the downstream pin has it
        if (result != S_OK)
            return result; // S_FALSE: the downstream pin wants no more
        done += part;
    } while (done < frames);
    return S_OK;
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
