#include "clap_test_host.h"

#include "clap_abi/gui.h"
#include "clap_abi/presets.h"

#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace miral::clap_test {
namespace {

const clap_host_timer_support_t kTimers = {
    [](const clap_host_t*, uint32_t, clap_id* id) {
        HostRecord& record = hostRecord();
        *id = record.lastTimer = static_cast<clap_id>(++record.timersRegistered);
        return true;
    },
    [](const clap_host_t*, clap_id) {
        ++hostRecord().timersUnregistered;
        return true;
    },
};

const clap_host_params_t kHostParams = {
    [](const clap_host_t*, uint32_t flags) { hostRecord().rescans.push_back(flags); },
    [](const clap_host_t*, clap_id, uint32_t) {},
    [](const clap_host_t*) { ++hostRecord().flushRequests; },
};

const clap_host_thread_check_t kThreadCheck = {
    [](const clap_host_t*) { return hostRecord().onMainThread; },
    [](const clap_host_t*) { return hostRecord().onAudioThread; },
};

const clap_host_preset_load_t kPresetLoad = {
    [](const clap_host_t*, uint32_t, const char*, const char*, int32_t, const char* message) {
        hostRecord().presetErrors.emplace_back(message != nullptr ? message : "");
    },
    [](const clap_host_t*, uint32_t, const char*, const char* key) {
        hostRecord().presetsLoaded.emplace_back(key != nullptr ? key : "");
    },
};

const void* hostExtension(const clap_host_t*, const char* id) {
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0)
        return hostRecord().offerThreadCheck ? &kThreadCheck : nullptr;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return hostRecord().offerTimers ? &kTimers : nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &kHostParams;
    if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0)
        return &kPresetLoad;
    return nullptr;
}

const clap_host_t kHost = {
    {1, 2, 0},
    nullptr,
    "MIRAL test host",
    "tests",
    "",
    "1.0",
    hostExtension,
    [](const clap_host_t*) {},
    [](const clap_host_t*) {},
    [](const clap_host_t*) {},
};

const clap_plugin_entry_t* loadEntry() {
    std::string error;
    // Kept loaded to the end of the program, as hosts keep it: what the library's dependencies
    // hold at exit stays attributable to them.
    static const platform::DynamicLibrary* const library =
        platform::DynamicLibrary::load(MIRAL_CLAP_PATH, &error).release();
    if (library == nullptr) {
        ADD_FAILURE() << "cannot load " << MIRAL_CLAP_PATH << ": " << error;
        return nullptr;
    }
    const auto* found = static_cast<const clap_plugin_entry_t*>(library->entry("clap_entry"));
    if (found == nullptr || !found->init(MIRAL_CLAP_PATH)) {
        ADD_FAILURE() << "clap_entry missing or its init failed";
        return nullptr;
    }
    return found;
}

} // namespace

HostRecord& hostRecord() {
    static HostRecord record;
    return record;
}

const clap_plugin_entry_t* entry() {
    static const clap_plugin_entry_t* const loaded = loadEntry();
    return loaded;
}

const clap_plugin_factory_t* factory() {
    const clap_plugin_entry_t* loaded = entry();
    return loaded != nullptr ? static_cast<const clap_plugin_factory_t*>(
                                   loaded->get_factory(CLAP_PLUGIN_FACTORY_ID))
                             : nullptr;
}

EventList::EventList() {
    list_.ctx = this;
    list_.size = [](const clap_input_events_t* list) {
        return static_cast<uint32_t>(static_cast<EventList*>(list->ctx)->events_.size());
    };
    list_.get = [](const clap_input_events_t* list, uint32_t index) {
        const auto& events = static_cast<EventList*>(list->ctx)->events_;
        return index < events.size() ? &events[index].header : nullptr;
    };
}

