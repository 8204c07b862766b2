#include "program_list.h"

#include "parameter_mirror.h"
#include "program_snapshot_table.h"
#include "vst2/vst2_interface.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace miral::dx {

ProgramList::ProgramList(IUnknown& owner, ParameterMirror& mirror) noexcept
    : OwnerDelegation(owner), mirror_(mirror) {}

HRESULT ProgramList::GetProgramCount(long* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = effect_ != nullptr ? effect_->numPrograms : 0;
    return S_OK;
}

HRESULT ProgramList::GetProgramName(long index, wchar_t* name, long capacity) {
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

HRESULT ProgramList::SelectProgram(long index) {
    if (effect_ == nullptr || index < 0 || index >= effect_->numPrograms)
        return E_INVALIDARG;
    const ProgramSnapshotTable& table = ProgramSnapshotTable::obtain(*effect_);
    if (index >= table.count())
        return E_INVALIDARG;
    return mirror_.SetParameters(table.entry(int(index)).values);
}

} // namespace miral::dx
