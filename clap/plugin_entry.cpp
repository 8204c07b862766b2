// The CLAP entry point of miral.clap: one factory with one plug-in, the equaliser, and the
// extensions it offers (audio ports, latency, parameters, state, preset loading, the embedded
// editor and the timer it idles on); and the preset discovery factory for hosts' browsers. The
// record entries turn calls into calls on the instance behind plugin_data.
#include "clap_abi/extensions.h"
#include "clap_abi/gui.h"
#include "equaliser_instance.h"
#include "param_facts.h"
#include "preset_library.h"
#include "preset_provider.h"

#include <cstring>
#include <exception>
#include <new>

namespace miral::clap {
namespace {

constexpr const char* kFeatures[] = {"audio-effect", "equalizer", "stereo", "mono", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION,
    kPluginId,
    "MIRAL",
    "TOLMEK Soft",
    "",
    "",
    "",
    MIRAL_VERSION,
    "Six-band parametric equaliser",
    kFeatures,
};

EqualiserInstance& instance(const clap_plugin_t* plugin) {
    return EqualiserInstance::of(plugin);
}

bool calledOnMainThread(const clap_plugin_t* plugin) {
    return instance(plugin).threads().onMainThread();
}

bool calledOnAudioThread(const clap_plugin_t* plugin) {
    return instance(plugin).threads().onAudioThread();
}

void copyName(char* target, size_t capacity, const char* name) {
    std::strncpy(target, name, capacity - 1);
    target[capacity - 1] = '\0';
}

// --- Audio ports: one stereo input and output, processed in place if the host likes. ---

constexpr clap_id kMainPortId = 0;

uint32_t CLAP_ABI audioPortCount(const clap_plugin_t*, bool) {
    return 1;
}

bool CLAP_ABI audioPortInfo(const clap_plugin_t*, uint32_t index, bool isInput,
                            clap_audio_port_info_t* info) {
    if (index != 0 || info == nullptr)
        return false;
    info->id = kMainPortId;
    copyName(info->name, CLAP_NAME_SIZE, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = kMainPortId;
    return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {audioPortCount, audioPortInfo};

uint32_t CLAP_ABI latency(const clap_plugin_t*) {
    return 0;
}

const clap_plugin_latency_t kLatency = {latency};

// --- Parameters ---

uint32_t CLAP_ABI paramCount(const clap_plugin_t*) {
    return kParamCount;
}

bool CLAP_ABI paramInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
    if (!isParamId(index) || info == nullptr)
        return false;
    const ParamFacts facts = paramFacts(index);
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (facts.stepped)
        info->flags |= CLAP_PARAM_IS_STEPPED;
    if (facts.modulatable)
        info->flags |= CLAP_PARAM_IS_MODULATABLE;
    info->cookie = nullptr;
    copyName(info->name, CLAP_NAME_SIZE, facts.name);
    copyName(info->module, CLAP_PATH_SIZE, facts.module);
    info->min_value = facts.minValue;
    info->max_value = facts.maxValue;
    info->default_value = facts.defaultValue;
    return true;
}

bool CLAP_ABI paramValue(const clap_plugin_t* plugin, clap_id id, double* value) {
    return calledOnMainThread(plugin) && instance(plugin).paramValue(id, value);
}

bool CLAP_ABI valueToText(const clap_plugin_t*, clap_id id, double value, char* text,
                          uint32_t capacity) {
    return isParamId(id) && text != nullptr && formatValue(id, value, text, capacity);
}

bool CLAP_ABI textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) {
    if (!isParamId(id) || value == nullptr)
        return false;
    const std::optional<double> parsed = parseValue(id, text);
    if (parsed)
        *value = *parsed;
    return parsed.has_value();
}

void CLAP_ABI flushParams(const clap_plugin_t* plugin, const clap_input_events_t* in,
                          const clap_output_events_t* out) {
    instance(plugin).flush(in, out);
}

const clap_plugin_params_t kParams = {paramCount,  paramInfo,   paramValue,
                                      valueToText, textToValue, flushParams};

// --- State ---

bool CLAP_ABI saveState(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
    return stream != nullptr && calledOnMainThread(plugin) && instance(plugin).saveState(*stream);
}

bool CLAP_ABI loadState(const clap_plugin_t* plugin, const clap_istream_t* stream) {
    return stream != nullptr && calledOnMainThread(plugin) && instance(plugin).loadState(*stream);
}

const clap_plugin_state_t kState = {saveState, loadState};

// --- Presets the host's browser lists ---

bool CLAP_ABI loadPreset(const clap_plugin_t* plugin, uint32_t kind, const char* location,
                         const char* loadKey) {
    if (!calledOnMainThread(plugin))
        return false;
    try {
        return instance(plugin).loadPreset(kind, location, loadKey);
    } catch (const std::exception&) {
        return false; // nothing may leave through the interface
    }
}

const clap_plugin_preset_load_t kPresetLoad = {loadPreset};

// --- The editor: embedded in the host's window of this system, at the host's scale ---

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

bool CLAP_ABI guiApiSupported(const clap_plugin_t*, const char* api, bool isFloating) {
    return !isFloating && api != nullptr && std::strcmp(api, kWindowApi) == 0;
}

bool CLAP_ABI guiPreferredApi(const clap_plugin_t*, const char** api, bool* isFloating) {
    if (api == nullptr || isFloating == nullptr)
        return false;
    *api = kWindowApi;
    *isFloating = false;
    return true;
}

bool CLAP_ABI guiCreate(const clap_plugin_t* plugin, const char* api, bool isFloating) {
    return guiApiSupported(plugin, api, isFloating) && calledOnMainThread(plugin) &&
           instance(plugin).createEditor();
}

void CLAP_ABI guiDestroy(const clap_plugin_t* plugin) {
    instance(plugin).destroyEditor();
}

/// The editor draws itself sharp at 1 to 3 times its size, in the physical pixels both window
/// systems use here; the host's factor applies from the editor's opening on.
bool CLAP_ABI guiSetScale(const clap_plugin_t* plugin, double scale) {
    return scale >= 1.0 && scale <= 3.0 && calledOnMainThread(plugin) &&
           instance(plugin).setEditorScale(scale);
}

bool CLAP_ABI guiSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
    return instance(plugin).editorSize(width, height);
}

bool CLAP_ABI guiCanResize(const clap_plugin_t*) {
    return false;
}

bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) {
    return false;
}

