// The values of the processing windows, each stored, reported and sent at once.
#include "core/processing.h"

#include <cmath>

#include "base/log.h"
#include "base/limits.h"
#include "core/mixer.h"
#include "core/part_helpers.h"
#include "link/commands.h"

namespace dvdsp::core {
namespace {

bool ValidChannel(int ch) { return ch >= 0 && ch < kChannels; }

int ClampInt(const Limit& limit, double v) { return static_cast<int>(std::lround(limit.Clamp(v))); }
float ClampTenths(const Limit& limit, double v) {
    return static_cast<float>(std::round(limit.Clamp(v) * 10.0) / 10.0);
}

// The range of karaoke setting `code` (1-10); the howling switch is a flag.
const Limit& KaraokeLimit(int code) {
    static const Limit* const kLimits[kKaraokeSettings] = {
        &limits::kKtvMicVolume,   &limits::kKtvMusicVolume, &limits::kFlag,
        &limits::kKtvEchoLevel,   &limits::kKtvEchoDelay,   &limits::kKtvReverbLevel,
        &limits::kKtvReverbTime,  &limits::kKtvVoiceChanger, &limits::kKtvBass,
        &limits::kKtvTreble};
    return *kLimits[Z(code - 1)];
}

}  // namespace

void Processing::SetCompressor(int ch, const CompressorSettings& settings) {
    if (!ValidChannel(ch)) return;
    CompressorSettings k;
    k.bypass = settings.bypass ? 1 : 0;
    k.threshold = ClampTenths(limits::kCompThreshold, settings.threshold);
    k.ratio = ClampTenths(limits::kCompRatio, settings.ratio);
    k.attack = ClampInt(limits::kCompAttack, settings.attack);
    k.release = ClampInt(limits::kCompRelease, settings.release);
    k.softKnee = ClampTenths(limits::kCompSoftKnee, settings.softKnee);
    ctx_.edit.Apply(Change{What::Compressor, 0, ch}, [&](SceneState& s) { s.compressor[Z(ch)] = k; });
    ctx_.Send({What::Compressor, 0, ch});
}

void Processing::SetCompressor2(int ch, float threshold, int attack, int release) {
    if (!ValidChannel(ch)) return;
    const float thr = ClampTenths(limits::kCompThreshold, threshold);
    const int att = ClampInt(limits::kCompAttack, attack);
    const int rel = ClampInt(limits::kCompRelease, release);
    ctx_.edit.Apply(Change{What::Compressor, 0, ch}, [&](SceneState& s) {
        CompressorSettings& k = s.compressor[Z(ch)];
        k.threshold = thr;
        k.attack = att;
        k.release = rel;
    });
    Change times{What::Compressor, 0, ch};
    times.value = 2;  // the threshold and the times alone
    ctx_.Send(times);
}

void Processing::SetCompressorOn(int ch, bool on) {
    if (!ValidChannel(ch)) return;
    LogWriteNarrow("channel %d compressor seleted %d\n", ch, on ? 1 : 0);
    ctx_.edit.Apply(Change{What::CompressorOn, 0, ch},
                    [&](SceneState& s) { s.channels[Z(ch)].compressorOn = on ? 1 : 0; });
    ctx_.Send({What::CompressorOn, 0, ch});
}

int Processing::SetInputThreshold(int threshold) {
    const int v = ClampInt(limits::kInputThreshold, threshold);
    ctx_.edit.ApplyUnit(Change{What::InputThreshold, 0}, [&](UnitModel& m) { m.inputThreshold = v; });
    ctx_.Send({What::InputThreshold, 0});
    return v;
}

int Processing::NoiseInputCount() const { return Mixer::InputCount(ctx_.Live().source); }

void Processing::RequestInputNoise(int count) {
    if (count <= 0) return;
    ctx_.device.Get_Input_Noise(0, U8(count - 1), kQueued);
}

int Processing::SetPowerOffDelay(int ms) {
    const int v = ClampInt(limits::kPowerOffDelay, ms);
    ctx_.edit.ApplyUnit(Change{What::PowerOffDelay, 0}, [&](UnitModel& m) { m.powerOffDelay = v; });
    ctx_.Send({What::PowerOffDelay, 0});
    return v;
}

int Processing::Karaoke(int code) const {
    if (code < 1 || code > kKaraokeSettings) return 0;
    return ctx_.model.karaoke[Z(code - 1)];
}

int Processing::SetKaraoke(int code, int value) {
    if (code < 1 || code > kKaraokeSettings) return 0;
    const int v = ClampInt(KaraokeLimit(code), value);
    Change c{What::Karaoke, 0};
    c.value = code;
    ctx_.edit.ApplyUnit(c, [&](UnitModel& m) { m.karaoke[Z(code - 1)] = v; });
    ctx_.Send(c);
    return v;
}

void Processing::SetAutoSetting(const AutoSettingBlock& block) {
    AutoSettingBlock b = block;
    for (int k = 0; k < kAutoFlags; ++k) b[Z(kAutoFlagOffset + k)] = b[Z(kAutoFlagOffset + k)] ? 1 : 0;
    for (int j = 0; j < kAutoCoefficients; ++j) {
        const float c = AutoCoefficient(b, j);
        SetAutoCoefficient(b, j, static_cast<float>(limits::kAutoCoefficient.Clamp(c)));
    }
    ctx_.edit.ApplyUnit(Change{What::AutoSetting, 0}, [&](UnitModel& m) { m.autoSetting = b; });
    ctx_.Send({What::AutoSetting, 0});
}

void Processing::ReadCompressor(int ch) {
    if (!ValidChannel(ch) || !ctx_.device.IsConnected()) return;
    ctx_.device.Get_Compressor(0, U8(ctx_.Live().source), U8(ch), U8(ch));
}

void Processing::ReadCompressors() {
    if (!ctx_.device.IsConnected()) return;
    const uint8_t source = U8(ctx_.Live().source);
    ctx_.device.Get_Compressor_Ch_On(0, source, 0, kChannels - 1);
    // One channel a request: the unit's reply for all ten would not fit one report.
    for (int ch = 0; ch < kChannels; ++ch) ctx_.device.Get_Compressor2(0, source, U8(ch), U8(ch));
}

void Processing::ReadInputThreshold() {
    if (!ctx_.device.IsConnected()) return;
    ctx_.device.Get_Input_Threshold(0, U8(ctx_.Live().source), true);
}

void Processing::ReadPowerOffDelay() {
    if (!ctx_.device.IsConnected()) return;
    ctx_.device.Get_Delay_Power_Off_Time();
}

void Processing::ReadKaraoke() {
    if (!ctx_.device.IsConnected()) return;
    for (int code = 1; code <= kKaraokeSettings; ++code) ctx_.device.KTV_Get(U8(code));
}

void Processing::ReadMemory(uint32_t address) { ctx_.device.Get_MemData(address); }

void Processing::WriteMemory(uint32_t address, uint32_t data) { ctx_.device.Set_MemData(address, data, kQueued); }

}  // namespace dvdsp::core
