#pragma once

// A small CLAP host for the tests: loads the built miral.clap through clap_entry as hosts do,
// creates instances, and hands them blocks, event lists and byte streams.

#include "clap_abi/extensions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace miral::clap_test {

/// What the test host offers and has been asked: timers (when offered) and flush requests.
struct HostRecord {
    bool offerTimers = true;
    int timersRegistered = 0;
    int timersUnregistered = 0;
    clap_id lastTimer = CLAP_INVALID_ID;
    int flushRequests = 0;
    std::vector<uint32_t> rescans; ///< the flags of each rescan request
    /// What the plug-in reported of preset loads: error messages, and the load keys of
    /// presets loaded ("" for a file).
    std::vector<std::string> presetErrors;
    std::vector<std::string> presetsLoaded;
    /// The thread check, when offered, answers from these.
    bool offerThreadCheck = false;
    bool onMainThread = true;
    bool onAudioThread = true;
};
HostRecord& hostRecord();

/// The library, loaded and initialised once per program; its factory or null, with a test
/// failure, when it cannot be loaded.
const clap_plugin_entry_t* entry();
const clap_plugin_factory_t* factory();

/// An input event list the tests fill; events stay in the order added.
class EventList {
public:
    EventList();
    void addValue(uint32_t time, clap_id id, double value);
    void addModulation(uint32_t time, clap_id id, double amount);
    const clap_input_events_t* list() const { return &list_; }

private:
    std::vector<clap_event_param_mod_t> events_; ///< value and modulation events share a layout
    clap_input_events_t list_;
};

/// Stereo (or mono) 32-bit buffers of one block.
struct AudioBlock {
    AudioBlock(uint32_t channels, uint32_t frames);
    std::vector<std::vector<float>> channels;
};

/// One plug-in instance, destroyed with the object.
class Instance {
public:
    /// A new instance of the equaliser, initialised; check valid().
    Instance();
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return plugin_ != nullptr; }
    const clap_plugin_t* plugin() const { return plugin_; }
    template <typename Extension> const Extension* extension(const char* id) const {
        return static_cast<const Extension*>(plugin_->get_extension(plugin_, id));
    }
    const clap_plugin_params_t& params() const;
    const clap_plugin_state_t& state() const;

    /// Activates and starts processing.
    bool start(double sampleRate, uint32_t maxFrames);
    /// Processes `output` from `input` (may be the same block: in place) with `events`.
    clap_process_status process(const AudioBlock& input, AudioBlock& output,
                                const EventList& events);
    double value(clap_id id) const;

    /// Types of the events the plug-in sent in the last process call.
    std::vector<uint16_t> sentEvents;

private:
    const clap_plugin_t* plugin_ = nullptr;
    bool active_ = false;
};

/// An output stream into memory that takes at most `chunk` bytes per call.
class MemoryOutput {
public:
    explicit MemoryOutput(uint64_t chunk = UINT64_MAX);
    const clap_ostream_t* stream() const { return &stream_; }
    std::vector<uint8_t> bytes;

private:
    uint64_t chunk_;
    clap_ostream_t stream_;
};

/// An input stream over bytes that gives at most `chunk` bytes per call, and fails with -1 after
/// `failAfter` bytes when that is set.
class MemoryInput {
public:
    explicit MemoryInput(std::vector<uint8_t> bytes, uint64_t chunk = UINT64_MAX,
                         uint64_t failAfter = UINT64_MAX);
    const clap_istream_t* stream() const { return &stream_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
    uint64_t chunk_;
    uint64_t failAfter_;
    clap_istream_t stream_;
};

} // namespace miral::clap_test
