// The CLAP records' sizes and field offsets as the interface defines them, checked at build time
// for every target MIRAL ships: 64-bit, and 32-bit Windows (where doubles and 64-bit integers
// are 8-byte aligned inside records).
#include "clap_abi/extensions.h"
#include "clap_abi/gui.h"
#include "clap_abi/presets.h"

#include <cstddef>

namespace {

#if UINTPTR_MAX == UINT64_MAX
constexpr bool kWide = true;
#elif defined(_WIN32)
constexpr bool kWide = false;
#else
#error "No CLAP layout checks for this target"
#endif

/// The expected value on 64-bit targets, or on 32-bit ones.
constexpr size_t pick(size_t wide, size_t narrow) {
    return kWide ? wide : narrow;
}

static_assert(sizeof(clap_version_t) == 12);
static_assert(sizeof(clap_event_header_t) == 16);
static_assert(offsetof(clap_event_header_t, time) == 4);
static_assert(offsetof(clap_event_header_t, space_id) == 8);
static_assert(offsetof(clap_event_header_t, type) == 10);
static_assert(offsetof(clap_event_header_t, flags) == 12);

static_assert(sizeof(clap_istream_t) == pick(16, 8));
static_assert(sizeof(clap_ostream_t) == pick(16, 8));

static_assert(offsetof(clap_event_param_value_t, param_id) == 16);
static_assert(offsetof(clap_event_param_value_t, cookie) == pick(24, 20));
static_assert(offsetof(clap_event_param_value_t, note_id) == pick(32, 24));
static_assert(offsetof(clap_event_param_value_t, key) == pick(40, 32));
static_assert(offsetof(clap_event_param_value_t, value) == pick(48, 40));
static_assert(sizeof(clap_event_param_value_t) == pick(56, 48));
static_assert(offsetof(clap_event_param_mod_t, amount) == pick(48, 40));
static_assert(sizeof(clap_event_param_mod_t) == pick(56, 48));
static_assert(sizeof(clap_event_param_gesture_t) == 20);
static_assert(sizeof(clap_input_events_t) == pick(24, 12));
static_assert(sizeof(clap_output_events_t) == pick(16, 8));

static_assert(offsetof(clap_audio_buffer_t, channel_count) == pick(16, 8));
static_assert(offsetof(clap_audio_buffer_t, constant_mask) == pick(24, 16));
static_assert(sizeof(clap_audio_buffer_t) == pick(32, 24));

static_assert(offsetof(clap_process_t, frames_count) == 8);
static_assert(offsetof(clap_process_t, transport) == pick(16, 12));
static_assert(offsetof(clap_process_t, audio_inputs) == pick(24, 16));
static_assert(offsetof(clap_process_t, audio_inputs_count) == pick(40, 24));
static_assert(offsetof(clap_process_t, in_events) == pick(48, 32));
static_assert(offsetof(clap_process_t, out_events) == pick(56, 36));
static_assert(sizeof(clap_process_t) == pick(64, 40));

static_assert(offsetof(clap_host_t, host_data) == pick(16, 12));
static_assert(offsetof(clap_host_t, get_extension) == pick(56, 32));
static_assert(sizeof(clap_host_t) == pick(88, 48));

static_assert(offsetof(clap_plugin_descriptor_t, id) == pick(16, 12));
static_assert(offsetof(clap_plugin_descriptor_t, features) == pick(80, 44));
static_assert(sizeof(clap_plugin_descriptor_t) == pick(88, 48));

static_assert(offsetof(clap_plugin_t, init) == pick(16, 8));
static_assert(offsetof(clap_plugin_t, reset) == pick(64, 32));
static_assert(offsetof(clap_plugin_t, process) == pick(72, 36));
static_assert(sizeof(clap_plugin_t) == pick(96, 48));
static_assert(sizeof(clap_plugin_factory_t) == pick(24, 12));
static_assert(offsetof(clap_plugin_entry_t, init) == pick(16, 12));
static_assert(sizeof(clap_plugin_entry_t) == pick(40, 24));

static_assert(offsetof(clap_audio_port_info_t, name) == 4);
static_assert(offsetof(clap_audio_port_info_t, flags) == 260);
static_assert(offsetof(clap_audio_port_info_t, port_type) == pick(272, 268));
static_assert(offsetof(clap_audio_port_info_t, in_place_pair) == pick(280, 272));
static_assert(sizeof(clap_audio_port_info_t) == pick(288, 276));
static_assert(sizeof(clap_plugin_audio_ports_t) == pick(16, 8));
static_assert(sizeof(clap_plugin_latency_t) == pick(8, 4));

static_assert(offsetof(clap_param_info_t, cookie) == 8);
static_assert(offsetof(clap_param_info_t, name) == pick(16, 12));
static_assert(offsetof(clap_param_info_t, module) == pick(272, 268));
static_assert(offsetof(clap_param_info_t, min_value) == 1296);
static_assert(offsetof(clap_param_info_t, default_value) == 1312);
static_assert(sizeof(clap_param_info_t) == 1320);
static_assert(sizeof(clap_plugin_params_t) == pick(48, 24));
static_assert(sizeof(clap_plugin_state_t) == pick(16, 8));
static_assert(sizeof(clap_host_thread_check_t) == pick(16, 8));

static_assert(offsetof(clap_window_t, x11) == pick(8, 4));
static_assert(sizeof(clap_window_t) == pick(16, 8));
static_assert(offsetof(clap_gui_resize_hints_t, aspect_ratio_width) == 4);
static_assert(sizeof(clap_gui_resize_hints_t) == 12);
static_assert(offsetof(clap_plugin_gui_t, set_parent) == pick(80, 40));
static_assert(sizeof(clap_plugin_gui_t) == pick(120, 60));
static_assert(sizeof(clap_host_timer_support_t) == pick(16, 8));
static_assert(offsetof(clap_host_params_t, request_flush) == pick(16, 8));

static_assert(sizeof(clap_universal_plugin_id_t) == pick(16, 8));
static_assert(offsetof(clap_preset_discovery_metadata_receiver_t, begin_preset) == pick(16, 8));
static_assert(offsetof(clap_preset_discovery_metadata_receiver_t, set_flags) == pick(40, 20));
static_assert(sizeof(clap_preset_discovery_metadata_receiver_t) == pick(88, 44));
static_assert(sizeof(clap_preset_discovery_filetype_t) == pick(24, 12));
static_assert(offsetof(clap_preset_discovery_location_t, name) == pick(8, 4));
static_assert(offsetof(clap_preset_discovery_location_t, kind) == pick(16, 8));
static_assert(offsetof(clap_preset_discovery_location_t, location) == pick(24, 12));
static_assert(sizeof(clap_preset_discovery_location_t) == pick(32, 16));
static_assert(offsetof(clap_preset_discovery_soundpack_t, release_timestamp) == pick(56, 32));
static_assert(sizeof(clap_preset_discovery_soundpack_t) == pick(64, 40));
static_assert(offsetof(clap_preset_discovery_provider_descriptor_t, id) == pick(16, 12));
static_assert(sizeof(clap_preset_discovery_provider_descriptor_t) == pick(40, 24));
static_assert(offsetof(clap_preset_discovery_provider_t, get_metadata) == pick(32, 16));
static_assert(sizeof(clap_preset_discovery_provider_t) == pick(48, 24));
static_assert(offsetof(clap_preset_discovery_indexer_t, indexer_data) == pick(48, 28));
static_assert(offsetof(clap_preset_discovery_indexer_t, declare_location) == pick(64, 36));
static_assert(sizeof(clap_preset_discovery_indexer_t) == pick(88, 48));
static_assert(sizeof(clap_preset_discovery_factory_t) == pick(24, 12));
static_assert(sizeof(clap_plugin_preset_load_t) == pick(8, 4));
static_assert(sizeof(clap_host_preset_load_t) == pick(16, 8));

} // namespace
