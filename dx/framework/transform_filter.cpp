#include "dx/framework/transform_filter.h"

#include <new>

namespace miral::dx {

// --- Input pin.

TransformInputPin::TransformInputPin(TransformFilter& filter, const wchar_t* name) noexcept
    : BaseInputPin(filter, name), filter_(filter) {}

HRESULT TransformInputPin::Receive(IMediaSample* sample) {
    const TransformFilter::StreamingHold hold(filter_);
    HRESULT result = BaseInputPin::Receive(sample);
    if (result == S_OK)
        result = filter_.receive(sample);
    return result;
}

HRESULT TransformInputPin::receiveMediaType(const AM_MEDIA_TYPE& type) {
    return filter_.receiveMediaType(type);
}

HRESULT TransformInputPin::EndOfStream() {
    {
        const TransformFilter::StreamingHold hold(filter_);
        filter_.finishPendingStop();
        const HRESULT result = checkStreaming();
        if (result != S_OK)
            return result;
    }
    return filter_.endOfStream();
}

HRESULT TransformInputPin::BeginFlush() {
    // No streaming lock: a receive may be waiting downstream, and the flush is what frees it.
    if (!isConnected())
        return VFW_E_NOT_CONNECTED;
    BaseInputPin::BeginFlush();
    return filter_.beginFlush();
}

HRESULT TransformInputPin::EndFlush() {
    if (!isConnected())
        return VFW_E_NOT_CONNECTED;
    const HRESULT result = filter_.endFlush();
    BaseInputPin::EndFlush();
    return result;
}

HRESULT TransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    BasePin::NewSegment(start, stop, rate);
    return filter_.newSegment(start, stop, rate);
}

HRESULT TransformInputPin::checkMediaType(const AM_MEDIA_TYPE& type) {
    HRESULT result = filter_.checkInputType(type);
    if (result != S_OK)
        return result;
    TransformOutputPin* output = filter_.outputPin();
    if (output != nullptr && output->isConnected())
        result = filter_.checkTransform(type, output->mediaType());
    return result;
}

HRESULT TransformInputPin::setMediaType(const AM_MEDIA_TYPE& type) {
    const HRESULT result = BaseInputPin::setMediaType(type);
    return FAILED(result) ? result : filter_.setMediaType(PINDIR_INPUT, type);
}

HRESULT TransformInputPin::checkConnect(IPin* peer) {
    const HRESULT result = BaseInputPin::checkConnect(peer);
    return FAILED(result) ? result : filter_.checkConnect(PINDIR_INPUT, peer);
}

HRESULT TransformInputPin::breakConnect() {
    filter_.breakConnect(PINDIR_INPUT);
    return BaseInputPin::breakConnect();
}

HRESULT TransformInputPin::completeConnect(IPin* peer) {
    const HRESULT result = BaseInputPin::completeConnect(peer);
    return FAILED(result) ? result : filter_.completeConnect(PINDIR_INPUT, peer);
}

// --- Output pin.

TransformOutputPin::TransformOutputPin(TransformFilter& filter, BasePin& input,
                                       const wchar_t* name) noexcept
    : BaseOutputPin(filter, name), filter_(filter), seeking_(*static_cast<IPin*>(this), input) {}

HRESULT TransformOutputPin::queryOtherInterface(REFIID iid, void** result) {
    if (iid == IID_IMediaSeeking) {
        *result = seeking_.asSeeking();
    } else if (iid == IID_IMediaPosition || iid == IID_IDispatch) {
        *result = seeking_.asPosition();
    } else {
        return BaseOutputPin::queryOtherInterface(iid, result);
    }
    AddRef();
    return S_OK;
}

HRESULT TransformOutputPin::Notify(IBaseFilter*, Quality quality) {
    const HRESULT altered = filter_.alterQuality(quality);
    if (altered != S_FALSE)
        return altered;
    if (IQualityControl* sink = qualitySink())
        return sink->Notify(filter_.asBaseFilter(), quality);
    TransformInputPin* input = filter_.inputPin();
    IPin* upstream = input != nullptr ? input->connected() : nullptr;
    if (upstream == nullptr)
        return VFW_E_NOT_FOUND;
    ComRef<IQualityControl> control =
        queryInterface<IQualityControl>(upstream, IID_IQualityControl);
    return control ? control->Notify(filter_.asBaseFilter(), quality) : VFW_E_NOT_FOUND;
}