bool CLAP_ABI guiAdjustSize(const clap_plugin_t*, uint32_t*, uint32_t*) {
    return false;
}

bool CLAP_ABI guiSetSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height) {
    uint32_t ownWidth = 0;
    uint32_t ownHeight = 0;
    return instance(plugin).editorSize(&ownWidth, &ownHeight) && width == ownWidth &&
           height == ownHeight;
}

bool CLAP_ABI guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window) {
    if (window == nullptr || window->api == nullptr || std::strcmp(window->api, kWindowApi) != 0)
        return false;
#if defined(_WIN32)
    void* parent = window->win32;
#else
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window->x11));
#endif
    return calledOnMainThread(plugin) && instance(plugin).openEditor(parent);
}

bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*) {
    return false;
}

void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}

// The editor lives inside the host's window, which the host shows and hides.
bool CLAP_ABI guiShowOrHide(const clap_plugin_t* plugin) {
    return instance(plugin).isEditorOpen();
}

const clap_plugin_gui_t kGui = {
    guiApiSupported, guiPreferredApi, guiCreate,       guiDestroy,    guiSetScale,
    guiSize,         guiCanResize,    guiResizeHints,  guiAdjustSize, guiSetSize,
    guiSetParent,    guiSetTransient, guiSuggestTitle, guiShowOrHide, guiShowOrHide,
};

void CLAP_ABI onTimer(const clap_plugin_t* plugin, clap_id timer) {
    if (calledOnMainThread(plugin))
        instance(plugin).onTimer(timer);
}

const clap_plugin_timer_support_t kTimerSupport = {onTimer};

// --- The plug-in record ---

bool CLAP_ABI init(const clap_plugin_t* plugin) {
    instance(plugin).init();
    return true;
}

void CLAP_ABI destroy(const clap_plugin_t* plugin) {
    delete &instance(plugin);
}

bool CLAP_ABI activate(const clap_plugin_t* plugin, double sampleRate, uint32_t,
                       uint32_t maxFrames) {
    return calledOnMainThread(plugin) && instance(plugin).activate(sampleRate, maxFrames);
}

void CLAP_ABI deactivate(const clap_plugin_t*) {}

bool CLAP_ABI startProcessing(const clap_plugin_t* plugin) {
    return calledOnAudioThread(plugin);
}

void CLAP_ABI stopProcessing(const clap_plugin_t*) {}

void CLAP_ABI reset(const clap_plugin_t* plugin) {
    if (calledOnAudioThread(plugin))
        instance(plugin).reset();
}

clap_process_status CLAP_ABI process(const clap_plugin_t* plugin, const clap_process_t* block) {
    return block != nullptr && calledOnAudioThread(plugin) ? instance(plugin).process(*block)
                                                           : CLAP_PROCESS_ERROR;
}

const void* CLAP_ABI extension(const clap_plugin_t*, const char* id) {
    if (id == nullptr)
        return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0)
        return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
        return &kLatency;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0)
        return &kState;
    if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0 ||
        std::strcmp(id, CLAP_EXT_PRESET_LOAD_COMPAT) == 0)
        return &kPresetLoad;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0)
        return &kGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return &kTimerSupport;
    return nullptr;
}

void CLAP_ABI onMainThread(const clap_plugin_t*) {}

const clap_plugin_t kPluginEntries = {
    &kDescriptor,    nullptr,        init,  destroy, activate,  deactivate,
    startProcessing, stopProcessing, reset, process, extension, onMainThread,
};

// --- Factory and entry ---

uint32_t CLAP_ABI pluginCount(const clap_plugin_factory_t*) {
    return 1;
}

const clap_plugin_descriptor_t* CLAP_ABI pluginDescriptor(const clap_plugin_factory_t*,
                                                          uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI createPlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                           const char* pluginId) {
    if (host == nullptr || !clapVersionIsCompatible(host->clap_version) || pluginId == nullptr ||
        std::strcmp(pluginId, kDescriptor.id) != 0)
        return nullptr;
    const auto* created = new (std::nothrow) EqualiserInstance(kPluginEntries, host);
    return created != nullptr ? created->plugin() : nullptr;
}

const clap_plugin_factory_t kFactory = {pluginCount, pluginDescriptor, createPlugin};

bool CLAP_ABI entryInit(const char*) {
    return true;
}

void CLAP_ABI entryDeinit() {}

const void* CLAP_ABI factory(const char* id) {
    if (id == nullptr)
        return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0)
        return &kFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return &presetDiscoveryFactory();
    return nullptr;
}

} // namespace
} // namespace miral::clap

extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    extern const clap_plugin_entry_t clap_entry = {CLAP_VERSION, miral::clap::entryInit,
                                                   miral::clap::entryDeinit, miral::clap::factory};
}
