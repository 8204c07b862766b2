#include "dx/filter/eq_filter_registration.h"

#include "dx/com_base/server_registration.h"
#include "dx/filter/eq_interfaces.h"
#include "eq_transform_filter.h"

#include "dx/framework/windows_api.h"

#include <uuids.h>

namespace miral::dx {
namespace {

// Both pins carry audio of any subtype.
const REGPINTYPES kAudioPinType = {&MEDIATYPE_Audio, &GUID_NULL};

const REGFILTERPINS kFilterPins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL,
     const_cast<LPWSTR>(L"Output"), 1, &kAudioPinType},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL,
     const_cast<LPWSTR>(L"Input"), 1, &kAudioPinType},
};

REGFILTER2 filterRecord() {
    REGFILTER2 record{};
    record.dwVersion = 1;
    record.dwMerit = MERIT_DO_NOT_USE;
    record.cPins = 2;
    record.rgPins = kFilterPins;
    return record;
}

const REGFILTER2 kFilterRecord = filterRecord();

} // namespace

const REGFILTER2& eqFilterRecord() noexcept {
    return kFilterRecord;
}

// --- The filter's IAMovieSetup.

HRESULT EqTransformFilter::Register() {
    return registerFilter(kClsidEqFilter, kEqFilterName, kFilterRecord);
}

HRESULT EqTransformFilter::Unregister() {
    return unregisterFilter(kClsidEqFilter);
}

} // namespace miral::dx
