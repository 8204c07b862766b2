#include "dx/framework/com_object.h"

namespace miral::dx {

namespace {
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};
} // namespace

void ModuleUsage::objectCreated() noexcept {
    ++liveObjects;
}
void ModuleUsage::objectDestroyed() noexcept {
    --liveObjects;
}
void ModuleUsage::lockServer(bool lock) noexcept {
    lock ? ++serverLocks : --serverLocks;
}
bool ModuleUsage::inUse() noexcept {
    return liveObjects.load() != 0 || serverLocks.load() != 0;
}

ComObject::ComObject(IUnknown* outer) noexcept
    : owner_(outer != nullptr ? outer : nonDelegatingUnknown()) {
    ModuleUsage::objectCreated();
}

ComObject::~ComObject() {
    ModuleUsage::objectDestroyed();
}

HRESULT ComObject::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (iid != IID_IUnknown)
        return E_NOINTERFACE;
    NonDelegatingAddRef();
    *result = nonDelegatingUnknown();
    return S_OK;
}

ULONG ComObject::NonDelegatingAddRef() {
    return ++references_;
}

ULONG ComObject::NonDelegatingRelease() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

} // namespace miral::dx
