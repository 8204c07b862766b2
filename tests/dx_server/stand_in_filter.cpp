// A stand-in for the filter, linked into the server library until the real filter's library
// replaces it: a COM object with the filter's class identifier that owns a ParametricEqEdit,
// keeps a parameter mirror that follows the editor's automation, advises windows, loads a
// 124-byte stream record, and names the property page.
#include "dx/eq_interfaces.h"
#include "dx/eq_transform_filter_factory.h"
#include "dx/framework/com_object.h"
#include "plugin/parametric_eq_edit.h"

#include <strmif.h>
#include <vfwmsgs.h>

#include <array>
#include <cstring>
#include <new>

namespace miral::dx {
namespace {

constexpr ULONG kRecordSize = 124;

class StandInFilter final
    : public ComClass<IEqParameters, IEqPrograms, IPersistStream, ISpecifyPropertyPages> {
public:
    /// Takes the effect, which effClose deletes.
    StandInFilter(IUnknown* outer, ParametricEqEdit* plugin)
        : ComClass(outer), effect_(plugin->getAeffect()) {
        AEffect* effect = effect_;
        effect->user = this;
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        for (int i = 0; i < kEqParameterCount; ++i)
            mirror_[size_t(i)] = effect->getParameter(effect, i);
    }
    ~StandInFilter() override {
        AEffect* effect = effect_;
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override {
        if (result == nullptr)
            return E_POINTER;
        if (iid == kIidEqParameters)
            return hand(static_cast<IEqParameters*>(this), result);
        if (iid == kIidEqPrograms)
            return hand(static_cast<IEqPrograms*>(this), result);
        if (iid == IID_IPersistStream || iid == IID_IPersist)
            return hand(static_cast<IPersistStream*>(this), result);
        if (iid == IID_ISpecifyPropertyPages)
            return hand(static_cast<ISpecifyPropertyPages*>(this), result);
        return ComObject::NonDelegatingQueryInterface(iid, result);
    }

    // IEqParameters: what the page uses.
    HRESULT STDMETHODCALLTYPE GetParameters(float* values) override {
        std::memcpy(values, mirror_.data(), sizeof(mirror_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetParameters(const float* values) override {
        AEffect* effect = effect_;
        for (int i = 0; i < kEqParameterCount; ++i)
            effect->setParameter(effect, i, mirror_[size_t(i)] = values[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(WAVEFORMATEX*, long) override {
        return VFW_E_NOT_CONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetEffect(AEffect** effect) override {
        *effect = effect_;
        return S_OK;
    }
    float STDMETHODCALLTYPE GetParameter(long index) override {
        return index >= 0 && index < kEqParameterCount ? mirror_[size_t(index)] : 0.0f;
    }
    HRESULT STDMETHODCALLTYPE SetParameter(long index, float value) override {
        if (index >= 0 && index < kEqParameterCount)
            mirror_[size_t(index)] = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AdviseWindow(HWND window, long identifier) override {
        for (Advised& entry : advised_)
            if (entry.window == window || entry.window == nullptr) {
                entry = identifier != 0 ? Advised{window, identifier} : Advised{};
                return S_OK;
            }
        return identifier != 0 ? E_OUTOFMEMORY : S_OK;
    }

    // IEqPrograms
    HRESULT STDMETHODCALLTYPE GetProgramCount(long* count) override {
        *count = effect_->numPrograms;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProgramName(long, wchar_t*, long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectProgram(long) override { return E_NOTIMPL; }

    // IPersistStream: loads the record's 26 values and tells the advised windows.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        *clsid = kClsidEqFilter;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
        std::array<unsigned char, kRecordSize> record{};
        ULONG read = 0;
        if (stream == nullptr || stream->Read(record.data(), kRecordSize, &read) != S_OK ||
            read != kRecordSize)
            return E_FAIL;
        std::array<float, kEqParameterCount> values{};
        std::memcpy(values.data(), record.data() + 20, sizeof(values));
        SetParameters(values.data());
        for (const Advised& entry : advised_)
            if (entry.window != nullptr)
                PostMessageW(entry.window, WM_COMMAND,
                             WPARAM(kNotifyParamsLoaded << 16 | (entry.identifier & 0xFFFF)), 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
        size->QuadPart = kRecordSize;
        return S_OK;
    }

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override {
        pages->cElems = 1;
        pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
        if (pages->pElems == nullptr)
            return E_OUTOFMEMORY;
        pages->pElems[0] = kClsidEqPropertyPage;
        return S_OK;
    }

    /// The editor's edits reach the mirror.
    static intptr_t VST2_CALL hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t,
                                           void*, float) {
        if (effect == nullptr || effect->user == nullptr)
            return opcode == audioMasterVersion ? 2 : 0;
        auto* filter = static_cast<StandInFilter*>(effect->user);
        if (opcode == audioMasterAutomate && index >= 0 && index < kEqParameterCount)
            filter->mirror_[size_t(index)] = effect->getParameter(effect, index);
        return opcode == audioMasterVersion ? 2 : 0;
    }

private:
    struct Advised {
        HWND window = nullptr;
        long identifier = 0;
    };

    AEffect* effect_;
    std::array<float, kEqParameterCount> mirror_{};
    std::array<Advised, 2> advised_{};
};

} // namespace

HRESULT createEqTransformFilter(IUnknown* outer, IUnknown** result) noexcept {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    StandInFilter* filter = nullptr;
    try {
        filter = new StandInFilter(outer, new ParametricEqEdit(StandInFilter::hostCallback));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    filter->NonDelegatingAddRef();
    *result = filter->nonDelegatingUnknown();
    return S_OK;
}

} // namespace miral::dx
