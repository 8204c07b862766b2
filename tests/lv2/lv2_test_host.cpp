#include "test_support/lv2_test_host.h"

#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace miral::test {

Lv2World::Lv2World() : world_(lilv_world_new()) {
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, MIRAL_LV2_BUNDLE "/");
    lilv_world_load_bundle(world_, bundle);
    lilv_node_free(bundle);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node(lv2::kPluginUri));
}

Lv2World::~Lv2World() {
    for (LilvNode* n : nodes_)
        lilv_node_free(n);
    lilv_world_free(world_);
}

const LilvNode* Lv2World::node(const char* uri) {
    nodes_.push_back(lilv_new_uri(world_, uri));
    return nodes_.back();
}

LV2_URID Lv2World::mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& urids = static_cast<Lv2World*>(handle)->urids_;
    const auto found = std::find(urids.begin(), urids.end(), uri);
    if (found != urids.end())
        return static_cast<LV2_URID>(found - urids.begin() + 1);
    urids.emplace_back(uri);
    return static_cast<LV2_URID>(urids.size());
}

ControlValues Lv2World::defaults() const {
    std::array<float, lv2::kNumPorts> values{};
    lilv_plugin_get_port_ranges_float(plugin_, nullptr, nullptr, values.data());
    ControlValues controls{};
    std::copy_n(values.begin(), kNumParams, controls.begin());
    return controls;
}

namespace {

struct PresetReading {
    const LilvPlugin* plugin;
    LilvWorld* world;
    LV2_URID floatType;
    ControlValues* values;
};

void takePortValue(const char* symbol, void* user, const void* value, uint32_t size,
                   uint32_t type) {
    auto* reading = static_cast<PresetReading*>(user);
    LilvNode* symbolNode = lilv_new_string(reading->world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(reading->plugin, symbolNode);
    lilv_node_free(symbolNode);
    if (port == nullptr || type != reading->floatType || size != sizeof(float))
        return;
    const uint32_t index = lilv_port_get_index(reading->plugin, port);
    if (index < kNumParams)
        std::memcpy(&(*reading->values)[index], value, sizeof(float));
}

} // namespace

std::vector<Lv2Preset> Lv2World::presets() {
    std::vector<Lv2Preset> found;
    LilvNodes* related = lilv_plugin_get_related(plugin_, node(LV2_PRESETS__Preset));
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(world_, preset);
        LilvState* state = lilv_state_new_from_world(world_, &map_, preset);
        if (state == nullptr)
            continue;
        Lv2Preset entry;
        entry.uri = lilv_node_as_uri(preset);
        entry.label = lilv_state_get_label(state) != nullptr ? lilv_state_get_label(state) : "";
        entry.values.fill(NAN);
        PresetReading reading{plugin_, world_, mapUri(this, LV2_ATOM__Float), &entry.values};
        lilv_state_emit_port_values(state, takePortValue, &reading);
        lilv_state_free(state);
        found.push_back(entry);
    }
    lilv_nodes_free(related);
    std::sort(found.begin(), found.end(),
              [](const Lv2Preset& a, const Lv2Preset& b) { return a.uri < b.uri; });
    return found;
}

Lv2Instance::Lv2Instance(Lv2World& world, double sampleRateHz)
    : controls(world.defaults()),
      instance_(lilv_plugin_instantiate(world.plugin(), sampleRateHz, nullptr)) {
    if (instance_ == nullptr)
        return;
    for (uint32_t port = 0; port < kNumParams; ++port)
        lilv_instance_connect_port(instance_, port, &controls[port]);
    lilv_instance_activate(instance_);
}

Lv2Instance::~Lv2Instance() {
    if (instance_ == nullptr)
        return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

std::vector<float> Lv2Instance::process(const std::vector<float>& interleaved,
                                        const std::vector<uint32_t>& blocks, bool inPlace) {
    const size_t frames = interleaved.size() / 2;
    std::vector<float> output(interleaved.size());
    std::vector<float> left;
    std::vector<float> right;
    std::vector<float> outLeft;
    std::vector<float> outRight;
    size_t done = 0;
    for (size_t block = 0; done < frames; ++block) {
        const size_t length = std::min<size_t>(blocks[block % blocks.size()], frames - done);
        left.assign(length, 0.0f);
        right.assign(length, 0.0f);
        for (size_t i = 0; i < length; ++i) {
            left[i] = interleaved[2 * (done + i)];
            right[i] = interleaved[2 * (done + i) + 1];
        }
        outLeft.assign(length, 0.0f);
        outRight.assign(length, 0.0f);
        float* const outputs[2] = {inPlace ? left.data() : outLeft.data(),
                                   inPlace ? right.data() : outRight.data()};
        lilv_instance_connect_port(instance_, lv2::kInputLeft, left.data());
        lilv_instance_connect_port(instance_, lv2::kInputRight, right.data());
        lilv_instance_connect_port(instance_, lv2::kOutputLeft, outputs[0]);
        lilv_instance_connect_port(instance_, lv2::kOutputRight, outputs[1]);
        lilv_instance_run(instance_, static_cast<uint32_t>(length));
        for (size_t i = 0; i < length; ++i) {
            output[2 * (done + i)] = outputs[0][i];
            output[2 * (done + i) + 1] = outputs[1][i];
        }
        done += length;
    }
    return output;
}

} // namespace miral::test
