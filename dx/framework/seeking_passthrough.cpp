#include "dx/framework/seeking_passthrough.h"

#include "dx/framework/base_pin.h"
#include "dx/framework/com_ref.h"

#include <cmath>

namespace miral::dx {
namespace {

/// IMediaSeeking's media time counts 100-nanosecond units.
constexpr double kUnitsPerSecond = 10'000'000.0;

/// IMediaPosition's automation booleans.
constexpr LONG kAutomationTrue = -1;
constexpr LONG kAutomationFalse = 0;

LONGLONG toUnits(REFTIME seconds) {
    return std::llround(seconds * kUnitsPerSecond);
}
REFTIME toSeconds(LONGLONG units) {
    return static_cast<double>(units) / kUnitsPerSecond;
}

} // namespace

SeekingPassThrough::SeekingPassThrough(IUnknown& owner, BasePin& input) noexcept
    : owner_(owner), input_(input) {}

HRESULT SeekingPassThrough::QueryInterface(REFIID iid, void** result) {
    return owner_.QueryInterface(iid, result);
}
ULONG SeekingPassThrough::AddRef() {
    return owner_.AddRef();
}
ULONG SeekingPassThrough::Release() {
    return owner_.Release();
}

IMediaSeeking* SeekingPassThrough::upstream(HRESULT& failure) const noexcept {
    IPin* peer = input_.connected();
    if (peer == nullptr) {
        failure = VFW_E_NOT_CONNECTED;
        return nullptr;
    }
    ComRef<IMediaSeeking> seeking = queryInterface<IMediaSeeking>(peer, IID_IMediaSeeking);
    failure = seeking ? S_OK : E_NOTIMPL;
    return seeking.detach();
}

// Each forwarding call: the upstream interface, the call, the reference released.
#define MIRAL_FORWARD(call)                                                                        \
    HRESULT failure = S_OK;                                                                        \
    ComRef<IMediaSeeking> seeking = ComRef<IMediaSeeking>::adopt(upstream(failure));               \
    if (!seeking)                                                                                  \
        return failure;                                                                            \
    return seeking->call

HRESULT SeekingPassThrough::GetCapabilities(DWORD* capabilities) {
    MIRAL_FORWARD(GetCapabilities(capabilities));
}
HRESULT SeekingPassThrough::CheckCapabilities(DWORD* capabilities) {
    MIRAL_FORWARD(CheckCapabilities(capabilities));
}
HRESULT SeekingPassThrough::IsFormatSupported(const GUID* format) {
    MIRAL_FORWARD(IsFormatSupported(format));
}
HRESULT SeekingPassThrough::QueryPreferredFormat(GUID* format) {
    MIRAL_FORWARD(QueryPreferredFormat(format));
}
HRESULT SeekingPassThrough::GetTimeFormat(GUID* format) {
    MIRAL_FORWARD(GetTimeFormat(format));
}
HRESULT SeekingPassThrough::IsUsingTimeFormat(const GUID* format) {
    MIRAL_FORWARD(IsUsingTimeFormat(format));
}
HRESULT SeekingPassThrough::SetTimeFormat(const GUID* format) {
    MIRAL_FORWARD(SetTimeFormat(format));
}
HRESULT SeekingPassThrough::GetDuration(LONGLONG* duration) {
    MIRAL_FORWARD(GetDuration(duration));
}
HRESULT SeekingPassThrough::GetStopPosition(LONGLONG* stop) {
    MIRAL_FORWARD(GetStopPosition(stop));
}
HRESULT SeekingPassThrough::GetCurrentPosition(LONGLONG* current) {
    MIRAL_FORWARD(GetCurrentPosition(current));
}
HRESULT SeekingPassThrough::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat,
                                              LONGLONG source, const GUID* sourceFormat) {
    MIRAL_FORWARD(ConvertTimeFormat(target, targetFormat, source, sourceFormat));
}
HRESULT SeekingPassThrough::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                         DWORD stopFlags) {
    MIRAL_FORWARD(SetPositions(current, currentFlags, stop, stopFlags));
}
HRESULT SeekingPassThrough::GetPositions(LONGLONG* current, LONGLONG* stop) {
    MIRAL_FORWARD(GetPositions(current, stop));
}
HRESULT SeekingPassThrough::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    MIRAL_FORWARD(GetAvailable(earliest, latest));
}
HRESULT SeekingPassThrough::SetRate(double rate) {
    MIRAL_FORWARD(SetRate(rate));
}
HRESULT SeekingPassThrough::GetRate(double* rate) {
    MIRAL_FORWARD(GetRate(rate));
}
HRESULT SeekingPassThrough::GetPreroll(LONGLONG* preroll) {
    MIRAL_FORWARD(GetPreroll(preroll));
}

#undef MIRAL_FORWARD

HRESULT SeekingPassThrough::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT SeekingPassThrough::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}
HRESULT SeekingPassThrough::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT SeekingPassThrough::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    return E_NOTIMPL;
}

HRESULT SeekingPassThrough::getSeconds(HRESULT (STDMETHODCALLTYPE IMediaSeeking::*get)(LONGLONG*),
                                       REFTIME* seconds) {
    if (seconds == nullptr)
        return E_POINTER;
    LONGLONG units = 0;
    const HRESULT result = (this->*get)(&units);
    if (SUCCEEDED(result))
        *seconds = toSeconds(units);
    return result;
}

HRESULT SeekingPassThrough::get_Duration(REFTIME* length) {
    return getSeconds(&IMediaSeeking::GetDuration, length);
}
HRESULT SeekingPassThrough::put_CurrentPosition(REFTIME time) {
    LONGLONG position = toUnits(time);
    return SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                        AM_SEEKING_NoPositioning);
}
HRESULT SeekingPassThrough::get_CurrentPosition(REFTIME* time) {
    return getSeconds(&IMediaSeeking::GetCurrentPosition, time);
}
HRESULT SeekingPassThrough::get_StopTime(REFTIME* time) {
    return getSeconds(&IMediaSeeking::GetStopPosition, time);
}
HRESULT SeekingPassThrough::put_StopTime(REFTIME time) {
    LONGLONG stop = toUnits(time);
    return SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning);
}
HRESULT SeekingPassThrough::get_PrerollTime(REFTIME* time) {
    return getSeconds(&IMediaSeeking::GetPreroll, time);
}
HRESULT SeekingPassThrough::put_PrerollTime(REFTIME) {
    return E_NOTIMPL;
}
HRESULT SeekingPassThrough::put_Rate(double rate) {
    return SetRate(rate);
}
HRESULT SeekingPassThrough::get_Rate(double* rate) {
    return GetRate(rate);
}

HRESULT SeekingPassThrough::canSeek(DWORD capability, LONG* can) {
    if (can == nullptr)
        return E_POINTER;
    DWORD capabilities = 0;
    const HRESULT result = GetCapabilities(&capabilities);
    if (FAILED(result))
        return result;
    *can = (capabilities & capability) != 0 ? kAutomationTrue : kAutomationFalse;
    return S_OK;
}
HRESULT SeekingPassThrough::CanSeekForward(LONG* can) {
    return canSeek(AM_SEEKING_CanSeekForwards, can);
}
HRESULT SeekingPassThrough::CanSeekBackward(LONG* can) {
    return canSeek(AM_SEEKING_CanSeekBackwards, can);
}

} // namespace miral::dx
