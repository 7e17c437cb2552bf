#pragma once
// What the virtual VTR50 keeps: the live settings (scene 0), ten stored scenes with their
// names, the valid mask and a raw profile area each, and the unit-wide settings of the MCU
// and the karaoke block. Values are kept in their wire units, so that what is set is what
// is read back exactly.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::emu {

inline constexpr int kOutputs = 10;
inline constexpr int kInputs = 8;
inline constexpr int kSources = 9;
inline constexpr int kBands = 31;
inline constexpr int kStoredScenes = 10;
inline constexpr int kSceneSlots = kStoredScenes + 1;  // 0 is the live settings
inline constexpr int kLinkPairs = kOutputs / 2;
inline constexpr int kNameBytes = 16;
inline constexpr size_t kProfileBytes = 4096;  // raw scene profile area per slot
inline constexpr int kRemapEntries = 8;
inline constexpr int kKaraokeParams = 10;
inline constexpr int kAutoSettingBytes = 52;
inline constexpr uint8_t kFirstSourceCode = 81;  // source index 0 on the wire

struct Band {
    uint16_t freq = 1000;   // Hz
    uint16_t q100 = 580;    // Q in hundredths
    uint16_t gain10 = 180;  // (gain + 18 dB) in tenths
    bool operator==(const Band&) const = default;
};

struct Filter {
    uint8_t type = 3;
    uint16_t freq = 20;
    uint8_t slope = 0;
    bool operator==(const Filter&) const = default;
};

// Compressor as set by Compressor_Ctrl (0x3E).
struct Compressor {
    uint8_t bypass = 1;
    uint16_t thr10 = 1000;  // (threshold + 100 dB) in tenths
    uint16_t ratio10 = 40;  // ratio in tenths
    uint16_t knee10 = 0;    // soft knee in tenths
    uint16_t attack = 10;
    uint16_t release = 100;
    bool operator==(const Compressor&) const = default;
};

// Compressor as set by Compressor_Ctrl2 (0x4A).
struct Compressor2 {
    int16_t thr10 = 0;  // threshold in tenths of a dB (signed)
    uint16_t attack = 10;
    uint16_t release10 = 10;  // release in tenths of a second
    bool operator==(const Compressor2&) const = default;
};

struct Output {
    uint32_t delayUs = 0;  // delay in microseconds (ms with three decimals)
    uint16_t trim100 = 0;  // attenuation in hundredths of a dB
    uint8_t mute = 0, phase = 0, role = 0, eqBypass = 0, solo = 0;
    uint8_t hpQMode = 0, lpQMode = 0, compOn = 0, allBypass = 0;
    uint16_t spkDist = 0;  // hundredths of the distance unit
    Filter hp, lp;
    Compressor comp;
    Compressor2 comp2;
    uint8_t remapCount = 0;
    std::array<uint8_t, kRemapEntries> remap{};
    std::array<Band, kBands> bands{};
    bool operator==(const Output&) const = default;
};

// A set of channel pairs as CH_Link_Ctrl and its siblings carry it.
struct LinkSet {
    uint8_t on = 0;
    uint8_t count = 0;
    std::array<uint8_t, kLinkPairs> from{}, to{};
    bool operator==(const LinkSet&) const = default;
};

// What the unit keeps per input source.
struct SourceMix {
    std::array<uint8_t, kOutputs> routing{};                      // input mask per output
    std::array<std::array<int8_t, kOutputs>, kInputs> mixTrim{};  // [input][output]
    std::array<uint8_t, kInputs> inTrim{}, inMute{}, inPhase{};
    std::array<uint8_t, kInputs> csmSource{}, csmCh{}, csmGain{};  // cross-source feed (gain + 32)
    uint8_t mixType = 0, mixType2 = 0, autoEffect = 0;
    bool operator==(const SourceMix&) const = default;
};

struct Scene {
    int8_t mainVolume = 11;  // as on the wire: 6 - volume in dB
    int8_t subVolume = 0;
    uint8_t mute = 0, ampMute = 0, remOut1 = 1, remOut2 = 1, spkOhm = 1, noiseGate = 0;
    uint8_t spkConfig = 0, factoryPreset = 0, setupMode = 0, remoteVolume = 0, lock = 0;
    uint16_t selRemote = 0;
    std::array<Output, kOutputs> out{};
    LinkSet link, trimLink, delayLink;
    std::array<uint8_t, kLinkPairs> bridge{};
    std::array<SourceMix, kSources> src{};
    std::array<std::array<Band, kBands>, kInputs> inEq{};
    bool operator==(const Scene&) const = default;
};

// Unit-wide settings outside the scenes.
struct DeviceSettings {
    uint8_t sourceCode = kFirstSourceCode;
    uint8_t mixSource = 0;
    int8_t threshold = -61;  // input noise threshold, dBu; -61 is off
    uint8_t acc = 0;
    uint16_t powerOffMs = 500;
    std::string password, remark;
    std::array<uint16_t, kKaraokeParams> karaoke{};  // commands 1 to 10
    uint8_t currentScene = 0;
    std::array<uint8_t, kSources> ircActiveBypass{};
    std::array<uint8_t, kAutoSettingBytes> autoSetting{};
    bool operator==(const DeviceSettings&) const = default;
};

// The firmware the unit carries; it survives power cycles and factory resets.
struct FirmwareRecord {
    uint8_t mcuMain = 2, mcuSub = 27;  // reported by the hand-shake
    std::array<uint8_t, 4> flash = {2, 27, 0, 1};  // the DSP flash version
    uint8_t bootloader = 3;
    bool loader = false;    // the unit runs its loader (upgrade mode)
    bool appValid = true;   // the loader can start the application on the next boot
    bool operator==(const FirmwareRecord&) const = default;
};

struct UnitState {
    std::array<Scene, kSceneSlots> scenes{};
    uint16_t validMask = 0;  // bit n set: stored scene n (1 to 10) holds a scene
    std::array<std::array<uint8_t, kNameBytes>, kSceneSlots> names{};
    std::array<std::vector<uint8_t>, kSceneSlots> profiles{};  // kProfileBytes each
    DeviceSettings device;
    FirmwareRecord firmware;
    bool operator==(const UnitState&) const = default;
};

// The unit's factory defaults: every scene as the program's defaults for ten channels,
// no stored scene, erased names (0xFF) and profile areas.
Scene DefaultScene();
UnitState DefaultUnitState();
std::array<Band, kBands> DefaultBands();
// Empties stored scene slot n (1 to 10): defaults, erased name and profile, not valid.
void EraseStoredScene(UnitState& s, int n);

// The default crossover of a speaker role (code 0 to 24; others as 0).
void RoleCrossover(int role, Filter& hp, Filter& lp);

}  // namespace dvdsp::emu
