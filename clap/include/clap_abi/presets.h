#pragma once

// The CLAP 1.2 preset discovery factory, with which hosts list presets in their browsers, and
// the preset-load extension that loads what they list. C layout, the interface's own names.

#include "clap_abi/core.h"

extern "C" {

inline constexpr char CLAP_PRESET_DISCOVERY_FACTORY_ID[] = "clap.preset-discovery-factory/2";
/// The same factory under the name of its draft, which hosts of 1.1 ask for.
inline constexpr char CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT[] =
    "clap.preset-discovery-factory/draft-2";

enum clap_preset_discovery_location_kind {
    CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0,   ///< a file or folder path
    CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1, ///< inside the plug-in; the location is null
};

enum clap_preset_discovery_flags {
    CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1 << 0,
    CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 1 << 1,
    CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 1 << 2,
    CLAP_PRESET_DISCOVERY_IS_FAVORITE = 1 << 3,
};

typedef uint64_t clap_timestamp_t;

typedef struct clap_universal_plugin_id {
    const char* abi; ///< "clap"
    const char* id;  ///< the plug-in's id
} clap_universal_plugin_id_t;

/// The host's receiver of one location's presets.
typedef struct clap_preset_discovery_metadata_receiver {
    void* receiver_data;
    void(CLAP_ABI* on_error)(const struct clap_preset_discovery_metadata_receiver* receiver,
                             int32_t os_error, const char* error_message);
    /// Starts a preset; false: send nothing more.
    bool(CLAP_ABI* begin_preset)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                 const char* name, const char* load_key);
    void(CLAP_ABI* add_plugin_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                  const clap_universal_plugin_id_t* plugin_id);
    void(CLAP_ABI* set_soundpack_id)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                     const char* soundpack_id);
    void(CLAP_ABI* set_flags)(const struct clap_preset_discovery_metadata_receiver* receiver,
                              uint32_t flags);
    void(CLAP_ABI* add_creator)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                const char* creator);
    void(CLAP_ABI* set_description)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                    const char* description);
    void(CLAP_ABI* set_timestamps)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                   clap_timestamp_t creation_time,
                                   clap_timestamp_t modification_time);
    void(CLAP_ABI* add_feature)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                const char* feature);
    void(CLAP_ABI* add_extra_info)(const struct clap_preset_discovery_metadata_receiver* receiver,
                                   const char* key, const char* value);
} clap_preset_discovery_metadata_receiver_t;

typedef struct clap_preset_discovery_filetype {
    const char* name;
    const char* description;
    const char* file_extension; ///< without the point
} clap_preset_discovery_filetype_t;

typedef struct clap_preset_discovery_location {
    uint32_t flags;
    const char* name;
    uint32_t kind;
    const char* location; ///< null for the kind PLUGIN
} clap_preset_discovery_location_t;

typedef struct clap_preset_discovery_soundpack {
    uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    clap_timestamp_t release_timestamp;
} clap_preset_discovery_soundpack_t;

typedef struct clap_preset_discovery_provider_descriptor {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
} clap_preset_discovery_provider_descriptor_t;

typedef struct clap_preset_discovery_provider {
    const clap_preset_discovery_provider_descriptor_t* desc;
    void* provider_data;
    bool(CLAP_ABI* init)(const struct clap_preset_discovery_provider* provider);
    void(CLAP_ABI* destroy)(const struct clap_preset_discovery_provider* provider);
    bool(CLAP_ABI* get_metadata)(const struct clap_preset_discovery_provider* provider,
                                 uint32_t location_kind, const char* location,
                                 const clap_preset_discovery_metadata_receiver_t* receiver);
    const void*(CLAP_ABI* get_extension)(const struct clap_preset_discovery_provider* provider,
                                         const char* extension_id);
} clap_preset_discovery_provider_t;

/// The host's side: what the provider declares in init.
typedef struct clap_preset_discovery_indexer {
    clap_version_t clap_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool(CLAP_ABI* declare_filetype)(const struct clap_preset_discovery_indexer* indexer,
                                     const clap_preset_discovery_filetype_t* filetype);
    bool(CLAP_ABI* declare_location)(const struct clap_preset_discovery_indexer* indexer,
                                     const clap_preset_discovery_location_t* location);
    bool(CLAP_ABI* declare_soundpack)(const struct clap_preset_discovery_indexer* indexer,
                                      const clap_preset_discovery_soundpack_t* soundpack);
    const void*(CLAP_ABI* get_extension)(const struct clap_preset_discovery_indexer* indexer,
                                         const char* extension_id);
} clap_preset_discovery_indexer_t;

/// Every call may come from any thread.
typedef struct clap_preset_discovery_factory {
    uint32_t(CLAP_ABI* count)(const struct clap_preset_discovery_factory* factory);
    const clap_preset_discovery_provider_descriptor_t*(CLAP_ABI* get_descriptor)(
        const struct clap_preset_discovery_factory* factory, uint32_t index);
    const clap_preset_discovery_provider_t*(CLAP_ABI* create)(
        const struct clap_preset_discovery_factory* factory,
        const clap_preset_discovery_indexer_t* indexer, const char* provider_id);
} clap_preset_discovery_factory_t;

// --- Loading a listed preset ---

inline constexpr char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
inline constexpr char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";

typedef struct clap_plugin_preset_load {
    /// Main thread.
    bool(CLAP_ABI* from_location)(const clap_plugin_t* plugin, uint32_t location_kind,
                                  const char* location, const char* load_key);
} clap_plugin_preset_load_t;

typedef struct clap_host_preset_load {
    void(CLAP_ABI* on_error)(const clap_host_t* host, uint32_t location_kind, const char* location,
                             const char* load_key, int32_t os_error, const char* msg);
    void(CLAP_ABI* loaded)(const clap_host_t* host, uint32_t location_kind, const char* location,
                           const char* load_key);
} clap_host_preset_load_t;

/// The host's rescan flag for new values, as after loading a preset.
inline constexpr uint32_t CLAP_PARAM_RESCAN_VALUES = 1 << 0;

} // extern "C"
