#include "program_snapshot_table.h"

#include "vst2/vst2_interface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace miral::dx {
namespace {

/// The buffer handed to effGetProgramName, larger than any program name.
constexpr size_t kProgramNameBuffer = 256;

std::mutex tableMutex;
std::unique_ptr<const ProgramSnapshotTable> processTable; // lives until the process ends

} // namespace

const ProgramSnapshotTable& ProgramSnapshotTable::obtain(AEffect& effect) {
    std::lock_guard<std::mutex> lock(tableMutex);
    if (!processTable)
        processTable.reset(new ProgramSnapshotTable(effect));
    return *processTable;
}

ProgramSnapshotTable::ProgramSnapshotTable(AEffect& effect) {
    const int programs = effect.numPrograms > 0 ? effect.numPrograms : 0;
    entries_.resize(static_cast<size_t>(programs));
    for (int i = 0; i < programs; ++i) {
        EqProgramSnapshot& entry = entries_[static_cast<size_t>(i)];
        effect.dispatcher(&effect, effSetProgram, 0, i, nullptr, 0.0f);
        char name[kProgramNameBuffer] = {};
        effect.dispatcher(&effect, effGetProgramName, 0, 0, name, 0.0f);
        if (name[0] == '\0')
            std::snprintf(name, sizeof(name), "Program %d", i);
        const size_t length = std::min(std::strlen(name), sizeof(entry.name) - 1);
        std::memset(entry.name, 0, sizeof(entry.name));
        std::memcpy(entry.name, name, length);
        for (int p = 0; p < kEqParameterCount; ++p)
            entry.values[p] = effect.getParameter(&effect, p);
    }
    if (programs > 0)
        effect.dispatcher(&effect, effSetProgram, 0, 0, nullptr, 0.0f);
}

} // namespace miral::dx
