#pragma once

// The core of the CLAP 1.2 plug-in interface as MIRAL uses it: versions, the entry point, the
// plug-in factory, the plug-in and host records, events, audio buffers, processing and byte
// streams. C layout; the names are the interface's own, so hosts' documentation applies.
// layout_checks.cpp pins sizes and offsets for 32- and 64-bit builds.

#include <cstdint>

#if defined(_WIN32)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

extern "C" {

typedef uint32_t clap_id;
inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

typedef struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
} clap_version_t;

/// The interface version MIRAL is written against.
inline constexpr clap_version_t CLAP_VERSION = {1, 2, 0};

/// Hosts and plug-ins of the same major version 1 and later work together.
constexpr bool clapVersionIsCompatible(clap_version_t version) {
    return version.major >= 1;
}

enum {
    CLAP_NAME_SIZE = 256, ///< capacity of displayable names
    CLAP_PATH_SIZE = 1024 ///< capacity of module paths ("Band 1")
};

// --- Byte streams (state) ---

typedef struct clap_istream {
    void* ctx;
    /// Bytes read; 0 at the end of the stream, -1 on a read error.
    int64_t(CLAP_ABI* read)(const struct clap_istream* stream, void* buffer, uint64_t size);
} clap_istream_t;

typedef struct clap_ostream {
    void* ctx;
    /// Bytes written; -1 on a write error.
    int64_t(CLAP_ABI* write)(const struct clap_ostream* stream, const void* buffer, uint64_t size);
} clap_ostream_t;

// --- Events ---

typedef struct clap_event_header {
    uint32_t size;     ///< the whole event's size, header included
    uint32_t time;     ///< sample offset within the block
    uint16_t space_id; ///< CLAP_CORE_EVENT_SPACE_ID for the events below
    uint16_t type;
    uint32_t flags;
} clap_event_header_t;

inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum clap_event_flags {
    CLAP_EVENT_IS_LIVE = 1 << 0,
    CLAP_EVENT_DONT_RECORD = 1 << 1,
};

enum {
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
};

typedef struct clap_event_param_value {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    int32_t note_id; ///< -1: any (MIRAL's parameters are global)
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value; ///< plain value, in the parameter's units
} clap_event_param_value_t;

typedef struct clap_event_param_mod {
    clap_event_header_t header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double amount; ///< offset added to the value, in the parameter's units
} clap_event_param_mod_t;

typedef struct clap_event_param_gesture {
    clap_event_header_t header;
    clap_id param_id;
} clap_event_param_gesture_t;

/// The host's transport record; MIRAL never reads it, so it stays opaque.
typedef struct clap_event_transport clap_event_transport_t;

typedef struct clap_input_events {
    void* ctx;
    uint32_t(CLAP_ABI* size)(const struct clap_input_events* list);
    const clap_event_header_t*(CLAP_ABI* get)(const struct clap_input_events* list, uint32_t index);
} clap_input_events_t;

typedef struct clap_output_events {
    void* ctx;
    /// Copies the event; false when the list cannot take it.
    bool(CLAP_ABI* try_push)(const struct clap_output_events* list,
                             const clap_event_header_t* event);
} clap_output_events_t;

// --- Audio and processing ---

typedef struct clap_audio_buffer {
    float** data32; ///< set for 32-bit audio, the only kind MIRAL's ports accept
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
} clap_audio_buffer_t;

enum {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};
typedef int32_t clap_process_status;

typedef struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport_t* transport;
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;   ///< sorted by time, as hosts promise
    const clap_output_events_t* out_events; ///< events pushed in time order
} clap_process_t;

// --- Host, plug-in, factory, entry ---

typedef struct clap_host {
    clap_version_t clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_ABI* get_extension)(const struct clap_host* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const struct clap_host* host);
    void(CLAP_ABI* request_process)(const struct clap_host* host);
    void(CLAP_ABI* request_callback)(const struct clap_host* host);
} clap_host_t;

typedef struct clap_plugin_descriptor {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; ///< null-terminated list
} clap_plugin_descriptor_t;

typedef struct clap_plugin {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const struct clap_plugin* plugin);
    void(CLAP_ABI* destroy)(const struct clap_plugin* plugin);
    bool(CLAP_ABI* activate)(const struct clap_plugin* plugin, double sample_rate,
                             uint32_t min_frames_count, uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const struct clap_plugin* plugin);
    bool(CLAP_ABI* start_processing)(const struct clap_plugin* plugin);
    void(CLAP_ABI* stop_processing)(const struct clap_plugin* plugin);
    void(CLAP_ABI* reset)(const struct clap_plugin* plugin);
    clap_process_status(CLAP_ABI* process)(const struct clap_plugin* plugin,
                                           const clap_process_t* process);
    const void*(CLAP_ABI* get_extension)(const struct clap_plugin* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const struct clap_plugin* plugin);
} clap_plugin_t;

inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

typedef struct clap_plugin_factory {
    uint32_t(CLAP_ABI* get_plugin_count)(const struct clap_plugin_factory* factory);
    const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(
        const struct clap_plugin_factory* factory, uint32_t index);
    const clap_plugin_t*(CLAP_ABI* create_plugin)(const struct clap_plugin_factory* factory,
                                                  const clap_host_t* host, const char* plugin_id);
} clap_plugin_factory_t;

typedef struct clap_plugin_entry {
    clap_version_t clap_version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)(void);
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
} clap_plugin_entry_t;

} // extern "C"
