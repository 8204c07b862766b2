#pragma once

// The effect's factory programs as the filter lists and applies them: one name and 26 values
// per program, read once per process from the first filter's effect and shared, read-only,
// by every filter after it.

#include "dx/filter/eq_interfaces.h"

#include <cstddef>
#include <vector>

struct AEffect;

namespace miral::dx {

/// Bytes of a program name with its terminator.
inline constexpr int kSnapshotNameBytes = 64;

struct EqProgramSnapshot {
    char name[kSnapshotNameBytes]; ///< ANSI text, NUL-terminated
    float values[kEqParameterCount];
};

class ProgramSnapshotTable {
public:
    /// The process's table; built from `effect` when none exists yet (selecting each program
    /// in turn, then program 0 again). Safe to call from several threads at once.
    static const ProgramSnapshotTable& obtain(AEffect& effect);

    int count() const noexcept { return static_cast<int>(entries_.size()); }
    /// Entry 0 .. count() − 1.
    const EqProgramSnapshot& entry(int index) const noexcept {
        return entries_[static_cast<std::size_t>(index)];
    }

private:
    explicit ProgramSnapshotTable(AEffect& effect);

    std::vector<EqProgramSnapshot> entries_;
};

} // namespace miral::dx
