#pragma once

// The identities of the LV2 plug-in, its user interface and its presets. Hosts store them in
// sessions: they never change.

namespace miral::lv2 {

inline constexpr const char* kPluginUri = "urn:tolmek-soft:miral";
inline constexpr const char* kUiUri = "urn:tolmek-soft:miral:ui";
/// The stereo input and output groups of the audio ports.
inline constexpr const char* kInputGroupUri = "urn:tolmek-soft:miral:in";
inline constexpr const char* kOutputGroupUri = "urn:tolmek-soft:miral:out";
/// The user interface's solo message: an object of this type whose kSoloBandUri property (an
/// atom:Int) names band 0..5, or -1 for none.
inline constexpr const char* kSoloMessageUri = "urn:tolmek-soft:miral:solo";
inline constexpr const char* kSoloBandUri = "urn:tolmek-soft:miral:solo-band";
/// Followed by the program number: "urn:tolmek-soft:miral:preset:0" .. ":8".
inline constexpr const char* kPresetUriPrefix = "urn:tolmek-soft:miral:preset:";

} // namespace miral::lv2
