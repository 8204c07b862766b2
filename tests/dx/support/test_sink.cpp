#include "test_sink.h"

#include "dx/framework/windows_api.h"

#include <evcode.h>
#include <uuids.h>

#include <algorithm>
#include <vector>

namespace miral::dx::test {
namespace {
/// {6B1F1E32-5C2E-4E4B-9F0D-2F3C1A7E9D01}: the sink's class identifier, used by no registry.
constexpr CLSID kClsidTestSink = {
    0x6B1F1E32, 0x5C2E, 0x4E4B, {0x9F, 0x0D, 0x2F, 0x3C, 0x1A, 0x7E, 0x9D, 0x01}};
} // namespace

namespace {

/// {6B1F1E32-5C2E-4E4B-9F0D-2F3C1A7E9D03}: answered only by the sink's guarded samples.
constexpr IID kIidGuardedSample = {
    0x6B1F1E32, 0x5C2E, 0x4E4B, {0x9F, 0x0D, 0x2F, 0x3C, 0x1A, 0x7E, 0x9D, 0x03}};

/// Bytes written after the visible end of each buffer, checked when the sample arrives.
constexpr long kGuardBytes = 64;
constexpr BYTE kGuardByte = 0xA5;

/// A sample whose buffer shows `size` bytes of a larger one, the rest a guard pattern.
class GuardedSample final : public ComClass<IMediaSample> {
public:
    static IMediaSample* create(ComRef<IMediaSample> inner, long size) {
        auto* sample = new GuardedSample(std::move(inner), size);
        sample->NonDelegatingAddRef();
        BYTE* bytes = nullptr;
        sample->inner_->GetPointer(&bytes);
        std::fill(bytes + size, bytes + size + kGuardBytes, kGuardByte);
        return sample;
    }
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == IID_IMediaSample)
            return hand<IMediaSample>(this, result);
        if (result != nullptr && iid == kIidGuardedSample) {
            NonDelegatingAddRef();
            *result = this;
            return S_OK;
        }
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }
    /// The guarded sample behind `sample`, or null for any other sample.
    static GuardedSample* from(IMediaSample* sample) {
        GuardedSample* guarded = nullptr;
        if (FAILED(sample->QueryInterface(kIidGuardedSample, reinterpret_cast<void**>(&guarded))))
            return nullptr;
        guarded->Release();
        return guarded;
    }

    bool guardIntact() const {
        BYTE* bytes = nullptr;
        inner_->GetPointer(&bytes);
        return std::all_of(bytes + size_, bytes + size_ + kGuardBytes,
                           [](BYTE b) { return b == kGuardByte; });
    }

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** bytes) override {
        return inner_->GetPointer(bytes);
    }
    long STDMETHODCALLTYPE GetSize() override { return size_; }
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
        return inner_->GetTime(start, stop);
    }
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
        return inner_->SetTime(start, stop);
    }
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return inner_->IsSyncPoint(); }
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL value) override {
        return inner_->SetSyncPoint(value);
    }
    HRESULT STDMETHODCALLTYPE IsPreroll() override { return inner_->IsPreroll(); }
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL value) override { return inner_->SetPreroll(value); }
    long STDMETHODCALLTYPE GetActualDataLength() override { return inner_->GetActualDataLength(); }
    HRESULT STDMETHODCALLTYPE SetActualDataLength(long length) override {
        return length < 0 || length > size_ ? VFW_E_BUFFER_OVERFLOW
                                            : inner_->SetActualDataLength(length);
    }
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** type) override {
        return inner_->GetMediaType(type);
    }
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* type) override {
        return inner_->SetMediaType(type);
    }
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return inner_->IsDiscontinuity(); }
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL value) override {
        return inner_->SetDiscontinuity(value);
    }
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* start, LONGLONG* stop) override {
        return inner_->GetMediaTime(start, stop);
    }
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* start, LONGLONG* stop) override {
        return inner_->SetMediaTime(start, stop);
    }

private:
    GuardedSample(ComRef<IMediaSample> inner, long size)
        : ComClass(nullptr), inner_(std::move(inner)), size_(size) {}
    ComRef<IMediaSample> inner_;
    long size_;
};

