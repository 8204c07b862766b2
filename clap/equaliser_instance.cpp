#include "equaliser_instance.h"

#include "preset_library.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace miral::clap {
namespace {

/// The event as `Event` when it is a core event of that type and size; null otherwise.
template <typename Event> const Event* eventAs(const clap_event_header_t& header, uint16_t type) {
    if (header.space_id != CLAP_CORE_EVENT_SPACE_ID || header.type != type ||
        header.size < sizeof(Event))
        return nullptr;
    return reinterpret_cast<const Event*>(&header);
}

/// The two channel pointers of a main port: a mono port's one channel serves as both, as the
/// engine takes identical inputs for mono. Null channels make the port unusable.
template <typename Sample> bool channelsOf(const clap_audio_buffer_t& buffer, Sample* channels[2]) {
    if (buffer.data32 == nullptr || buffer.channel_count == 0)
        return false;
    channels[0] = buffer.data32[0];
    channels[1] = buffer.channel_count > 1 ? buffer.data32[1] : buffer.data32[0];
    return channels[0] != nullptr && channels[1] != nullptr;
}

} // namespace

// How often the editor idles: about 30 times a second.
constexpr uint32_t kEditorIdleMs = 33;

EqualiserInstance::EqualiserInstance(const clap_plugin_t& entries, const clap_host_t* host)
    : plugin_(entries), host_(host) {
    plugin_.plugin_data = this;
    // Hosts automate continuously: changes glide as in the LV2 build instead of stepping.
    engine_.setSmoothingTime(kDefaultSmoothingSeconds);
    for (uint32_t id = 0; id < kParamCount; ++id)
        values_[id].store(paramFacts(id).defaultValue);
}

EqualiserInstance::~EqualiserInstance() {
    destroyEditor();
}

void EqualiserInstance::init() {
    threads_.init(host_);
    if (host_->get_extension == nullptr)
        return;
    hostParams_ =
        static_cast<const clap_host_params_t*>(host_->get_extension(host_, CLAP_EXT_PARAMS));
    hostTimers_ = static_cast<const clap_host_timer_support_t*>(
        host_->get_extension(host_, CLAP_EXT_TIMER_SUPPORT));
    hostPresetLoad_ = static_cast<const clap_host_preset_load_t*>(
        host_->get_extension(host_, CLAP_EXT_PRESET_LOAD));
    if (hostPresetLoad_ == nullptr)
        hostPresetLoad_ = static_cast<const clap_host_preset_load_t*>(
            host_->get_extension(host_, CLAP_EXT_PRESET_LOAD_COMPAT));
}

EqualiserInstance& EqualiserInstance::of(const clap_plugin_t* plugin) {
    return *static_cast<EqualiserInstance*>(plugin->plugin_data);
}

bool EqualiserInstance::activate(double sampleRateHz, uint32_t maxFrames) {
    if (!(sampleRateHz > 0.0) || sampleRateHz > std::numeric_limits<float>::max())
        return false;
    sampleRateHz_ = sampleRateHz;
    engine_.setSampleRate(static_cast<float>(sampleRateHz));
    engine_.setBlockSize(
        static_cast<int32_t>(std::min<uint32_t>(maxFrames, std::numeric_limits<int32_t>::max())));
    // Values taken while the engine was bypassed (or before) reach it now.
    for (uint32_t id = 0; id < kParamCount; ++id)
        sendToEngine(id);
    engine_.resume();
    return true;
}

void EqualiserInstance::reset() noexcept {
    engine_.resume();
}

clap_process_status EqualiserInstance::process(const clap_process_t& process) noexcept {
    const float* inputs[2];
    float* outputs[2];
    if (process.audio_inputs_count < 1 || process.audio_outputs_count < 1 ||
        !channelsOf(process.audio_inputs[0], inputs) ||
        !channelsOf(process.audio_outputs[0], outputs))
        return CLAP_PROCESS_ERROR;
    const uint32_t frames =
        std::min<uint32_t>(process.frames_count, std::numeric_limits<int32_t>::max());
    uint32_t position = 0;
    const clap_input_events_t* events = process.in_events;
    const uint32_t count = events != nullptr ? events->size(events) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* event = events->get(events, i);
        const std::optional<ParamChange> change =
            event != nullptr ? changeOf(*event) : std::nullopt;
        // Split only where something changes: a split alone moves a glide's sub-blocks.
        if (!change)
            continue;
        const uint32_t at = std::clamp(event->time, position, frames);
        filter(inputs, outputs, position, at);
        position = at;
        apply(*change);
    }
    filter(inputs, outputs, position, frames);
    sendEditorChanges(process.out_events);
    return CLAP_PROCESS_CONTINUE;
}

