#include "dx/framework/enumerators.h"

#include "dx/framework/base_filter.h"
#include "dx/framework/base_pin.h"
#include "dx/framework/com_object.h"

#include <new>

namespace miral::dx {
namespace {

/// The pins of a filter, each handed out with a reference.
struct PinItems {
    using Interface = IEnumPins;
    using Item = IPin*;
    using Source = BaseFilter;
    static const IID& iid() { return IID_IEnumPins; }
    /// The item at `position` into *item (when item is not null); false past the last one.
    static bool fetch(BaseFilter& filter, ULONG position, IPin** item) {
        ScopedLock lock(filter.filterLock());
        BasePin* pin = position < ULONG(filter.pinCount()) ? filter.pin(int(position)) : nullptr;
        if (pin == nullptr)
            return false;
        if (item != nullptr) {
            pin->AddRef();
            *item = pin;
        }
        return true;
    }
};

/// The preferred media types of a pin, each handed out as a copy for the caller to delete.
struct MediaTypeItems {
    using Interface = IEnumMediaTypes;
    using Item = AM_MEDIA_TYPE*;
    using Source = BasePin;
    static const IID& iid() { return IID_IEnumMediaTypes; }
    static bool fetch(BasePin& pin, ULONG position, AM_MEDIA_TYPE** item) {
        MediaType type;
        if (pin.getMediaType(int(position), type) != S_OK)
            return false;
        if (item == nullptr)
            return true;
        *item = createMediaTypeCopy(type.get());
        return *item != nullptr;
    }
};

/// An enumerator over the items of a source by position; holds a reference to the source.
template <class Items> class Enumerator final : public ComClass<typename Items::Interface> {
public:
    using Source = typename Items::Source;
    using Item = typename Items::Item;

    static typename Items::Interface* create(Source& source, ULONG position) noexcept {
        return makeComObject<Enumerator>(source, position);
    }

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == Items::iid())
            return ComObject::hand<typename Items::Interface>(this, result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override {
        if (items == nullptr || (count != 1 && fetched == nullptr))
            return E_POINTER;
        ULONG taken = 0;
        while (taken < count && Items::fetch(source_, position_, &items[taken])) {
            ++position_;
            ++taken;
        }
        if (fetched != nullptr)
            *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        for (ULONG i = 0; i < count; ++i, ++position_)
            if (!Items::fetch(source_, position_, nullptr))
                return S_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(typename Items::Interface** clone) override {
        if (clone == nullptr)
            return E_POINTER;
        *clone = create(source_, position_);
        return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    // Public for makeComObject; create() is the way in.
    Enumerator(Source& source, ULONG position) noexcept
        : ComClass<typename Items::Interface>(nullptr), source_(source), position_(position) {
        source_.AddRef();
    }

private:
    ~Enumerator() override { source_.Release(); }

    Source& source_;
    ULONG position_;
};

} // namespace

IEnumPins* createPinEnumerator(BaseFilter& filter, ULONG position) noexcept {
    return Enumerator<PinItems>::create(filter, position);
}

IEnumMediaTypes* createMediaTypeEnumerator(BasePin& pin, ULONG position) noexcept {
    return Enumerator<MediaTypeItems>::create(pin, position);
}

} // namespace miral::dx
