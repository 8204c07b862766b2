#include "page_frame.h"

#include <mutex>
#include <vector>

namespace miral::dx::test {
namespace {
std::mutex probesLock;
std::vector<DispatchProbe*> probes;
std::vector<AEffect*> probedEffects;
} // namespace

DispatchProbe::DispatchProbe(AEffect* effect) : effect_(effect), original_(effect->dispatcher) {
    const std::lock_guard lock(probesLock);
    probes.push_back(this);
    probedEffects.push_back(effect);
    effect->dispatcher = dispatch;
}

DispatchProbe::~DispatchProbe() {
    const std::lock_guard lock(probesLock);
    effect_->dispatcher = original_;
    for (size_t i = 0; i < probes.size(); ++i)
        if (probes[i] == this) {
            probes.erase(probes.begin() + long(i));
            probedEffects.erase(probedEffects.begin() + long(i));
            break;
        }
}

intptr_t VST2_CALL DispatchProbe::dispatch(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt) {
    DispatchProbe* probe = nullptr;
    {
        const std::lock_guard lock(probesLock);
        for (size_t i = 0; i < probes.size(); ++i)
            if (probedEffects[i] == effect)
                probe = probes[i];
    }
    return probe->forward(opcode, index, value, ptr, opt);
}

intptr_t DispatchProbe::forward(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    switch (opcode) {
    case effEditOpen:
        ++opens_;
        editorThread_ = GetCurrentThreadId();
        open_ = true;
        break;
    case effEditClose:
        ++closes_;
        if (GetCurrentThreadId() != editorThread_)
            ++misplacedCloses_;
        closing_ = true;
        break;
    case effEditIdle:
        ++idles_;
        if (!open_ || closing_ || GetCurrentThreadId() != editorThread_)
            ++misplacedIdles_;
        break;
    case effSetEditKnobMode:
        knobMode_ = int(value);
        break;
    default:
        break;
    }
    const intptr_t answer = original_(effect_, opcode, index, value, ptr, opt);
    if (opcode == effEditClose) {
        open_ = false;
        closing_ = false;
    }
    return answer;
}

FilterWithPage FilterWithPage::create() {
    FilterWithPage made;
    CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     made.filter.putVoid());
    made.parameters = queryInterface<IEqParameters>(made.filter.get(), kIidEqParameters);
    if (!made.parameters || made.parameters->GetEffect(&made.effect) != S_OK)
        return made;
    made.probe = std::make_unique<DispatchProbe>(made.effect);
    CoCreateInstance(kClsidEqPropertyPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                     made.page.putVoid());
    IUnknown* objects[] = {made.filter.get()};
    if (made.page)
        made.page->SetObjects(1, objects);
    return made;
}

HRESULT FilterWithPage::activate(HWND frame) {
    const RECT area{0, 0, 420, 290};
    const HRESULT activated = page->Activate(frame, &area, TRUE);
    return SUCCEEDED(activated) ? page->Show(SW_SHOW) : activated;
}

HWND FilterWithPage::pageWindow(HWND frame) {
    return GetWindow(frame, GW_CHILD);
}

HWND FilterWithPage::editorWindow(HWND frame) {
    const HWND page = pageWindow(frame);
    return page != nullptr ? GetWindow(page, GW_CHILD) : nullptr;
}

} // namespace miral::dx::test
