#pragma once

// The effect's notices (the sample-rate notice below 44.1 kHz) as the server shows them: each
// in a message box on a thread of its own, so that the filter thread that announced the rate,
// holding the filter and streaming locks, returns at once and the graph never waits for the
// user. One box at a time: a notice that comes while one is open is dropped. The thread keeps
// the library loaded until its box is dismissed.

namespace miral::dx {

/// Routes every later notice of the library's effects to a thread of its own.
void showNoticesOnTheirOwnThread() noexcept;

} // namespace miral::dx
