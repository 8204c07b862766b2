#pragma once

// One instance of the CLAP plug-in: the equaliser engine behind the parameters, audio ports and
// state. Parameter events apply at their sample offset: a block is processed in pieces that end
// where events take effect, so a change lands on its exact frame.
//
// Threads: activate, deactivate, the parameter queries and state run on the host's main thread;
// process, reset and (while active) flush on its audio thread, which allocates nothing and takes
// no lock. Parameter values are atomic, and the engine takes changes from both threads at once.

#include "clap_abi/extensions.h"
#include "engine/eq_engine.h"
#include "param_facts.h"
#include "state_record.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace miral::clap {

class EqualiserInstance {
public:
    /// An instance with default values; its host record is `entries` with plugin_data set.
    explicit EqualiserInstance(const clap_plugin_t& entries);

    EqualiserInstance(const EqualiserInstance&) = delete;
    EqualiserInstance& operator=(const EqualiserInstance&) = delete;

    /// The record handed to the host; its plugin_data points back here.
    const clap_plugin_t* plugin() const { return &plugin_; }
    static EqualiserInstance& of(const clap_plugin_t* plugin);

    /// Designs for `sampleRateHz` (below 44100 Hz the audio passes unchanged) and clears the
    /// filter states. Main thread.
    bool activate(double sampleRateHz, uint32_t maxFrames);
    /// Clears the filter states; parameter values stay. Audio thread.
    void reset() noexcept;
    /// Filters the block, applying parameter events at their frames. Events out of time order
    /// take effect where processing has got to; events at or beyond the block's end after its
    /// last frame. An error for a block without 32-bit audio on the main ports.
    clap_process_status process(const clap_process_t& process) noexcept;
    /// Applies parameter events outside processing.
    void flush(const clap_input_events_t* events) noexcept;

    /// The parameter's physical value (without modulation); false for an unknown id.
    bool paramValue(clap_id id, double* value) const;

    /// Writes the state record; false when the stream refuses it.
    bool saveState(const clap_ostream_t& stream) const;
    /// Reads a whole state record and takes its values; a short, damaged or unknown record is
    /// refused and changes nothing.
    bool loadState(const clap_istream_t& stream);

private:
    void applyEvent(const clap_event_header_t& event) noexcept;
    /// The value plus its modulation, limited to the range, to the engine.
    void sendToEngine(uint32_t id) noexcept;
    void filter(const float* const* inputs, float* const* outputs, uint32_t begin,
                uint32_t end) noexcept;

    clap_plugin_t plugin_;
    EqEngine engine_;
    std::array<std::atomic<double>, kParamCount> values_{};
    /// Modulation offsets from the audio thread's events; 0 without modulation.
    std::array<std::atomic<double>, kParamCount> modulation_{};
};

} // namespace miral::clap