void EqualiserInstance::flush(const clap_input_events_t* in,
                              const clap_output_events_t* out) noexcept {
    const uint32_t count = in != nullptr ? in->size(in) : 0;
    for (uint32_t i = 0; i < count; ++i)
        if (const clap_event_header_t* event = in->get(in, i))
            if (const std::optional<ParamChange> change = changeOf(*event))
                apply(*change);
    sendEditorChanges(out);
}

bool EqualiserInstance::createEditor() {
    if (editor_ != nullptr || hostTimers_ == nullptr)
        return false;
    EditorHost::Listener& listener = *this;
    std::unique_ptr<EditorHost> created;
    try {
        created = std::make_unique<EditorHost>(listener, sampleRateHz_);
    } catch (const std::bad_alloc&) {
        return false; // nothing may leave through the interface
    }
    if (!hostTimers_->register_timer(host_, kEditorIdleMs, &editorTimer_))
        return false;
    editor_ = std::move(created);
    return true;
}

void EqualiserInstance::destroyEditor() {
    if (editor_ == nullptr)
        return;
    hostTimers_->unregister_timer(host_, editorTimer_);
    editorTimer_ = CLAP_INVALID_ID;
    editor_.reset();
}

bool EqualiserInstance::editorSize(uint32_t* width, uint32_t* height) {
    return editor_ != nullptr && width != nullptr && height != nullptr &&
           editor_->size(width, height);
}

bool EqualiserInstance::setEditorScale(double factor) {
    return editor_ != nullptr && editor_->setScale(factor);
}

bool EqualiserInstance::openEditor(void* parentWindow) {
    return editor_ != nullptr && !editor_->isOpen() && editor_->open(parentWindow);
}

bool EqualiserInstance::isEditorOpen() const {
    return editor_ != nullptr && editor_->isOpen();
}

void EqualiserInstance::onTimer(clap_id timer) {
    if (editor_ == nullptr || timer != editorTimer_)
        return;
    ParamValues values{};
    for (uint32_t id = 0; id < kParamCount; ++id)
        values[id] = values_[id].load();
    editor_->idle(values);
}

void EqualiserInstance::editorGesture(uint32_t id, bool begins) {
    editorChanges_.push(
        {begins ? EditorChange::Kind::GestureBegin : EditorChange::Kind::GestureEnd, id, 0.0});
    if (hostParams_ != nullptr)
        hostParams_->request_flush(host_);
}

double EqualiserInstance::editorValue(uint32_t id, float normalised) {
    const double plain =
        limitedPlainValue(id, plainValue(id, normalised)).value_or(values_[id].load());
    values_[id].store(plain);
    sendToEngine(id);
    editorChanges_.push({EditorChange::Kind::Value, id, plain});
    if (hostParams_ != nullptr)
        hostParams_->request_flush(host_);
    return plain;
}

void EqualiserInstance::editorSolo(int32_t band) {
    engine_.setSolo(band); // atomic: the audio thread takes it at its next block
}

void EqualiserInstance::sendEditorChanges(const clap_output_events_t* out) noexcept {
    while (const std::optional<EditorChange> change = editorChanges_.pop()) {
        if (out == nullptr)
            continue;
        const clap_event_header_t header{0, 0, CLAP_CORE_EVENT_SPACE_ID, 0, 0};
        if (change->kind == EditorChange::Kind::Value) {
            clap_event_param_value_t event{};
            event.header = header;
            event.header.size = sizeof event;
            event.header.type = CLAP_EVENT_PARAM_VALUE;
            event.param_id = change->id;
            event.note_id = -1;
            event.port_index = event.channel = event.key = -1;
            event.value = change->value;
            out->try_push(out, &event.header);
        } else {
            clap_event_param_gesture_t event{};
            event.header = header;
            event.header.size = sizeof event;
            event.header.type = change->kind == EditorChange::Kind::GestureBegin
                                    ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                    : CLAP_EVENT_PARAM_GESTURE_END;
            event.param_id = change->id;
            out->try_push(out, &event.header);
        }
    }
}

bool EqualiserInstance::paramValue(clap_id id, double* value) const {
    if (!isParamId(id) || value == nullptr)
        return false;
    *value = values_[id].load();
    return true;
}

