#include "dx/server/server_classes.h"

#include "dx/filter/eq_interfaces.h"
#include "dx/filter/eq_transform_filter_factory.h"
#include "eq_property_page.h"

#include <uuids.h>

#include <array>

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

const std::array<ServerClass, 2> kClasses = {{
    {L"TOLMEK Soft MIRAL", &kClsidEqFilter, createEqTransformFilter, &kFilterRecord},
    {L"TOLMEK Soft MIRAL Property Page", &kClsidEqPropertyPage, EqPropertyPage::create, nullptr},
}};

} // namespace

std::span<const ServerClass> serverClasses() noexcept {
    return kClasses;
}

} // namespace miral::dx
