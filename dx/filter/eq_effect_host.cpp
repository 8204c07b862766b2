#include "eq_effect_host.h"

#include "dx/filter/sample_conversion.h"
#include "dx/filter/stream_record.h"
#include "engine/params.h"
#include "platform/display_scale.h"
#include "plugin/parametric_eq_edit.h"
#include "program_snapshot_table.h"

#include <vfwmsgs.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <span>

namespace miral::dx {
namespace {

/// The rate and block length announced when the effect is created.
constexpr uint32_t kInitialRateHz = 44100;
constexpr uint32_t kInitialBlock = 64;
constexpr float kInitialRate = 44100.0f;

enum FormatSlot { kInputFormat = 0, kOutputFormat = 1 };

/// A value as the effect may receive it: below 0 and not a number give 0, above 1 gives 1.
float clampParameter(float value) noexcept {
    if (!(value >= 0.0f))
        return 0.0f; // also NaN
    return value > 1.0f ? 1.0f : value;
}

bool validParameterIndex(long index) noexcept {
    return index >= 0 && index < kEqParameterCount;
}

static_assert(kEqParameterCount == kNumParams, "the mirror holds every parameter of the engine");
static_assert(kStreamRecordValueCount == kEqParameterCount, "the record holds the mirror");

/// The bytes of a GUID as Windows lays it out in memory.
constexpr std::array<uint8_t, 16> guidBytes(const GUID& guid) noexcept {
    return {uint8_t(guid.Data1),
            uint8_t(guid.Data1 >> 8),
            uint8_t(guid.Data1 >> 16),
            uint8_t(guid.Data1 >> 24),
            uint8_t(guid.Data2),
            uint8_t(guid.Data2 >> 8),
            uint8_t(guid.Data3),
            uint8_t(guid.Data3 >> 8),
            guid.Data4[0],
            guid.Data4[1],
            guid.Data4[2],
            guid.Data4[3],
            guid.Data4[4],
            guid.Data4[5],
            guid.Data4[6],
            guid.Data4[7]};
}
static_assert(guidBytes(kIidEqParameters) == kStreamRecordIdentifier,
              "the record carries the parameter interface's identifier");

/// Reads exactly `bytes` bytes, as many Read calls as the stream needs. A stream that ends
/// first (a Read that delivers nothing, or answers S_FALSE) gives E_FAIL; read errors are
/// passed back.
HRESULT readExactly(IStream& stream, BYTE* target, ULONG bytes) noexcept {
    ULONG done = 0;
    while (done < bytes) {
        ULONG got = 0;
        const HRESULT result = stream.Read(target + done, bytes - done, &got);
        if (FAILED(result))
            return result;
        if (got > bytes - done)
            return E_FAIL;
        done += got;
        if (done < bytes && (got == 0 || result == S_FALSE))
            return E_FAIL;
    }
    return S_OK;
}

} // namespace

EqEffectHost::EqEffectHost(IUnknown& owner) noexcept
    : owner_(owner), announcedRate_(kInitialRateHz), announcedBlock_(kInitialBlock) {
    for (auto& value : params_)
        value.store(0.0f);
}

EqEffectHost::~EqEffectHost() {
    closeEffect();
}

intptr_t EqEffectHost::dispatch(int32_t opcode, int32_t index, intptr_t value, float opt) noexcept {
    return effect_->dispatcher(effect_, opcode, index, value, nullptr, opt);
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
    effect_ = object_->getAeffect();
    effect_->user = user;
    dispatch(effOpen);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetSampleRate, 0, 0, kInitialRate);
    dispatch(effSetBlockSize, 0, kInitialBlock);
    dispatch(effMainsChanged, 0, 1);

    const ProgramSnapshotTable* table = nullptr;
    try {
        table = &ProgramSnapshotTable::obtain(*effect_);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (effect_->numPrograms > 0 && table->count() > 0)
        SetParameters(table->entry(0).values);
    return S_OK;
}

void EqEffectHost::closeEffect() noexcept {
    if (effect_ == nullptr)
        return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose); // the effect deletes itself
    effect_ = nullptr;
    object_ = nullptr;
}

