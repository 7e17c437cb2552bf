#include "emulator/unit_state.h"

namespace dvdsp::emu {

namespace {

// Third-octave band centres, the default frequencies of 31 bands.
constexpr std::array<uint16_t, kBands> kThirdOctave = {
    20,  25,   31,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

// Speaker roles of outputs 0 to 9 on a ten-channel unit.
constexpr std::array<uint8_t, kOutputs> kDefaultRoles = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};

struct RoleDefault {
    uint16_t hpFreq, lpFreq;
    uint8_t hpSlope, lpSlope, type;
};
constexpr std::array<RoleDefault, 25> kRoleDefaults = {{
    {20, 20000, 0, 0, 3},   {3400, 20000, 2, 0, 3}, {600, 1900, 2, 2, 3},  {70, 320, 3, 2, 3},
    {600, 20000, 2, 0, 3},  {70, 1900, 2, 2, 3},    {20, 20000, 0, 0, 3},  {3400, 20000, 2, 0, 3},
    {600, 1900, 2, 2, 3},   {70, 320, 3, 2, 3},     {600, 20000, 2, 0, 3}, {70, 1900, 2, 2, 3},
    {20, 20000, 0, 0, 3},   {3400, 20000, 2, 0, 3}, {70, 320, 3, 2, 3},    {20, 20000, 0, 0, 3},
    {3400, 20000, 2, 0, 3}, {70, 320, 3, 2, 3},     {20, 20000, 0, 0, 3},  {3400, 20000, 2, 0, 3},
    {70, 320, 3, 2, 3},     {20, 20000, 0, 0, 3},   {30, 50, 4, 2, 1},     {30, 50, 4, 2, 1},
    {30, 50, 4, 2, 1},
}};

// Default input routing masks per output; sources 4 and 5 differ.
constexpr std::array<uint8_t, kOutputs> kRouting45 = {1, 2, 4, 8, 3, 3, 1, 2, 1, 2};
constexpr std::array<uint8_t, kOutputs> kRoutingOther = {1, 2, 1, 2, 3, 3, 1, 2, 1, 2};

}  // namespace

std::array<Band, kBands> DefaultBands() {
    std::array<Band, kBands> b{};
    for (int i = 0; i < kBands; ++i) b[i] = Band{kThirdOctave[i], 580, 180};
    return b;
}

void RoleCrossover(int role, Filter& hp, Filter& lp) {
    const RoleDefault& d = kRoleDefaults[(role >= 0 && role < 25) ? role : 0];
    hp = Filter{d.type, d.hpFreq, d.hpSlope};
    lp = Filter{d.type, d.lpFreq, d.lpSlope};
}

Scene DefaultScene() {
    Scene s;
    const auto bands = DefaultBands();
    for (int ch = 0; ch < kOutputs; ++ch) {
        Output& o = s.out[ch];
        o.role = kDefaultRoles[ch];
        RoleCrossover(o.role, o.hp, o.lp);
        o.bands = bands;
    }
    for (int src = 0; src < kSources; ++src) {
        SourceMix& m = s.src[src];
        m.routing = (src == 4 || src == 5) ? kRouting45 : kRoutingOther;
        for (int in = 0; in < kInputs; ++in) {
            for (int o = 0; o < kOutputs; ++o)
                if (m.routing[o] & (1u << in))
                    m.mixTrim[in][o] = static_cast<int8_t>(o < 4 ? 100 : 75);
            m.csmSource[in] = 9;
            m.csmCh[in] = 0;
            m.csmGain[in] = 32;  // 0 dB
        }
    }
    for (auto& ch : s.inEq) ch = bands;
    return s;
}

void EraseStoredScene(UnitState& s, int n) {
    if (n < 1 || n > kStoredScenes) return;
    s.scenes[n] = DefaultScene();
    s.names[n].fill(0xFF);
    s.profiles[n].assign(kProfileBytes, 0xFF);
    s.validMask = static_cast<uint16_t>(s.validMask & ~(1u << n));
}

UnitState DefaultUnitState() {
    UnitState s;
    s.scenes[0] = DefaultScene();
    s.names[0].fill(0xFF);
    s.profiles[0].assign(kProfileBytes, 0xFF);
    for (int n = 1; n <= kStoredScenes; ++n) EraseStoredScene(s, n);
    s.validMask = 0;
    return s;
}

}  // namespace dvdsp::emu
