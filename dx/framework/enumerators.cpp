#include "dx/framework/enumerators.h"

#include "dx/framework/base_filter.h"
#include "dx/framework/base_pin.h"
#include "dx/framework/com_object.h"

#include <new>

namespace miral::dx {
namespace {

class PinEnumerator final : public ComClass<IEnumPins> {
public:
    PinEnumerator(BaseFilter& filter, ULONG position) noexcept
        : ComClass(nullptr), filter_(filter), position_(position) {
        filter_.AddRef();
    }
    ~PinEnumerator() override { filter_.Release(); }

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == IID_IEnumPins) return hand<IEnumPins>(this, result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override {
        if (pins == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
        ULONG taken = 0;
        {
            ScopedLock lock(filter_.filterLock());
            const ULONG available = static_cast<ULONG>(filter_.pinCount());
            while (taken < count && position_ < available) {
                BasePin* pin = filter_.pin(static_cast<int>(position_++));
                if (pin == nullptr) continue;
                pin->AddRef();
                pins[taken++] = pin;
            }
        }
        if (fetched != nullptr) *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        ScopedLock lock(filter_.filterLock());
        const ULONG available = static_cast<ULONG>(filter_.pinCount());
        if (position_ + count > available) {
            position_ = available;
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** clone) override {
        if (clone == nullptr) return E_POINTER;
        *clone = createPinEnumerator(filter_, position_);
        return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    BaseFilter& filter_;
    ULONG position_;
};

class MediaTypeEnumerator final : public ComClass<IEnumMediaTypes> {
public:
    MediaTypeEnumerator(BasePin& pin, ULONG position) noexcept
        : ComClass(nullptr), pin_(pin), position_(position) {
        pin_.AddRef();
    }
    ~MediaTypeEnumerator() override { pin_.Release(); }

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == IID_IEnumMediaTypes)
            return hand<IEnumMediaTypes>(this, result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
        if (types == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
        ULONG taken = 0;
        while (taken < count) {
            MediaType type;
            if (pin_.getMediaType(static_cast<int>(position_), type) != S_OK) break;
            AM_MEDIA_TYPE* copy = createMediaTypeCopy(type.get());
            if (copy == nullptr) break;
            ++position_;
            types[taken++] = copy;
        }
        if (fetched != nullptr) *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        for (ULONG i = 0; i < count; ++i) {
            MediaType type;
            if (pin_.getMediaType(static_cast<int>(position_), type) != S_OK) return S_FALSE;
            ++position_;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** clone) override {
        if (clone == nullptr) return E_POINTER;
        *clone = createMediaTypeEnumerator(pin_, position_);
        return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    BasePin& pin_;
    ULONG position_;
};

template <class Object, class Interface, class Source>
Interface* createEnumerator(Source& source, ULONG position) noexcept {
    auto* object = new (std::nothrow) Object(source, position);
    if (object == nullptr) return nullptr;
    object->NonDelegatingAddRef();
    return object;
}

} // namespace

IEnumPins* createPinEnumerator(BaseFilter& filter, ULONG position) noexcept {
    return createEnumerator<PinEnumerator, IEnumPins>(filter, position);
}

IEnumMediaTypes* createMediaTypeEnumerator(BasePin& pin, ULONG position) noexcept {
    return createEnumerator<MediaTypeEnumerator, IEnumMediaTypes>(pin, position);
}

} // namespace miral::dx
