#pragma once

// The filter's own COM interfaces and the library's class identifiers. Shared by the filter,
// its property page, the class table and the tests; the slot order of each interface is a
// binary contract with COM clients.

#include "dx/framework/windows_api.h"

#include <mmreg.h>
#include <unknwn.h>

struct AEffect;

namespace miral::dx {

/// {23668644-220A-4C0A-8B57-71B81255650C}: the filter "TOLMEK Soft MIRAL".
inline constexpr GUID kClsidEqFilter = {
    0x23668644, 0x220A, 0x4C0A, {0x8B, 0x57, 0x71, 0xB8, 0x12, 0x55, 0x65, 0x0C}};
/// {02377AA4-B7C7-41B0-875F-A4CAF3944D29}: its property page.
inline constexpr GUID kClsidEqPropertyPage = {
    0x02377AA4, 0xB7C7, 0x41B0, {0x87, 0x5F, 0xA4, 0xCA, 0xF3, 0x94, 0x4D, 0x29}};
/// {29A5D7A1-E6E1-40BD-82B5-65514364895C}
inline constexpr GUID kIidEqParameters = {
    0x29A5D7A1, 0xE6E1, 0x40BD, {0x82, 0xB5, 0x65, 0x51, 0x43, 0x64, 0x89, 0x5C}};
/// {36A22460-0CC9-11D0-8574-00A0C9053912}
inline constexpr GUID kIidEqPrograms = {
    0x36A22460, 0x0CC9, 0x11D0, {0x85, 0x74, 0x00, 0xA0, 0xC9, 0x05, 0x39, 0x12}};

/// Number of parameters in the mirror.
inline constexpr int kEqParameterCount = 26;

/// Codes of the WM_COMMAND notices posted to advised windows (high word of wParam).
inline constexpr int kNotifyInputFormat = 0;
inline constexpr int kNotifyOutputFormat = 1;
inline constexpr int kNotifyParamsLoaded = 100;

/// The parameter mirror of a filter, its formats and its effect.
struct IEqParameters : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetParameters(float* values) = 0;       // float[26] out
    virtual HRESULT STDMETHODCALLTYPE SetParameters(const float* values) = 0; // float[26] in
    /// which: 0 input, 1 output; VFW_E_NOT_CONNECTED when that format is not set.
    virtual HRESULT STDMETHODCALLTYPE GetFormat(WAVEFORMATEX* format, long which) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEffect(AEffect** effect) = 0;
    /// 0 for an index outside 0..25.
    virtual float STDMETHODCALLTYPE GetParameter(long index) = 0;
    /// E_INVALIDARG, and nothing written, for an index outside 0..25.
    virtual HRESULT STDMETHODCALLTYPE SetParameter(long index, float value) = 0;
    /// identifier 0 frees the window's entry.
    virtual HRESULT STDMETHODCALLTYPE AdviseWindow(HWND window, long identifier) = 0;
};

/// The effect's factory programs, applied as sets of parameter values.
struct IEqPrograms : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProgramCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProgramName(long index, wchar_t* name, long capacity) = 0;
    virtual HRESULT STDMETHODCALLTYPE SelectProgram(long index) = 0;
};

} // namespace miral::dx
