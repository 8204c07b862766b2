#include "eq_effect_host.h"

#include "engine/params.h"
#include "platform/display_scale.h"
#include "plugin/parametric_eq_edit.h"
#include "program_snapshot_table.h"

namespace miral::dx {
namespace {

/// The rate and block length announced when the effect is created.
constexpr float kInitialRate = 44100.0f;
constexpr intptr_t kInitialBlock = 64;

static_assert(kEqParameterCount == kNumParams, "the mirror holds every parameter of the engine");

} // namespace

EqEffectHost::EqEffectHost(IUnknown& owner) noexcept
    : parameters_(owner), programs_(owner, parameters_), persistence_(owner, parameters_),
      stream_(parameters_) {}

EqEffectHost::~EqEffectHost() {
    closeEffect();
}

void EqEffectHost::attach(AEffect* effect) noexcept {
    effect_ = effect;
    parameters_.attach(effect);
    programs_.attach(effect);
    stream_.attach(effect);
}

HRESULT EqEffectHost::openEffect(audioMasterCallback callback, void* user) noexcept {
    try {
        // The filter's library carries the later toolkit generation.
        object_ = new ParametricEqEdit(callback, miral::toolkit::ToolkitGeneration::kLater);
    } catch (...) {
        object_ = nullptr;
        return E_OUTOFMEMORY;
    }
    // The property page shows the editor at the screen's scale, which its window may refine.
    object_->setEditorScale(miral::platform::desktopScale());
    object_->followWindowScale();
    AEffect* effect = object_->getAeffect();
    effect->user = user;
    attach(effect);
    auto dispatch = [effect](int32_t opcode, intptr_t value = 0, float opt = 0.0f) {
        effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
    };
    dispatch(effOpen);
    dispatch(effMainsChanged, 0);
    dispatch(effSetSampleRate, 0, kInitialRate);
    dispatch(effSetBlockSize, kInitialBlock);
    dispatch(effMainsChanged, 1);

    const ProgramSnapshotTable* table = nullptr;
    try {
        table = &ProgramSnapshotTable::obtain(*effect_);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (effect_->numPrograms > 0 && table->count() > 0)
        parameters_.SetParameters(table->entry(0).values);
    return S_OK;
}

void EqEffectHost::closeEffect() noexcept {
    if (effect_ == nullptr)
        return;
    AEffect* effect = effect_;
    attach(nullptr);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); // the effect deletes itself
    object_ = nullptr;
}

} // namespace miral::dx