// --- IUnknown.

HRESULT EqEffectHost::QueryInterface(REFIID iid, void** result) {
    return owner_.QueryInterface(iid, result);
}
ULONG EqEffectHost::AddRef() {
    return owner_.AddRef();
}
ULONG EqEffectHost::Release() {
    return owner_.Release();
}

// --- The mirror.

void EqEffectHost::pullParameter(int32_t index) noexcept {
    if (effect_ == nullptr || !validParameterIndex(index))
        return;
    params_[static_cast<size_t>(index)].store(effect_->getParameter(effect_, index));
}

void EqEffectHost::applyParameters(const float* values) noexcept {
    unsaved_.store(true);
    for (int i = 0; i < kEqParameterCount; ++i)
        params_[static_cast<size_t>(i)].store(clampParameter(values[i]));
    if (effect_ == nullptr)
        return;
    for (int i = 0; i < kEqParameterCount; ++i)
        effect_->setParameter(effect_, i, params_[static_cast<size_t>(i)].load());
}

HRESULT EqEffectHost::GetParameters(float* values) {
    if (values == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    for (int i = 0; i < kEqParameterCount; ++i)
        values[i] = params_[static_cast<size_t>(i)].load();
    for (int i = 0; i < kEqParameterCount; ++i)
        pullParameter(i);
    return S_OK;
}

HRESULT EqEffectHost::SetParameters(const float* values) {
    if (values == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    applyParameters(values);
    return S_OK;
}

HRESULT EqEffectHost::GetFormat(WAVEFORMATEX* format, long which) {
    if (format == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    if ((which != kInputFormat && which != kOutputFormat) || !formatSet_[size_t(which)])
        return VFW_E_NOT_CONNECTED;
    *format = formats_[size_t(which)];
    return S_OK;
}

HRESULT EqEffectHost::GetEffect(AEffect** effect) {
    if (effect == nullptr)
        return E_POINTER;
    *effect = effect_;
    return S_OK;
}

float EqEffectHost::GetParameter(long index) {
    return validParameterIndex(index) ? params_[static_cast<size_t>(index)].load() : 0.0f;
}

HRESULT EqEffectHost::SetParameter(long index, float value) {
    if (!validParameterIndex(index))
        return E_INVALIDARG; // a write that cannot be kept is not reported as kept
    // The value reaches the effect too, clamped like every other write, so that the next
    // refresh of the mirror from the effect keeps it.
    ScopedLock lock(lock_);
    const float clamped = clampParameter(value);
    params_[static_cast<size_t>(index)].store(clamped);
    unsaved_.store(true);
    if (effect_ != nullptr)
        effect_->setParameter(effect_, index, clamped);
    return S_OK;
}

HRESULT EqEffectHost::AdviseWindow(HWND window, long identifier) {
    ScopedLock lock(lock_);
    AdvisedWindow* chosen = nullptr;
    for (AdvisedWindow& entry : windows_)
        if (entry.window != nullptr && entry.window == window)
            chosen = &entry;
    if (chosen == nullptr) {
        // A free entry, the second preferred.
        for (auto entry = windows_.rbegin(); entry != windows_.rend() && chosen == nullptr; ++entry)
            if (entry->window == nullptr)
                chosen = &*entry;
    }
    if (chosen == nullptr)
        return identifier != 0 ? E_OUTOFMEMORY : S_OK;
    chosen->identifier = identifier;
    chosen->window = identifier != 0 ? window : nullptr;
    return S_OK;
}

void EqEffectHost::notifyWindows(int code) noexcept {
    ScopedLock lock(lock_);
    for (AdvisedWindow& entry : windows_) {
        if (entry.window == nullptr)
            continue;
        if (!IsWindow(entry.window)) {
            entry = AdvisedWindow{};
            continue;
        }
        const WPARAM command =
            (static_cast<WPARAM>(code) << 16) | (static_cast<WPARAM>(entry.identifier) & 0xFFFF);
        PostMessageW(entry.window, WM_COMMAND, command, 0);
    }
}

void EqEffectHost::setFormat(int which, const WAVEFORMATEX* format) noexcept {
    if (which != kInputFormat && which != kOutputFormat)
        return;
    {
        ScopedLock lock(lock_);
        formatSet_[size_t(which)] = format != nullptr;
        if (format != nullptr)
            formats_[size_t(which)] = *format;
    }
    if (format != nullptr)
        notifyWindows(which == kInputFormat ? kNotifyInputFormat : kNotifyOutputFormat);
}

// --- IEqPrograms.

HRESULT EqEffectHost::GetProgramCount(long* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = effect_ != nullptr ? effect_->numPrograms : 0;
    return S_OK;
}

HRESULT EqEffectHost::GetProgramName(long index, wchar_t* name, long capacity) {
    if (effect_ == nullptr || index < 0 || index >= effect_->numPrograms)
        return E_INVALIDARG;
    if (name == nullptr)
        return E_POINTER;
    if (capacity <= 0)
        return E_INVALIDARG;
    const ProgramSnapshotTable& table = ProgramSnapshotTable::obtain(*effect_);
    if (index >= table.count())
        return E_INVALIDARG;
    wchar_t wide[kSnapshotNameBytes] = {};
    MultiByteToWideChar(CP_ACP, 0, table.entry(int(index)).name, -1, wide, kSnapshotNameBytes);
    wide[kSnapshotNameBytes - 1] = L'\0';
    const size_t length = std::min<size_t>(wcslen(wide), size_t(capacity) - 1);
    std::memcpy(name, wide, length * sizeof(wchar_t));
    name[length] = L'\0';
    return S_OK;
}

HRESULT EqEffectHost::SelectProgram(long index) {
    if (effect_ == nullptr || index < 0 || index >= effect_->numPrograms)
        return E_INVALIDARG;
    const ProgramSnapshotTable& table = ProgramSnapshotTable::obtain(*effect_);
    if (index >= table.count())
        return E_INVALIDARG;
    return SetParameters(table.entry(int(index)).values);
}

// --- IPersistStream.

HRESULT EqEffectHost::GetClassID(CLSID* classId) {
    if (classId == nullptr)
        return E_POINTER;
    *classId = kClsidEqFilter;
    return S_OK;
}

HRESULT EqEffectHost::IsDirty() {
    return unsaved_.load() ? S_OK : S_FALSE;
}

HRESULT EqEffectHost::Load(IStream* stream) {
    if (stream == nullptr)
        return E_POINTER;
    // Everything is read and checked before anything changes.
    StreamRecordBytes record;
    HRESULT result = readExactly(*stream, record.data(), ULONG{kStreamRecordHeaderBytes});
    if (FAILED(result))
        return result;
    if (!isStreamRecordHeader(std::span(record).first<kStreamRecordHeaderBytes>()))
        return E_FAIL;
    result = readExactly(*stream, record.data() + kStreamRecordHeaderBytes,
                         ULONG{kStreamRecordBytes - kStreamRecordHeaderBytes});
    if (FAILED(result))
        return result;
    const std::optional<StreamRecordValues> values = readStreamRecord(record);
    if (!values)
        return E_FAIL;
    result = SetParameters(values->data()); // clamped: no NaN or infinity reaches the effect
    if (FAILED(result))
        return result;
    notifyWindows(kNotifyParamsLoaded);
    return S_OK;
}

HRESULT EqEffectHost::Save(IStream* stream, BOOL clearDirty) {
    if (stream == nullptr)
        return E_POINTER;
    StreamRecordValues values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = params_[i].load();
    const StreamRecordBytes record = makeStreamRecord(values);
    ULONG written = 0;
    const HRESULT result = stream->Write(record.data(), ULONG{kStreamRecordBytes}, &written);
    if (FAILED(result))
        return result;
    if (written != kStreamRecordBytes)
        return STG_E_MEDIUMFULL;
    if (clearDirty)
        unsaved_.store(false);
    return S_OK;
}

HRESULT EqEffectHost::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr)
        return E_POINTER;
    size->QuadPart = kStreamRecordBytes;
    return S_OK;
}

// --- Streaming.

bool EqEffectHost::allocateChannels(uint32_t frames) noexcept {
    // All four or none: a failure keeps the buffers there were.
    const size_t count = frames > 0 ? frames : 1;
    std::unique_ptr<float[]> made[4];
    for (auto& buffer : made) {
        buffer.reset(new (std::nothrow) float[count]());
        if (!buffer)
            return false;
    }
    inBuffers_.left = std::move(made[0]);
    inBuffers_.right = std::move(made[1]);
    outBuffers_.left = std::move(made[2]);
    outBuffers_.right = std::move(made[3]);
    channelCapacity_ = uint32_t(count);
    return true;
}

void EqEffectHost::announceRateAndResume(uint32_t rate) noexcept {
    if (announcedRate_ != rate) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, static_cast<float>(rate));
        announcedRate_ = rate;
    }
    dispatch(effMainsChanged, 0, 1);
}

