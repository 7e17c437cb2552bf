#pragma once
// The settings model of the unit: EQ bands, crossover filters, output channels and the
// complete settings (SceneState), with every default and the speaker-role tables. Plain
// records; nothing here knows of windows or of the link.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/band.h"

namespace dvdsp::core {

inline constexpr int kChannels = 10;        // output channels 0-9
// EQ bands, filters and the bypass flag follow a link group only among channels 0-3.
inline constexpr int kFilterGroupChannels = 4;
inline constexpr int kSources = 9;          // input sources 0-8
inline constexpr int kInputsPerSource = 8;  // input channels of a source, at most
inline constexpr int kBandsPerChannel = 31; // band storage per channel
inline constexpr int kBridgePairs = 5;
inline constexpr int kStoredScenes = 10;    // scenes 1-10 in the unit's flash
inline constexpr int kRoleCount = 25;       // speaker role codes 0-24
inline constexpr int kFirstSourceCode = 81; // source index 0 as the unit reports it

// Input channels each source carries.
inline constexpr std::array<int, kSources> kInputChannelsPerSource = {2, 0, 2, 2, 0, 8, 0, 2, 2};

// One parametric band.
using EqBand = Band;

// One high-pass or low-pass filter. Type 1 Butterworth, 2 Linkwitz-Riley, 3 Bessel; slope
// is the order 0-8, 0 turning the filter off (bypass 1).
struct CrossoverFilter {
    int32_t freq = 20;
    int32_t type = 3;
    int32_t slope = 0;
    int32_t bypass = 1;
    bool operator==(const CrossoverFilter&) const = default;
};

// Full compressor and the simple one of the compressor windows.
struct CompressorSettings {
    int32_t bypass = 1;
    float threshold = 0.0f;
    float ratio = 4.0f;
    int32_t attack = 10;
    int32_t release = 100;
    float softKnee = 0.0f;
    bool operator==(const CompressorSettings&) const = default;
};

struct ChannelSettings {
    int32_t eqSize = kBandsPerChannel;
    float gain = 0.0f;        // trim, dB
    int32_t mute = 0;
    float delay = 0.0f;       // ms, 0 to 15
    int32_t phase = 0;
    int32_t solo = 0;
    uint8_t bypass = 0;       // EQ bypassed
    uint8_t compressorOn = 0;
    int32_t bpType = 0;       // 0 none, 1 high-pass, 2 low-pass, 3 both
    CrossoverFilter hp;
    CrossoverFilter lp;
    bool operator==(const ChannelSettings&) const = default;
};

// The fields of a SceneState.
struct SceneFields {
    int32_t model = -1, mainVersion = -1, slaveVersion = -1;
    std::array<int32_t, 4> dspFlashVersion{};
    int32_t source = 0;
    int32_t mainVolume = -5;  // dB
    int32_t acc = 0;
    int32_t subVolume = 0;
    int32_t scene = 0;        // scene number sent with every command
    int32_t mainMute = 0;
    int32_t ampOn = 1;
    int32_t remOut1 = 1, remOut2 = 1;
    int32_t twoOhm = 1;
    int32_t noiseGate = 0;
    int32_t autoEffect = 0;
    int32_t channelCount = kChannels;
    std::array<int32_t, kBridgePairs> bridge{};
    std::array<ChannelSettings, kChannels> channels{};
    std::array<std::array<int32_t, kChannels>, kSources> inputs{};  // routing masks
    std::array<std::array<std::array<int32_t, kChannels>, kInputsPerSource>, kSources> inputMixVolume{};
    std::array<std::array<int32_t, kInputsPerSource>, kSources> inMixPhase{};
    std::array<std::array<int32_t, kInputsPerSource>, kSources> csmViceSource{}, csmViceCh{},
        csmViceGain{};
    std::array<int32_t, kChannels> outputs{};     // speaker roles
    std::array<int32_t, kChannels> outputsBk{};   // saved speaker roles
    std::array<int32_t, kChannels> linkOutputs{}; // link partner, -1 none
    std::array<int32_t, kChannels> showOutChEqualizer{};
    int32_t currOutChannel = 0;
    int32_t linkMode = 0;
    int32_t lockMode = 0;
    std::array<int32_t, kChannels> linkSel{};
    std::array<int32_t, kChannels> delayLinkSel{};
    std::array<CompressorSettings, kChannels> compressor{};
    std::array<std::array<EqBand, kBandsPerChannel>, kChannels> eqStore{};
    bool operator==(const SceneFields&) const = default;
};

// The complete settings of the unit: the live ones (scene 0) or a stored scene's copy.
struct SceneState : SceneFields {
    // The defaults for a unit of `channelCount` outputs.
    SceneState() : SceneState(kChannels) {}
    explicit SceneState(int outputCount);
    bool operator==(const SceneState& o) const {
        return static_cast<const SceneFields&>(*this) == static_cast<const SceneFields&>(o);
    }

    // The bands in use of channel ch (eqSize of them, at most the storage).
    EqBand* Bands(int ch) { return eqStore[static_cast<size_t>(ch)].data(); }
    const EqBand* Bands(int ch) const { return eqStore[static_cast<size_t>(ch)].data(); }
};

// ---- Tables -------------------------------------------------------------------------

// The 31 third-octave frequencies from 20 Hz to 20000 Hz.
extern const std::array<int32_t, 31> kStandardFrequencies;
// Default frequency of band `band` for a channel of `eqSize` bands.
int32_t DefaultBandFrequency(int eqSize, int band);
// A band at its default for that position.
EqBand DefaultBand(int eqSize, int band);

struct RoleInfo {
    const char* menuItem;
    int32_t hpFreq, lpFreq, hpSlope, lpSlope, type;
    int32_t mirror;  // -1 none
};
// Role codes 0-24; a code outside that range reads as 0.
const RoleInfo& Role(int code);
// Code of a role's menu item name, -1 for a name that is no role.
int RoleCode(const std::string& menuItem);
// The speaker roles of outputs 0.. for a unit of 6, 8, 10 or 12 channels (others: 10).
std::vector<int32_t> DefaultRoles(int channelCount);
// The crossover of a role: bpType, hp and lp.
void RoleCrossover(int role, int32_t& bpType, CrossoverFilter& hp, CrossoverFilter& lp);
// Default routing mask of an output for a source.
int32_t DefaultRouting(int source, int output);
// Source index 0-8 of the unit's source code (81-89; anything else is source 4).
int32_t SourceFromCode(int code);

// bpType of two filters: 1 when the high-pass is on, 2 the low-pass, 3 both.
int32_t BpTypeOf(const CrossoverFilter& hp, const CrossoverFilter& lp);

// ---- Link partners --------------------------------------------------------------------

// True when channels a and b may be stereo partners: mirrored roles, same half of the
// outputs (0-5 or 6-9).
bool MirrorPartners(const SceneState& s, int a, int b);
// The partner of each channel: the first other channel it mirrors, else -1.
std::array<int32_t, kChannels> ComputeLinkPartners(const SceneState& s);
// The channel that follows edits of ch: the link partner in link mode, else the bridge
// neighbour, else -1.
int PartnerChannel(const SceneState& s, int ch);

}  // namespace dvdsp::core