/// An allocator that grants at most `cap` bytes per buffer, whatever it is asked for, and
/// hands out buffers of exactly the granted size followed by a guard pattern. It remembers
/// every size it was asked for.
class CappedAllocator final : public ComClass<IMemAllocator> {
public:
    static IMemAllocator* create(ComRef<IMemAllocator> inner, long cap,
                                 std::vector<long>* requests) {
        auto* allocator = new CappedAllocator(std::move(inner), cap, requests);
        allocator->NonDelegatingAddRef();
        return allocator;
    }
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == IID_IMemAllocator)
            return hand<IMemAllocator>(this, result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request,
                                            ALLOCATOR_PROPERTIES* actual) override {
        requests_->push_back(request->cbBuffer);
        if (request->cbBuffer <= 0)
            return E_INVALIDARG;
        ALLOCATOR_PROPERTIES capped = *request;
        capped.cbBuffer = std::min(capped.cbBuffer, cap_) + kGuardBytes;
        const HRESULT result = inner_->SetProperties(&capped, actual);
        actual->cbBuffer -= kGuardBytes;
        size_ = actual->cbBuffer;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* properties) override {
        const HRESULT result = inner_->GetProperties(properties);
        properties->cbBuffer -= kGuardBytes;
        return result;
    }
    HRESULT STDMETHODCALLTYPE Commit() override { return inner_->Commit(); }
    HRESULT STDMETHODCALLTYPE Decommit() override { return inner_->Decommit(); }
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                        REFERENCE_TIME* stop, DWORD flags) override {
        ComRef<IMediaSample> inner;
        const HRESULT result = inner_->GetBuffer(inner.put(), start, stop, flags);
        if (FAILED(result))
            return result;
        *sample = GuardedSample::create(std::move(inner), size_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample*) override { return E_NOTIMPL; }

private:
    CappedAllocator(ComRef<IMemAllocator> inner, long cap, std::vector<long>* requests)
        : ComClass(nullptr), inner_(std::move(inner)), cap_(cap), requests_(requests) {}
    ComRef<IMemAllocator> inner_;
    long cap_;
    std::vector<long>* requests_;
    long size_ = 0;
};

} // namespace

class TestSink::Pin final : public BaseInputPin {
public:
    explicit Pin(TestSink& sink) : BaseInputPin(sink, L"Input"), sink_(sink) {}

