#pragma once

// One instance of the CLAP plug-in: the equaliser engine behind the parameters, audio ports and
// state. Parameter events apply at their sample offset: a block is processed in pieces that end
// where events take effect, so a change lands on its exact frame. Changes while audio runs glide
// there over kDefaultSmoothingSeconds, as in the LV2 build; values set before processing starts
// (and at frame 0 of the first block after activation or reset) apply at once.
//
// Threads: activate, deactivate, the parameter queries and state run on the host's main thread;
// process, reset and (while active) flush on its audio thread, which allocates nothing and takes
// no lock. Parameter values are atomic, and the engine takes changes from both threads at once.
// The editor runs on the main thread; its edits reach the engine at once and the host as output
// events of the next process or flush.

#include "clap_abi/extensions.h"
#include "clap_abi/gui.h"
#include "clap_abi/presets.h"
#include "editor_changes.h"
#include "editor_host.h"
#include "engine/eq_engine.h"
#include "param_facts.h"
#include "state_record.h"
#include "thread_rules.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace miral::clap {

class EqualiserInstance final : private EditorHost::Listener {
public:
    /// An instance with default values for `host`; its host record is `entries` with
    /// plugin_data set.
    EqualiserInstance(const clap_plugin_t& entries, const clap_host_t* host);
    ~EqualiserInstance();

    EqualiserInstance(const EqualiserInstance&) = delete;
    EqualiserInstance& operator=(const EqualiserInstance&) = delete;

    /// The record handed to the host; its plugin_data points back here.
    const clap_plugin_t* plugin() const { return &plugin_; }
    static EqualiserInstance& of(const clap_plugin_t* plugin);

    /// Looks up the host's extensions (allowed from here on). Main thread.
    void init();
    /// The host's word on which thread calls come from.
    const ThreadRules& threads() const { return threads_; }

    /// Designs for `sampleRateHz` (below 44100 Hz the audio passes unchanged) and clears the
    /// filter states. Main thread.
    bool activate(double sampleRateHz, uint32_t maxFrames);
    /// Clears the filter states; parameter values stay. Audio thread.
    void reset() noexcept;
    /// Filters the block, applying parameter events at their frames. Events out of time order
    /// take effect where processing has got to; events at or beyond the block's end after its
    /// last frame. An error for a block without 32-bit audio on the main ports.
    clap_process_status process(const clap_process_t& process) noexcept;
    /// Applies parameter events outside processing and hands the editor's edits to the host.
    void flush(const clap_input_events_t* in, const clap_output_events_t* out) noexcept;

    /// The parameter's physical value (without modulation); false for an unknown id.
    bool paramValue(clap_id id, double* value) const;

    /// Writes the state record; false when the stream refuses it.
    bool saveState(const clap_ostream_t& stream) const;
    /// Reads a whole state record and takes its values; a short, damaged or unknown record is
    /// refused and changes nothing.
    bool loadState(const clap_istream_t& stream);

    /// Loads a listed preset: a factory program (location kind plugin, load key its number)
    /// or a user's preset file (kind file). Sets every parameter and tells the host to read the
    /// new values; a preset that cannot be read whole is reported to the host and changes
    /// nothing. Main thread.
    bool loadPreset(uint32_t kind, const char* location, const char* loadKey);

    // The editor, embedded in a host window; main thread. It idles on the host's timer, so a
    // host without timer support gets no editor.
    bool createEditor();
    void destroyEditor();
    bool editorSize(uint32_t* width, uint32_t* height);
    bool setEditorScale(double factor);
    bool openEditor(void* parentWindow);
    bool isEditorOpen() const;
    void onTimer(clap_id timer);

private:
    void editorGesture(uint32_t id, bool begins) override;
    double editorValue(uint32_t id, float normalised) override;
    void editorSolo(int32_t band) override;
    void sendEditorChanges(const clap_output_events_t* out) noexcept;
    /// A parameter's new value (or modulation offset), limited to its range.
    struct ParamChange {
        uint32_t id;
        double value;
        bool modulation;
    };
    /// What a parameter event changes; null for other events, unknown or non-finite values,
    /// and values the parameter already has.
    std::optional<ParamChange> changeOf(const clap_event_header_t& event) const noexcept;
    void apply(const ParamChange& change) noexcept;
    /// The value plus its modulation, limited to the range, to the engine.
    void sendToEngine(uint32_t id) noexcept;
    /// Takes every value and tells the host. Main thread.
    void takeValues(const ParamValues& values);
    void reportPresetError(uint32_t kind, const char* location, const char* loadKey,
                           const char* problem);
    void filter(const float* const* inputs, float* const* outputs, uint32_t begin,
                uint32_t end) noexcept;

    clap_plugin_t plugin_;
    const clap_host_t* host_;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_timer_support_t* hostTimers_ = nullptr;
    const clap_host_preset_load_t* hostPresetLoad_ = nullptr;
    ThreadRules threads_;
    double sampleRateHz_ = kMinimumSampleRateHz;
    EqEngine engine_;
    std::array<std::atomic<double>, kParamCount> values_{};
    /// Modulation offsets from the audio thread's events; 0 without modulation.
    std::array<std::atomic<double>, kParamCount> modulation_{};
    /// The factory program loaded last (kept in the state), or kNoProgram. Main thread.
    uint32_t program_ = kNoProgram;

    std::unique_ptr<EditorHost> editor_;
    clap_id editorTimer_ = CLAP_INVALID_ID;
    EditorChanges editorChanges_;
};

} // namespace miral::clap
