#include "dx/eq_server/server_classes.h"

#include "dx/filter/eq_filter_registration.h"
#include "dx/filter/eq_interfaces.h"
#include "dx/filter/eq_transform_filter_factory.h"
#include "eq_property_page.h"

#include <array>

namespace miral::dx {
namespace {

const std::array<ServerClass, 2> kClasses = {{
    {kEqFilterName, &kClsidEqFilter, createEqTransformFilter, &eqFilterRecord()},
    {L"TOLMEK Soft MIRAL Property Page", &kClsidEqPropertyPage, EqPropertyPage::create, nullptr},
}};

} // namespace

std::span<const ServerClass> serverClasses() noexcept {
    return kClasses;
}

} // namespace miral::dx