bool EqualiserInstance::saveState(const clap_ostream_t& stream) const {
    ParamValues values{};
    for (uint32_t id = 0; id < kParamCount; ++id)
        values[id] = values_[id].load();
    const StateRecord record = encodeState({values, program_});
    size_t written = 0;
    while (written < record.size()) {
        const int64_t done =
            stream.write(&stream, record.data() + written, record.size() - written);
        if (done <= 0 || static_cast<uint64_t>(done) > record.size() - written)
            return false;
        written += static_cast<size_t>(done);
    }
    return true;
}

bool EqualiserInstance::loadState(const clap_istream_t& stream) {
    // One byte more than a record: a longer stream is not a record of this version.
    std::array<uint8_t, kStateRecordBytes + 1> bytes{};
    size_t length = 0;
    while (length < bytes.size()) {
        const int64_t done = stream.read(&stream, bytes.data() + length, bytes.size() - length);
        if (done == 0)
            break;
        if (done < 0 || static_cast<uint64_t>(done) > bytes.size() - length)
            return false;
        length += static_cast<size_t>(done);
    }
    const std::optional<PluginState> state = decodeState({bytes.data(), length});
    if (!state)
        return false;
    for (uint32_t id = 0; id < kParamCount; ++id) {
        values_[id].store(state->values[id]);
        sendToEngine(id);
    }
    program_ = state->program;
    return true;
}

bool EqualiserInstance::loadPreset(uint32_t kind, const char* location, const char* loadKey) {
    if (kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN) {
        const std::optional<uint32_t> program = programOfLoadKey(loadKey);
        if (!program) {
            reportPresetError(kind, location, loadKey, "no such factory program");
            return false;
        }
        takeValues(programValues(*program));
        program_ = *program;
    } else if (kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE && location != nullptr) {
        const UserPreset preset = readUserPreset(location);
        if (!preset.values) {
            reportPresetError(kind, location, loadKey, preset.problem.c_str());
            return false;
        }
        takeValues(*preset.values);
        program_ = kNoProgram;
    } else {
        reportPresetError(kind, location, loadKey, "no such preset location");
        return false;
    }
    if (hostPresetLoad_ != nullptr)
        hostPresetLoad_->loaded(host_, kind, location, loadKey);
    return true;
}

void EqualiserInstance::takeValues(const ParamValues& values) {
    for (uint32_t id = 0; id < kParamCount; ++id) {
        values_[id].store(values[id]);
        sendToEngine(id);
    }
    if (hostParams_ != nullptr)
        hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
}

void EqualiserInstance::reportPresetError(uint32_t kind, const char* location, const char* loadKey,
                                          const char* problem) {
    if (hostPresetLoad_ != nullptr)
        hostPresetLoad_->on_error(host_, kind, location, loadKey, 0, problem);
}

std::optional<EqualiserInstance::ParamChange>
EqualiserInstance::changeOf(const clap_event_header_t& event) const noexcept {
    if (const auto* change = eventAs<clap_event_param_value_t>(event, CLAP_EVENT_PARAM_VALUE)) {
        if (!isParamId(change->param_id))
            return std::nullopt;
        const std::optional<double> value = limitedPlainValue(change->param_id, change->value);
        if (!value || *value == values_[change->param_id].load())
            return std::nullopt;
        return ParamChange{change->param_id, *value, false};
    }
    if (const auto* mod = eventAs<clap_event_param_mod_t>(event, CLAP_EVENT_PARAM_MOD)) {
        if (!isParamId(mod->param_id) || !paramFacts(mod->param_id).modulatable ||
            !std::isfinite(mod->amount) || mod->amount == modulation_[mod->param_id].load())
            return std::nullopt;
        return ParamChange{mod->param_id, mod->amount, true};
    }
    return std::nullopt;
}

void EqualiserInstance::apply(const ParamChange& change) noexcept {
    (change.modulation ? modulation_ : values_)[change.id].store(change.value);
    sendToEngine(change.id);
}

void EqualiserInstance::sendToEngine(uint32_t id) noexcept {
    const std::optional<double> heard =
        limitedPlainValue(id, values_[id].load() + modulation_[id].load());
    if (heard)
        engine_.setParameter(static_cast<int32_t>(id), normalisedValue(id, *heard));
}

void EqualiserInstance::filter(const float* const* inputs, float* const* outputs, uint32_t begin,
                               uint32_t end) noexcept {
    if (end <= begin)
        return;
    const float* in[2] = {inputs[0] + begin, inputs[1] + begin};
    float* out[2] = {outputs[0] + begin, outputs[1] + begin};
    engine_.processReplacing(in, out, static_cast<int32_t>(end - begin));
}

} // namespace miral::clap
