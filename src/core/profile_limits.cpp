#include "core/profile_limits.h"

#include <cstdio>

#include "base/limits.h"

namespace dvdsp::core {
namespace {

// Collects the first value outside its range.
class RangeCheck {
  public:
    template <typename T>
    void operator()(const std::string& key, T value, const Limit& limit) {
        if (!error_.empty() || limit.Accepts(static_cast<double>(value))) return;
        char text[160];
        std::snprintf(text, sizeof text, "\"%s\" %g is outside %g to %g", key.c_str(),
                      static_cast<double>(value), limit.min, limit.max);
        error_ = text;
    }
    template <typename A>
    void Each(const std::string& key, const A& values, const Limit& limit) {
        for (const auto& v : values) (*this)(key, v, limit);
    }
    const std::string& Error() const { return error_; }

  private:
    std::string error_;
};

}  // namespace

std::string ValueOutOfRange(const SceneState& s) {
    namespace lim = limits;
    RangeCheck check;
    check("mainVolume", s.mainVolume, lim::kMainVolume);
    check("acc", s.acc, lim::kAcc);
    check("mainVolumeMute", s.mainMute, lim::kFlag);
    check.Each("bridgeOutputs", s.bridge, lim::kFlag);
    check.Each("outputs", s.outputs, lim::kRole);
    check.Each("outputs_bk", s.outputsBk, lim::kRole);
    check.Each("linkOutputs", s.linkOutputs, lim::kPartner);
    check.Each("linkSel", s.linkSel, lim::kLinkGroup);
    check.Each("delayLinkSel", s.delayLinkSel, lim::kDelayLinkGroup);
    check("currOutChannel", s.currOutChannel, Limit{"", 0, kChannels - 1, 0, kChannels - 1, 1, 1, "%d"});
    for (const auto& source : s.inputs) check.Each("inputs", source, lim::kRoutingMask);
    for (const auto& source : s.inputMixVolume)
        for (const auto& in : source) check.Each("inputMixVolume", in, lim::kMixTrim);
    for (const auto& source : s.inMixPhase) check.Each("inMixPhase", source, lim::kFlag);
    for (const auto& source : s.csmViceSource) check.Each("csmViceSource", source, lim::kCrossSource);
    for (const auto& source : s.csmViceCh) check.Each("csmViceCh", source, lim::kCrossSourceChannel);
    for (const auto& source : s.csmViceGain) check.Each("csmViceGain", source, lim::kCrossSourceGain);
    check("lockMode", s.lockMode, lim::kFlag);
    check("linkMode", s.linkMode, lim::kFlag);
    for (int c = 0; c < kChannels; ++c) {
        const ChannelSettings& ch = s.channels[static_cast<size_t>(c)];
        const std::string at = "channel " + std::to_string(c + 1) + ": ";
        check(at + "gain", ch.gain, lim::kTrim);
        check(at + "delay", ch.delay, lim::kDelayMs);
        check(at + "mute", ch.mute, lim::kFlag);
        check(at + "solo", ch.solo, lim::kFlag);
        check(at + "phase", ch.phase, lim::kFlag);
        check(at + "bypass", ch.bypass, lim::kFlag);
        for (const auto& [name, f] : {std::pair{"hp", &ch.hp}, std::pair{"lp", &ch.lp}}) {
            check(at + name + " fs", f->freq, lim::kFilterFreq);
            check(at + name + " type", f->type, lim::kFilterType);
            check(at + name + " slope", f->slope, lim::kFilterSlope);
        }
        const EqBand* bands = s.Bands(c);
        for (int b = 0; b < ch.eqSize; ++b) {
            const std::string band = at + "band " + std::to_string(b + 1) + " ";
            check(band + "freq", bands[b].freq, lim::kBandFreq);
            check(band + "eqFactor", bands[b].q, lim::kBandQ);
            check(band + "eqGain", bands[b].gain, lim::kBandGain);
        }
    }
    return check.Error();
}

}  // namespace dvdsp::core
