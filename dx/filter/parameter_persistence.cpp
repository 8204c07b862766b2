#include "parameter_persistence.h"

#include "dx/filter/stream_record.h"
#include "parameter_mirror.h"

#include <array>
#include <optional>
#include <span>

namespace miral::dx {
namespace {

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

ParameterPersistence::ParameterPersistence(IUnknown& owner, ParameterMirror& mirror) noexcept
    : OwnerDelegation(owner), mirror_(mirror) {}

HRESULT ParameterPersistence::GetClassID(CLSID* classId) {
    if (classId == nullptr)
        return E_POINTER;
    *classId = kClsidEqFilter;
    return S_OK;
}

HRESULT ParameterPersistence::IsDirty() {
    return mirror_.unsaved() ? S_OK : S_FALSE;
}

HRESULT ParameterPersistence::Load(IStream* stream) {
    if (stream == nullptr)
        return E_POINTER;
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
    result =
        mirror_.SetParameters(values->data()); // clamped: no NaN or infinity reaches the effect
    if (FAILED(result))
        return result;
    mirror_.markSaved();
    mirror_.notifyWindows(kNotifyParamsLoaded);
    return S_OK;
}

HRESULT ParameterPersistence::Save(IStream* stream, BOOL clearDirty) {
    if (stream == nullptr)
        return E_POINTER;
    const StreamRecordBytes record = makeStreamRecord(mirror_.values());
    ULONG written = 0;
    const HRESULT result = stream->Write(record.data(), ULONG{kStreamRecordBytes}, &written);
    if (FAILED(result))
        return result;
    if (written != kStreamRecordBytes)
        return STG_E_MEDIUMFULL;
    if (clearDirty)
        mirror_.markSaved();
    return S_OK;
}

HRESULT ParameterPersistence::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr)
        return E_POINTER;
    size->QuadPart = kStreamRecordBytes;
    return S_OK;
}

} // namespace miral::dx
