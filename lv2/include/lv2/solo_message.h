#pragma once

// The message by which the user interface solos a band of the plug-in: an atom:Object of type
// kSoloMessageUri with one property, kSoloBandUri, an atom:Int (band 0..5, -1 none), written to
// the solo port as an atom:eventTransfer. An event rather than a control port, because hosts
// store control port values in sessions and presets, and a solo must never be stored.

#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>

namespace miral::lv2 {

struct SoloUrids {
    LV2_URID object = 0, integer = 0, message = 0, band = 0, eventTransfer = 0;

    /// The identities through `map`; all 0 without one (solo messages are then not known).
    static SoloUrids mapped(const LV2_URID_Map* map) {
        if (map == nullptr)
            return {};
        const auto id = [map](const char* uri) { return map->map(map->handle, uri); };
        return {id(LV2_ATOM__Object), id(LV2_ATOM__Int), id(kSoloMessageUri), id(kSoloBandUri),
                id(LV2_ATOM__eventTransfer)};
    }
    bool known() const { return message != 0; }
};

/// One solo message as it is written.
struct SoloMessage {
    LV2_Atom atom;
    LV2_Atom_Object_Body object;
    LV2_Atom_Property_Body property;
    int32_t band;

    SoloMessage(const SoloUrids& ids, int32_t soloedBand)
        : atom{sizeof(SoloMessage) - sizeof(LV2_Atom), ids.object}, object{0, ids.message},
          property{ids.band, 0, {sizeof(int32_t), ids.integer}}, band(soloedBand) {}
};

/// The band an atom of the solo port's sequence asks for, if it is a solo message.
/// Audio thread: walks the atom in place.
inline std::optional<int32_t> soloBandOf(const SoloUrids& ids, const LV2_Atom& atom) {
    if (!ids.known() || atom.type != ids.object)
        return std::nullopt;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&atom);
    if (object->body.otype != ids.message)
        return std::nullopt;
    const LV2_Atom* band = nullptr;
    lv2_atom_object_get(object, ids.band, &band, 0);
    if (band == nullptr || band->type != ids.integer || band->size < sizeof(int32_t))
        return std::nullopt;
    return reinterpret_cast<const LV2_Atom_Int*>(band)->body;
}

} // namespace miral::lv2
