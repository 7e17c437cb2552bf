#pragma once
// Everything the program knows of one unit: the live settings, a copy per stored scene,
// the scene names and valid mask, the hand-shake values and the karaoke settings.

#include <array>
#include <cstdint>
#include <string>

#include "core/model.h"

namespace dvdsp::core {

inline constexpr int kSceneNameChars = 8;  // 7 characters and the terminating zero
inline constexpr int kSceneNameBytes = 16; // as the unit keeps a name
inline constexpr int kKaraokeSettings = 10;
// The unit's automatic-setting block: scene, eleven flags, nine coefficients (32-bit
// floats, little-endian), mode and the front, surround and subwoofer selections.
inline constexpr int kAutoSettingBytes = 52;
inline constexpr int kAutoFlags = 11;
inline constexpr int kAutoCoefficients = 9;
inline constexpr int kAutoFlagOffset = 1;
inline constexpr int kAutoCoefficientOffset = 12;
inline constexpr int kAutoModeOffset = 48;  // then front, surround, subwoofer
using AutoSettingBlock = std::array<uint8_t, kAutoSettingBytes>;
// Coefficient j of a block, and the block with it set.
float AutoCoefficient(const AutoSettingBlock& block, int j);
void SetAutoCoefficient(AutoSettingBlock& block, int j, float value);
// The restored block: every flag 1, every coefficient 1.0, mode 0, selections 5.
AutoSettingBlock RestoredAutoSetting(uint8_t scene);

// A scene name slot: wide characters, zero-filled; an empty slot is an unnamed scene.
using SceneName = std::array<char16_t, kSceneNameChars>;

struct UnitModel {
    SceneState current;                                // scene 0, the live settings
    std::array<SceneState, kStoredScenes> scenes;    // copies of scenes 1-10
    std::array<SceneName, kStoredScenes> names{};      // names of scenes 1-10
    int32_t validScenes = 0;                           // bit n: stored scene n is valid
    std::array<int32_t, kKaraokeSettings> karaoke{};   // karaoke settings 1-10
    int32_t inputThreshold = 0;
    int32_t powerOffDelay = 0;                         // ms, as the unit last reported it
    AutoSettingBlock autoSetting = RestoredAutoSetting(0);

    // The settings a reply for scene number n belongs to: 0 the live ones, 1-10 a copy,
    // anything else none.
    SceneState* SceneFor(int n);
    const SceneState* SceneFor(int n) const;
    bool operator==(const UnitModel&) const = default;
};

// Name conversions. Narrow names are single-byte (Latin-1) text of up to 16 bytes.
SceneName SceneNameFromNarrow(const uint8_t* bytes, size_t len);
std::array<uint8_t, kSceneNameBytes> SceneNameToNarrow(const SceneName& name);
// UTF-8 for the command line; characters beyond the slot are cut.
SceneName SceneNameFromUtf8(const std::string& text);
std::string SceneNameToUtf8(const SceneName& name);
// The 16 bytes of a slot as kept in files: little-endian wide characters.
std::array<uint8_t, kSceneNameBytes> SceneNameBytes(const SceneName& name);
SceneName SceneNameFromBytes(const uint8_t* bytes, size_t len);
// True when a name holds a control character (a line break, a tab, ...): such a name is
// refused wherever a person gives one, as it would break every list of the names.
bool SceneNameHasControl(const SceneName& name);

}  // namespace dvdsp::core
