#include "core/model.h"

#include <algorithm>
#include <unordered_map>

namespace dvdsp::core {

const std::array<int32_t, 31> kStandardFrequencies = {
    20,   25,   31,   40,   50,   63,   80,   100,  125,  160,   200,   250,   315,   400,   500,  630,
    800,  1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300,  8000,  10000, 12500, 16000, 20000};

namespace {

constexpr std::array<int32_t, 11> kOctaveFrequencies = {20,   40,   80,   160,  315,  630,
                                                        1250, 2500, 5000, 10000, 20000};
constexpr std::array<int32_t, 21> kHalfOctaveFrequencies = {
    20,  28,  40,  56,   80,   112,  160,  220,  315,   450,  630,
    890, 1250, 1800, 2500, 3600, 5000, 7100, 10000, 14000, 20000};

constexpr std::array<RoleInfo, kRoleCount> kRoles = {{
    {"output_item_empty", 20, 20000, 0, 0, 3, -1},
    {"output_menu_front_left_high_freq", 3400, 20000, 2, 0, 3, 7},
    {"output_menu_front_left_mid_freq", 600, 1900, 2, 2, 3, 8},
    {"output_menu_front_left_low_freq", 70, 320, 3, 2, 3, 9},
    {"output_menu_front_left_mid_high_freq", 600, 20000, 2, 0, 3, 10},
    {"output_menu_front_left_mid_low_freq", 70, 1900, 2, 2, 3, 11},
    {"output_menu_front_left_all_freq", 20, 20000, 0, 0, 3, 12},
    {"output_menu_front_right_high_freq", 3400, 20000, 2, 0, 3, 1},
    {"output_menu_front_right_mid_freq", 600, 1900, 2, 2, 3, 2},
    {"output_menu_front_right_low_freq", 70, 320, 3, 2, 3, 3},
    {"output_menu_front_right_mid_high_freq", 600, 20000, 2, 0, 3, 4},
    {"output_menu_front_right_mid_low_freq", 70, 1900, 2, 2, 3, 5},
    {"output_menu_front_right_all_freq", 20, 20000, 0, 0, 3, 6},
    {"output_menu_rear_left_high_freq", 3400, 20000, 2, 0, 3, 16},
    {"output_menu_rear_left_low_freq", 70, 320, 3, 2, 3, 17},
    {"output_menu_rear_left_all_freq", 20, 20000, 0, 0, 3, 18},
    {"output_menu_rear_right_high_freq", 3400, 20000, 2, 0, 3, 13},
    {"output_menu_rear_right_low_freq", 70, 320, 3, 2, 3, 14},
    {"output_menu_rear_right_all_freq", 20, 20000, 0, 0, 3, 15},
    {"output_menu_center_high_freq", 3400, 20000, 2, 0, 3, -1},
    {"output_menu_center_low_freq", 70, 320, 3, 2, 3, -1},
    {"output_menu_center_all_freq", 20, 20000, 0, 0, 3, -1},
    {"output_menu_subwoof_left", 30, 50, 4, 2, 1, 23},
    {"output_menu_subwoof_right", 30, 50, 4, 2, 1, 22},
    {"output_menu_subwoof_low", 30, 50, 4, 2, 1, -1},
}};

constexpr std::array<int32_t, kChannels> kRouting45 = {1, 2, 4, 8, 3, 3, 1, 2, 1, 2};
constexpr std::array<int32_t, kChannels> kRoutingOther = {1, 2, 1, 2, 3, 3, 1, 2, 1, 2};

}  // namespace

int32_t DefaultBandFrequency(int eqSize, int band) {
    if (band < 0 || band >= kBandsPerChannel) return kStandardFrequencies[0];
    const auto b = static_cast<size_t>(band);
    if (eqSize <= 11 && b < kOctaveFrequencies.size()) return kOctaveFrequencies[b];
    if (eqSize >= 12 && eqSize <= 21 && b < kHalfOctaveFrequencies.size())
        return kHalfOctaveFrequencies[b];
    return kStandardFrequencies[b];
}

EqBand DefaultBand(int eqSize, int band) {
    EqBand b;
    b.freq = DefaultBandFrequency(eqSize, band);
    return b;
}

const RoleInfo& Role(int code) {
    return kRoles[static_cast<size_t>(code >= 0 && code < kRoleCount ? code : 0)];
}

int RoleCode(const std::string& menuItem) {
    static const std::unordered_map<std::string, int> table = [] {
        std::unordered_map<std::string, int> t;
        for (int i = 0; i < kRoleCount; ++i) t.emplace(kRoles[static_cast<size_t>(i)].menuItem, i);
        return t;
    }();
    auto it = table.find(menuItem);
    return it == table.end() ? -1 : it->second;
}

std::vector<int32_t> DefaultRoles(int channelCount) {
    switch (channelCount) {
        case 6: return {6, 12, 15, 18, 22, 23};
        case 8: return {6, 12, 15, 18, 19, 20, 22, 23};
        case 12: return {1, 7, 2, 8, 3, 9, 13, 16, 14, 17, 22, 23};
        default: return {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    }
}

void RoleCrossover(int role, int32_t& bpType, CrossoverFilter& hp, CrossoverFilter& lp) {
    const RoleInfo& r = Role(role);
    hp = CrossoverFilter{r.hpFreq, r.type, r.hpSlope, r.hpSlope == 0 ? 1 : 0};
    lp = CrossoverFilter{r.lpFreq, r.type, r.lpSlope, r.lpSlope == 0 ? 1 : 0};
    bpType = BpTypeOf(hp, lp);
}

int32_t BpTypeOf(const CrossoverFilter& hp, const CrossoverFilter& lp) {
    return (hp.slope != 0 ? 1 : 0) | (lp.slope != 0 ? 2 : 0);
}

int32_t DefaultRouting(int source, int output) {
    if (output < 0 || output >= kChannels) return 0;
    const auto o = static_cast<size_t>(output);
    return (source == 4 || source == 5) ? kRouting45[o] : kRoutingOther[o];
}

int32_t SourceFromCode(int code) {
    if (code >= kFirstSourceCode && code < kFirstSourceCode + kSources) return code - kFirstSourceCode;
    return 4;
}

SceneState::SceneState(int outputCount) {
    const std::vector<int32_t> roles = DefaultRoles(outputCount);
    channelCount = std::min<int>(static_cast<int>(roles.size()), kChannels);
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<size_t>(ch);
        const int32_t role = c < roles.size() ? roles[c] : 0;
        outputs[c] = outputsBk[c] = role;
        linkOutputs[c] = -1;
        ChannelSettings& cs = channels[c];
        RoleCrossover(role, cs.bpType, cs.hp, cs.lp);
        for (int b = 0; b < kBandsPerChannel; ++b)
            eqStore[c][static_cast<size_t>(b)] = DefaultBand(cs.eqSize, b);
    }
    for (int src = 0; src < kSources; ++src) {
        const auto s = static_cast<size_t>(src);
        for (int o = 0; o < kChannels; ++o) inputs[s][static_cast<size_t>(o)] = DefaultRouting(src, o);
        for (int in = 0; in < kInputsPerSource; ++in) {
            const auto i = static_cast<size_t>(in);
            for (int o = 0; o < kChannels; ++o)
                if (inputs[s][static_cast<size_t>(o)] & (1 << in))
                    inputMixVolume[s][i][static_cast<size_t>(o)] = o < 4 ? 100 : 75;
            csmViceSource[s][i] = 9;
        }
    }
}

bool MirrorPartners(const SceneState& s, int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= kChannels || b >= kChannels) return false;
    const int ra = s.outputs[static_cast<size_t>(a)], rb = s.outputs[static_cast<size_t>(b)];
    if (ra <= 0 || ra >= kRoleCount || rb <= 0 || rb >= kRoleCount) return false;
    if (Role(ra).mirror != rb || Role(rb).mirror != ra) return false;
    return (a < 6) == (b < 6);
}

std::array<int32_t, kChannels> ComputeLinkPartners(const SceneState& s) {
    std::array<int32_t, kChannels> partners{};
    partners.fill(-1);
    for (int i = 0; i < kChannels; ++i)
        for (int j = 0; j < kChannels; ++j)
            if (MirrorPartners(s, i, j)) {
                partners[static_cast<size_t>(i)] = j;
                break;
            }
    return partners;
}

int PartnerChannel(const SceneState& s, int ch) {
    if (ch < 0 || ch >= kChannels) return -1;
    const int link = s.linkOutputs[static_cast<size_t>(ch)];
    if (s.linkMode && link >= 0 && link < kChannels) return link;
    if (s.bridge[static_cast<size_t>(ch / 2)]) return ch ^ 1;
    return -1;
}

}  // namespace dvdsp::core