    HRESULT checkMediaType(const AM_MEDIA_TYPE& type) override {
        ++sink_.checking_;
        if (DWORD delay = sink_.checkDelayMs_.load())
            Sleep(delay);
        HRESULT result = S_OK;
        {
            std::lock_guard<std::mutex> lock(sink_.mutex_);
            if (sink_.accept_)
                result = sink_.accept_(type) ? S_OK : S_FALSE;
            else
                result = type.majortype == MEDIATYPE_Audio ? S_OK : S_FALSE;
        }
        --sink_.checking_;
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* wanted) override {
        std::lock_guard<std::mutex> lock(sink_.mutex_);
        if (!sink_.requirements_)
            return E_NOTIMPL;
        *wanted = *sink_.requirements_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override {
        long cap = 0;
        {
            std::lock_guard<std::mutex> lock(sink_.mutex_);
            cap = sink_.bufferCap_;
        }
        if (cap == 0)
            return VFW_E_NO_ALLOCATOR;
        ComRef<IMemAllocator> inner;
        const HRESULT result =
            CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IMemAllocator, inner.putVoid());
        if (FAILED(result))
            return result;
        *allocator = CappedAllocator::create(std::move(inner), cap, &sink_.allocatorRequests_);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override {
        const HRESULT result = BaseInputPin::Receive(sample);
        if (result != S_OK)
            return result;
        if (DWORD delay = sink_.delayMs_.load())
            Sleep(delay);
        if (sink_.blocking_.load()) {
            ++sink_.blockedReceives_;
            WaitForSingleObject(sink_.release_, INFINITE);
        }
        ReceivedSample received;
        received.format = *reinterpret_cast<const WAVEFORMATEX*>(mediaType().pbFormat);
        AM_MEDIA_TYPE* carried = nullptr;
        if (sample->GetMediaType(&carried) == S_OK && carried != nullptr) {
            received.typeChanged = true;
            deleteMediaType(carried);
        }
        if (GuardedSample* guarded = GuardedSample::from(sample))
            received.guardIntact = guarded->guardIntact();
        BYTE* bytes = nullptr;
        sample->GetPointer(&bytes);
        received.data.assign(bytes, bytes + sample->GetActualDataLength());
        received.timed = sample->GetTime(&received.start, &received.stop) == S_OK;
        received.syncPoint = sample->IsSyncPoint() == S_OK;
        received.discontinuity = sample->IsDiscontinuity() == S_OK;
        received.mediaTimed =
            sample->GetMediaTime(&received.mediaStart, &received.mediaStop) == S_OK;
        received.size = sample->GetSize();
        std::lock_guard<std::mutex> lock(sink_.mutex_);
        sink_.samples_.push_back(std::move(received));
        sink_.events_.push_back({StreamEvent::Sample, sink_.samples_.size() - 1, 0});
        return sink_.samples_.size() >= sink_.enoughSamples_ ? S_FALSE : S_OK;
    }

    HRESULT STDMETHODCALLTYPE EndOfStream() override {
        const HRESULT result = BaseInputPin::EndOfStream();
        if (result != S_OK)
            return result;
        {
            std::lock_guard<std::mutex> lock(sink_.mutex_);
            sink_.events_.push_back({StreamEvent::EndOfStream, 0, 0});
            sink_.ended_ = true;
        }
        sink_.completeIfEnded();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE BeginFlush() override {
        BaseInputPin::BeginFlush();
        std::lock_guard<std::mutex> lock(sink_.mutex_);
        sink_.events_.push_back({StreamEvent::BeginFlush, 0, 0});
        sink_.ended_ = sink_.completed_ = false;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE EndFlush() override {
        BaseInputPin::EndFlush();
        std::lock_guard<std::mutex> lock(sink_.mutex_);
        sink_.events_.push_back({StreamEvent::EndFlush, 0, 0});
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) override {
        BaseInputPin::NewSegment(start, stop, rate);
        std::lock_guard<std::mutex> lock(sink_.mutex_);
        sink_.events_.push_back({StreamEvent::NewSegment, 0, start});
        return S_OK;
    }

    HRESULT inactive() override {
        SetEvent(sink_.release_); // a stopping renderer lets a waiting Receive go
        return BaseInputPin::inactive();
    }

private:
    TestSink& sink_;
};

TestSink* TestSink::create() {
    auto* sink = new TestSink();
    sink->NonDelegatingAddRef();
    return sink;
}

TestSink::TestSink()
    : BaseFilter(nullptr, kClsidTestSink), pin_(std::make_unique<Pin>(*this)),
      seeking_(*owner(), *pin_), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::atomic<int> TestSink::destroyedWhileChecking{0};

TestSink::~TestSink() {
    if (checking_.load() > 0)
        ++destroyedWhileChecking;
    CloseHandle(release_);
}

void TestSink::blockReceives() {
    ResetEvent(release_);
    blocking_ = true;
}

void TestSink::releaseReceives() {
    blocking_ = false;
    SetEvent(release_);
}

IMemAllocator* TestSink::allocator() {
    return pin_->allocator();
}

std::vector<long> TestSink::allocatorRequests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return allocatorRequests_;
}

HRESULT TestSink::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (iid == IID_IAMFilterMiscFlags)
        return hand<IAMFilterMiscFlags>(this, result);
    if (iid == IID_IMediaSeeking)
        return hand<IMediaSeeking>(seeking_.asSeeking(), result);
    if (iid == IID_IMediaPosition)
        return hand<IMediaPosition>(seeking_.asPosition(), result);
    return BaseFilter::NonDelegatingQueryInterface(iid, result);
}

HRESULT TestSink::Run(REFERENCE_TIME start) {
    const HRESULT result = BaseFilter::Run(start);
    completeIfEnded();
    return result;
}

void TestSink::completeIfEnded() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!ended_ || completed_ || state() != State_Running)
            return;
        completed_ = true;
    }
    notifyEvent(EC_COMPLETE, S_OK, 0);
}

BasePin* TestSink::pin(int index) {
    return index == 0 ? pin_.get() : nullptr;
}
IPin* TestSink::input() {
    return pin_.get();
}

void TestSink::accept(std::function<bool(const AM_MEDIA_TYPE&)> predicate) {
    std::lock_guard<std::mutex> lock(mutex_);
    accept_ = std::move(predicate);
}

void TestSink::wantNoMoreAfter(size_t samples) {
    std::lock_guard<std::mutex> lock(mutex_);
    enoughSamples_ = samples;
}

void TestSink::require(const ALLOCATOR_PROPERTIES& wanted) {
    std::lock_guard<std::mutex> lock(mutex_);
    requirements_ = wanted;
}

void TestSink::capBuffers(long bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    bufferCap_ = bytes;
}

std::vector<ReceivedSample> TestSink::samples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

std::vector<StreamEvent> TestSink::events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<BYTE> TestSink::data() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<BYTE> all;
    for (const ReceivedSample& sample : samples_)
        all.insert(all.end(), sample.data.begin(), sample.data.end());
    return all;
}

void TestSink::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    samples_.clear();
    events_.clear();
}

const AM_MEDIA_TYPE& TestSink::connectionType() {
    return pin_->mediaType();
}

std::vector<int32_t> blockLengths(const std::vector<ReceivedSample>& samples, size_t frameBytes) {
    std::vector<int32_t> blocks;
    for (const ReceivedSample& sample : samples)
        blocks.push_back(int32_t(sample.data.size() / frameBytes));
    return blocks;
}

} // namespace miral::dx::test
