#pragma once
// Models full of values that differ from the defaults, and a decimal-comma locale for the
// tests that must not depend on the process locale.

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/unit_model.h"
#include "support/env.h"

namespace dvdsp::core::fixtures {

// Every setting a profile keeps, away from its default; `seed` varies the values.
inline void FillScene(SceneState& s, int seed) {
    s.mainVolume = -12 - seed;
    s.acc = 3 + seed;
    s.subVolume = -2;
    s.mainMute = 1;
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<size_t>(ch);
        ChannelSettings& x = s.channels[c];
        x.eqSize = ch == 9 ? 12 : 31;
        x.gain = ch == 2 ? -3.5f : -0.25f * static_cast<float>(ch + seed);
        x.mute = ch & 1;
        x.delay = 0.021f * static_cast<float>(ch + 1) + static_cast<float>(seed);
        x.solo = ch == 4;
        x.phase = ch == 7;
        x.bypass = ch == 3;
        x.hp = CrossoverFilter{60 + ch, 2, 4, 0};
        x.lp = CrossoverFilter{8000 - ch * 100, 1, 0, 1};
        x.bpType = 1;
        for (int b = 0; b < x.eqSize; ++b) {  // bands beyond eqSize are not kept
            EqBand& band = s.Bands(ch)[b];
            band.freq = 25 + 37 * b + ch;
            band.q = 0.5f + 0.05f * static_cast<float>(b);
            band.gain = -18.0f + 0.1f * static_cast<float>(b * 3 + ch + seed);
            band.enable = (b + ch) % 3 != 0;
        }
        s.outputs[c] = (ch * 7 + seed) % 25;
        s.outputsBk[c] = (ch * 5 + seed) % 25;
        s.linkOutputs[c] = ch ^ 1;
        s.showOutChEqualizer[c] = ch % 2;
        s.linkSel[c] = ch % 4;
        s.delayLinkSel[c] = (ch + 1) % 7;
    }
    for (size_t src = 0; src < kSources; ++src)
        for (size_t in = 0; in < kInputsPerSource; ++in) {
            for (size_t o = 0; o < kChannels; ++o)
                s.inputMixVolume[src][in][o] = static_cast<int32_t>((src * 31 + in * 7 + o) % 101);
            s.inMixPhase[src][in] = static_cast<int32_t>((src + in) % 2);
            s.csmViceSource[src][in] = static_cast<int32_t>((src + in + static_cast<size_t>(seed)) % 9);
            s.csmViceCh[src][in] = static_cast<int32_t>(in);
            s.csmViceGain[src][in] = -static_cast<int32_t>(src);
        }
    for (size_t src = 0; src < kSources; ++src)
        for (size_t o = 0; o < kChannels; ++o) s.inputs[src][o] = static_cast<int32_t>((src + o) % 256);
    s.bridge = {1, 0, 1, 0, 0};
    s.currOutChannel = 6;
    s.linkMode = 1;
    s.lockMode = 1;
}

inline void FillUnit(UnitModel& m) {
    FillScene(m.current, 0);
    const char* names[kStoredScenes] = {"Club", "", "Road", "Bass+", "7 chars", "x", "", "Lärm", "Zz", "Quiet"};
    for (int n = 0; n < kStoredScenes; ++n) {
        FillScene(m.scenes[static_cast<size_t>(n)], n + 1);
        m.names[static_cast<size_t>(n)] = SceneNameFromUtf8(names[n]);
    }
}

// Switches LC_ALL to a German locale (decimal comma) for the scope, built on the fly when
// the system has none installed. Ok() is false when no such locale could be had.
class DecimalCommaLocale {
public:
    DecimalCommaLocale() {
        old_ = std::setlocale(LC_ALL, nullptr);
        ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
#ifdef _WIN32
        if (!ok_) ok_ = std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
#else
        if (!ok_) {
            const auto dir = std::filesystem::temp_directory_path() / "dvdsp_core_locale";
            std::filesystem::create_directories(dir);
            const std::string cmd = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() +
                                    " >/dev/null 2>&1";
            if (!std::filesystem::exists(dir / "de_DE.UTF-8")) (void)std::system(cmd.c_str());
            dvdsp::testing::SetEnv("LOCPATH", dir.string());
            ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        }
#endif
        if (ok_) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%.1f", 1.5);
            ok_ = std::string(buf) == "1,5";
        }
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    bool Ok() const { return ok_; }

private:
    std::string old_;
    bool ok_ = false;
};

}  // namespace dvdsp::core::fixtures
