#pragma once

// A small LV2 host on lilv for the tests: the build tree's bundle loaded into a world of its
// own, the plug-in's presets read as a host reads them, and instances run block by block.

#include "engine/params.h"

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace miral::test {

/// Control port values by port index.
using ControlValues = std::array<float, kNumParams>;

struct Lv2Preset {
    std::string uri;
    std::string label;
    ControlValues values{};
};

class Lv2World {
public:
    /// Loads the bundle; plugin() is null when the plug-in is not in it.
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* world() const { return world_; }
    const LilvPlugin* plugin() const { return plugin_; }
    /// A node for `uri`, owned by the world object.
    const LilvNode* node(const char* uri);
    LV2_URID_Map* map() { return &map_; }

    /// The port values given in the plug-in's description.
    ControlValues defaults() const;
    /// Every preset of the plug-in, as a host loads it, in the order of their URIs.
    std::vector<Lv2Preset> presets();

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);

    LilvWorld* world_;
    const LilvPlugin* plugin_ = nullptr;
    std::vector<LilvNode*> nodes_;
    std::vector<std::string> urids_;
    LV2_URID_Map map_{this, mapUri};
};

/// One instance of the plug-in with its ports connected to buffers of its own.
class Lv2Instance {
public:
    /// Instantiates and activates at `sampleRateHz`; instance() is null when that failed.
    Lv2Instance(Lv2World& world, double sampleRateHz);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    LilvInstance* instance() const { return instance_; }

    /// Values the control ports hold at the next run; the description's defaults at first.
    ControlValues controls;

    /// Runs over interleaved stereo in blocks of the given lengths in turn; the output is
    /// interleaved too. With `inPlace` the output ports share the input ports' buffers.
    std::vector<float> process(const std::vector<float>& interleaved,
                               const std::vector<uint32_t>& blocks, bool inPlace = false);

private:
    LilvInstance* instance_;
};

} // namespace miral::test