HRESULT TransformOutputPin::checkMediaType(const AM_MEDIA_TYPE& type) {
    TransformInputPin* input = filter_.inputPin();
    if (input == nullptr || !input->isConnected())
        return E_UNEXPECTED;
    // A copy: the streaming thread may replace the input's type meanwhile.
    MediaType inputType;
    if (FAILED(input->currentMediaType(inputType)))
        return E_OUTOFMEMORY;
    return filter_.checkTransform(inputType.get(), type);
}

HRESULT TransformOutputPin::getMediaType(int position, MediaType& type) {
    TransformInputPin* input = filter_.inputPin();
    if (input == nullptr || !input->isConnected())
        return E_UNEXPECTED;
    return filter_.getMediaType(position, type);
}

HRESULT TransformOutputPin::setMediaType(const AM_MEDIA_TYPE& type) {
    const HRESULT result = BaseOutputPin::setMediaType(type);
    return FAILED(result) ? result : filter_.setMediaType(PINDIR_OUTPUT, type);
}

HRESULT TransformOutputPin::checkConnect(IPin* peer) {
    const HRESULT result = BaseOutputPin::checkConnect(peer);
    return FAILED(result) ? result : filter_.checkConnect(PINDIR_OUTPUT, peer);
}

HRESULT TransformOutputPin::breakConnect() {
    filter_.breakConnect(PINDIR_OUTPUT);
    return BaseOutputPin::breakConnect();
}

HRESULT TransformOutputPin::completeConnect(IPin* peer) {
    const HRESULT result = BaseOutputPin::completeConnect(peer);
    return FAILED(result) ? result : filter_.completeConnect(PINDIR_OUTPUT, peer);
}

HRESULT TransformOutputPin::decideBufferSize(IMemAllocator* allocator,
                                             ALLOCATOR_PROPERTIES* properties) {
    return filter_.decideBufferSize(allocator, properties);
}

// --- Filter.

TransformFilter::TransformFilter(IUnknown* outer, const CLSID& classId) noexcept
    : BaseFilter(outer, classId) {}

TransformFilter::~TransformFilter() {
    output_.reset();
    input_.reset();
}

void TransformFilter::makePins() {
    ScopedLock lock(filterLock());
    HRESULT result = S_OK;
    if (!input_) {
        input_ = createInputPin(result);
        if (FAILED(result))
            input_.reset();
    }
    if (input_ && !output_) {
        result = S_OK;
        output_ = createOutputPin(result);
        if (FAILED(result))
            output_.reset();
    }
}

std::unique_ptr<TransformInputPin> TransformFilter::createInputPin(HRESULT& result) {
    auto pin =
        std::unique_ptr<TransformInputPin>(new (std::nothrow) TransformInputPin(*this, L"Input"));
    if (!pin)
        result = E_OUTOFMEMORY;
    return pin;
}

std::unique_ptr<TransformOutputPin> TransformFilter::createOutputPin(HRESULT& result) {
    auto pin = std::unique_ptr<TransformOutputPin>(
        new (std::nothrow) TransformOutputPin(*this, *input_, L"Output"));
    if (!pin)
        result = E_OUTOFMEMORY;
    return pin;
}

BasePin* TransformFilter::pin(int index) {
    if (index == 0)
        return inputPin();
    if (index == 1)
        return outputPin();
    return nullptr;
}

TransformInputPin* TransformFilter::inputPin() {
    if (!input_)
        makePins();
    return input_.get();
}

TransformOutputPin* TransformFilter::outputPin() {
    if (!output_)
        makePins();
    return output_.get();
}

