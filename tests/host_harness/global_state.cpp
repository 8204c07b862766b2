#include "global_state.h"

#include "platform_seam.h"

#include <xmmintrin.h>

#include <chrono>
#include <clocale>
#include <sstream>

namespace miral::harness {
namespace {

// MXCSR bits 0..5 are sticky exception flags that ordinary arithmetic sets; the rest control.
constexpr uint32_t kMxcsrFlags = 0x3f;

uint32_t x87ControlWord() {
    uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

} // namespace

void joinAndSettle(std::thread& thread, std::optional<int> threadsBefore) {
    thread.join();
    constexpr auto kPause = std::chrono::milliseconds(1);
    for (int waited = 0; waited < 1000 && threadCount() != threadsBefore; ++waited)
        std::this_thread::sleep_for(kPause);
}

GlobalState currentGlobalState() {
    GlobalState state;
    state.locale = std::setlocale(LC_ALL, nullptr);
    state.x87Control = x87ControlWord();
    state.sseControl = _mm_getcsr() & ~kMxcsrFlags;
    state.threads = threadCount();
    return state;
}

std::string describe(const GlobalState& state) {
    std::ostringstream text;
    text << "locale \"" << state.locale << "\", x87 control 0x" << std::hex << state.x87Control
         << ", MXCSR 0x" << state.sseControl << std::dec << ", threads ";
    if (state.threads)
        text << *state.threads;
    else
        text << "not counted";
    return text.str();
}

} // namespace miral::harness