HRESULT EqEffectHost::beginStreaming(const WAVEFORMATEX* input,
                                     const WAVEFORMATEX* output) noexcept {
    if (effect_ == nullptr || input == nullptr || output == nullptr)
        return E_UNEXPECTED;
    inFormat_ = input;
    outFormat_ = output;
    if (channelCapacity_ < announcedBlock_ && !allocateChannels(announcedBlock_))
        return E_OUTOFMEMORY;
    announceRateAndResume(input->nSamplesPerSec);
    return S_OK;
}

HRESULT EqEffectHost::endStreaming() noexcept {
    if (effect_ != nullptr)
        dispatch(effMainsChanged, 0, 0);
    return S_OK;
}

void EqEffectHost::clearStreamState() noexcept {
    if (effect_ == nullptr)
        return;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effMainsChanged, 0, 1);
}

void EqEffectHost::restartStream() noexcept {
    if (effect_ == nullptr || inFormat_ == nullptr)
        return;
    if (announcedRate_ == inFormat_->nSamplesPerSec)
        dispatch(effMainsChanged, 0, 0); // announcing a new rate suspends first
    announceRateAndResume(inFormat_->nSamplesPerSec);
}

bool EqEffectHost::announceBlock(uint32_t frames) noexcept {
    if (frames == announcedBlock_)
        return true;
    if (frames > channelCapacity_ && !allocateChannels(frames))
        return false;
    // The engine keeps no buffers of its own: the new length needs no suspend, and the band
    // states carry on across the change.
    dispatch(effSetBlockSize, 0, static_cast<intptr_t>(frames));
    announcedBlock_ = frames;
    return true;
}