HRESULT TransformFilter::Stop() {
    ScopedLock lock(filterLock());
    if (state() == State_Stopped)
        return S_OK;
    TransformInputPin* input = inputPin();
    TransformOutputPin* output = outputPin();
    // The input refuses samples and releases a thread waiting for an input buffer; the output
    // decommits, which releases a receive waiting for an output buffer. A receive may still be
    // busy (in a downstream Receive that waits for something else): the stop of the processing
    // is then left to it, so that Stop returns at once whatever the streaming thread does.
    if (input != nullptr && input->isConnected())
        input->inactive();
    if (output != nullptr && output->isConnected())
        output->inactive();
    stopPending_.store(true);
    HRESULT result = S_OK;
    if (streamingLock_.tryEnter()) {
        result = finishPendingStop();
        streamingLock_.leave();
    }
    setState(State_Stopped);
    return result;
}

TransformFilter::StreamingHold::StreamingHold(TransformFilter& filter) noexcept : filter_(filter) {
    filter_.streamingLock_.enter();
}

TransformFilter::StreamingHold::~StreamingHold() {
    filter_.leaveStreaming();
}

void TransformFilter::leaveStreaming() noexcept {
    finishPendingStop();
    streamingLock_.leave();
    // A Stop between the check above and the leave found the lock held: whoever holds it
    // next, or this thread now, ends the streaming.
    if (stopPending_.load() && streamingLock_.tryEnter()) {
        finishPendingStop();
        streamingLock_.leave();
    }
}

bool TransformFilter::streamStillRunning() noexcept {
    if (!streamingLock_.tryEnter())
        return true;
    streamingLock_.leave();
    return false;
}

HRESULT TransformFilter::finishPendingStop() {
    if (!stopPending_.exchange(false) || !streaming_)
        return S_OK;
    streaming_ = false;
    return stopStreaming();
}

HRESULT TransformFilter::Pause() {
    ScopedLock lock(filterLock());
    if (state() == State_Stopped) {
        TransformInputPin* input = inputPin();
        TransformOutputPin* output = outputPin();
        const bool inputConnected = input != nullptr && input->isConnected();
        const bool outputConnected = output != nullptr && output->isConnected();
        if (!inputConnected) {
            // Nothing will arrive: the stream downstream ends at once.
            if (outputConnected) {
                const HRESULT result = output->active();
                if (FAILED(result))
                    return result;
                output->deliverEndOfStream();
            }
        } else if (outputConnected) {
            HRESULT result = output->active();
            if (FAILED(result))
                return result;
            input->active();
            {
                ScopedLock streaming(streamingLock_);
                finishPendingStop();
                result = startStreaming();
                streaming_ = SUCCEEDED(result);
            }
            if (FAILED(result)) {
                input->inactive();
                output->inactive();
                return result;
            }
        } else {
            input->active();
        }
    }
    setState(State_Paused);
    return S_OK;
}

HRESULT TransformFilter::receiveMediaType(const AM_MEDIA_TYPE& type) {
    TransformInputPin* input = inputPin();
    if (input == nullptr || input->checkMediaType(type) != S_OK)
        return VFW_E_INVALIDMEDIATYPE;
    return input->setMediaType(type);
}

HRESULT TransformFilter::setMediaType(PIN_DIRECTION, const AM_MEDIA_TYPE&) {
    return S_OK;
}
HRESULT TransformFilter::checkConnect(PIN_DIRECTION, IPin*) {
    return S_OK;
}
HRESULT TransformFilter::breakConnect(PIN_DIRECTION) {
    return S_OK;
}
HRESULT TransformFilter::completeConnect(PIN_DIRECTION, IPin*) {
    return S_OK;
}
HRESULT TransformFilter::startStreaming() {
    return S_OK;
}
HRESULT TransformFilter::stopStreaming() {
    return S_OK;
}

HRESULT TransformFilter::endOfStream() {
    TransformOutputPin* output = outputPin();
    return output != nullptr ? output->deliverEndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT TransformFilter::beginFlush() {
    TransformOutputPin* output = outputPin();
    return output != nullptr ? output->deliverBeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT TransformFilter::endFlush() {
    TransformOutputPin* output = outputPin();
    return output != nullptr ? output->deliverEndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT TransformFilter::newSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    TransformOutputPin* output = outputPin();
    return output != nullptr ? output->deliverNewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

HRESULT TransformFilter::alterQuality(const Quality&) {
    return S_FALSE;
}

} // namespace miral::dx