void EventList::addValue(uint32_t time, clap_id id, double value) {
    clap_event_param_mod_t event{};
    event.header = {sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID,
                    CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.amount = value;
    events_.push_back(event);
}

void EventList::addModulation(uint32_t time, clap_id id, double amount) {
    addValue(time, id, amount);
    events_.back().header.size = sizeof(clap_event_param_mod_t);
    events_.back().header.type = CLAP_EVENT_PARAM_MOD;
}

AudioBlock::AudioBlock(uint32_t channelCount, uint32_t frames)
    : channels(channelCount, std::vector<float>(frames)) {}

Instance::Instance() {
    const clap_plugin_factory_t* found = factory();
    if (found == nullptr)
        return;
    const clap_plugin_descriptor_t* descriptor = found->get_plugin_descriptor(found, 0);
    plugin_ = found->create_plugin(found, &kHost, descriptor->id);
    if (plugin_ != nullptr && !plugin_->init(plugin_)) {
        plugin_->destroy(plugin_);
        plugin_ = nullptr;
    }
}

Instance::~Instance() {
    if (plugin_ == nullptr)
        return;
    if (active_) {
        plugin_->stop_processing(plugin_);
        plugin_->deactivate(plugin_);
    }
    plugin_->destroy(plugin_);
}

const clap_plugin_params_t& Instance::params() const {
    return *extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
}

const clap_plugin_state_t& Instance::state() const {
    return *extension<clap_plugin_state_t>(CLAP_EXT_STATE);
}

bool Instance::start(double sampleRate, uint32_t maxFrames) {
    active_ = plugin_->activate(plugin_, sampleRate, 1, maxFrames);
    return active_ && plugin_->start_processing(plugin_);
}

clap_process_status Instance::process(const AudioBlock& input, AudioBlock& output,
                                      const EventList& events) {
    // Fixed arrays: the host side of a block allocates nothing either.
    std::array<float*, 2> in{};
    for (size_t c = 0; c < input.channels.size() && c < in.size(); ++c)
        in[c] = const_cast<float*>(input.channels[c].data());
    std::array<float*, 2> out{};
    for (size_t c = 0; c < output.channels.size() && c < out.size(); ++c)
        out[c] = output.channels[c].data();
    clap_audio_buffer_t inputs{in.data(), nullptr, static_cast<uint32_t>(input.channels.size()), 0,
                               0};
    clap_audio_buffer_t outputs{out.data(), nullptr, static_cast<uint32_t>(output.channels.size()),
                                0, 0};
    sentEvents.clear();
    clap_output_events_t sent{
        this, [](const clap_output_events_t* list, const clap_event_header_t* event) {
            static_cast<Instance*>(list->ctx)->sentEvents.push_back(event->type);
            return true;
        }};
    clap_process_t block{};
    block.steady_time = -1;
    block.frames_count = static_cast<uint32_t>(output.channels[0].size());
    block.audio_inputs = &inputs;
    block.audio_outputs = &outputs;
    block.audio_inputs_count = 1;
    block.audio_outputs_count = 1;
    block.in_events = events.list();
    block.out_events = &sent;
    return plugin_->process(plugin_, &block);
}

double Instance::value(clap_id id) const {
    double result = -1.0;
    EXPECT_TRUE(params().get_value(plugin_, id, &result));
    return result;
}

MemoryOutput::MemoryOutput(uint64_t chunk) : chunk_(chunk) {
    stream_.ctx = this;
    stream_.write = [](const clap_ostream_t* stream, const void* data, uint64_t size) {
        auto* self = static_cast<MemoryOutput*>(stream->ctx);
        const auto taken = static_cast<size_t>(std::min(size, self->chunk_));
        const auto* given = static_cast<const uint8_t*>(data);
        self->bytes.insert(self->bytes.end(), given, given + taken);
        return static_cast<int64_t>(taken);
    };
}

MemoryInput::MemoryInput(std::vector<uint8_t> bytes, uint64_t chunk, uint64_t failAfter)
    : bytes_(std::move(bytes)), chunk_(chunk), failAfter_(failAfter) {
    stream_.ctx = this;
    stream_.read = [](const clap_istream_t* stream, void* data, uint64_t size) -> int64_t {
        auto* self = static_cast<MemoryInput*>(stream->ctx);
        if (self->position_ >= self->failAfter_)
            return -1;
        const uint64_t left = self->bytes_.size() - self->position_;
        const auto given = static_cast<size_t>(std::min({size, self->chunk_, left}));
        if (given > 0)
            std::memcpy(data, self->bytes_.data() + self->position_, given);
        self->position_ += given;
        return static_cast<int64_t>(given);
    };
}

} // namespace miral::clap_test