HRESULT EqEffectHost::process(const BYTE* source, long& inFrames, BYTE* target, long& outFrames,
                              Deinterleave deinterleave, Interleave interleave) noexcept {
    if (effect_ == nullptr || inFormat_ == nullptr)
        return E_UNEXPECTED;
    const long frames = inFrames < outFrames ? inFrames : outFrames;
    const uint32_t n = frames > 0 ? static_cast<uint32_t>(frames) : 0;
    inFrames = outFrames = static_cast<long>(n);
    if (n == 0)
        return S_OK; // nothing to process and nothing to announce
    if (!announceBlock(n))
        return E_OUTOFMEMORY;

    float* inputs[2] = {inBuffers_.left.get(), inBuffers_.right.get()};
    float* outputs[2] = {outBuffers_.left.get(), outBuffers_.right.get()};
    deinterleave(source, inFormat_->nChannels, n, inputs[0], inputs[1]);
    effect_->processReplacing(effect_, inputs, outputs, static_cast<int32_t>(n));
    interleave(outputs[0], outputs[1], n, target);
    return S_OK;
}

HRESULT EqEffectHost::processPcm16(const BYTE* source, long& inFrames, BYTE* target,
                                   long& outFrames) noexcept {
    return process(source, inFrames, target, outFrames, deinterleavePcm16, interleavePcm16);
}

HRESULT EqEffectHost::processFloat32(const BYTE* source, long& inFrames, BYTE* target,
                                     long& outFrames) noexcept {
    return process(source, inFrames, target, outFrames, deinterleaveFloat, interleaveFloat);
}

} // namespace miral::dx
