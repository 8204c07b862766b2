#include "dx/com_base/class_factory.h"

#include "dx/framework/com_object.h"

#include <new>

namespace miral::dx {
namespace {

class ClassFactory final : public ComClass<IClassFactory> {
public:
    explicit ClassFactory(CreateObjectFunction create) noexcept
        : ComClass(nullptr), create_(create) {}

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result != nullptr && iid == IID_IClassFactory)
            return hand(static_cast<IClassFactory*>(this), result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        *result = nullptr;
        // An aggregating object must hold the inner object's own IUnknown.
        if (outer != nullptr && iid != IID_IUnknown)
            return CLASS_E_NOAGGREGATION;
        IUnknown* object = nullptr;
        const HRESULT created = create_(outer, &object);
        if (FAILED(created))
            return created;
        const HRESULT answer = object->QueryInterface(iid, result);
        object->Release();
        return answer;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        ModuleUsage::lockServer(lock != FALSE);
        return S_OK;
    }

private:
    CreateObjectFunction create_;
};

} // namespace

HRESULT getClassObject(std::span<const ServerClass> classes, REFCLSID clsid, REFIID iid,
                       void** result) noexcept {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    for (const ServerClass& entry : classes) {
        if (*entry.clsid != clsid)
            continue;
        auto* factory = makeComObject<ClassFactory>(entry.create);
        if (factory == nullptr)
            return E_OUTOFMEMORY;
        const HRESULT answer = factory->NonDelegatingQueryInterface(iid, result);
        factory->NonDelegatingRelease();
        return answer;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace miral::dx
