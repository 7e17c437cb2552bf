#pragma once
// The one table of value limits. Every stored value of the unit has one row here: the
// range the unit accepts, the range the page's controls offer, the step of its step
// buttons, the scale between the value and its slider, and its display format. The
// controller, the CLI, the profile reader, the virtual unit and the windows all read
// their limits from this table; nothing else states a range.
//
// It lives at the bottom of the layers, pure data without dependencies, so the protocol
// layer, the virtual unit, the controller and the windows read the same rows.

#include <cmath>

namespace dvdsp {

struct Limit {
    const char* key;     // the value's name in profiles and on the CLI
    double min, max;     // what the unit accepts, in user units
    double uiMin, uiMax; // what the page's controls offer (inside min..max)
    double step;         // one step button, in user units
    int scale;           // slider position = value * scale
    const char* format;  // printf format of the value's text

    // The value put in the unit's range; NaN goes to the minimum.
    double Clamp(double v) const {
        if (std::isnan(v)) return min;
        return v < min ? min : (v > max ? max : v);
    }
    // The value put in the controls' range; NaN goes to the minimum.
    double ClampUi(double v) const {
        if (std::isnan(v)) return uiMin;
        return v < uiMin ? uiMin : (v > uiMax ? uiMax : v);
    }
    bool Accepts(double v) const { return std::isfinite(v) && v >= min && v <= max; }
    // Slider positions of the controls' range.
    int SliderMin() const { return static_cast<int>(std::lround(uiMin * scale)); }
    int SliderMax() const { return static_cast<int>(std::lround(uiMax * scale)); }
    int ClampSlider(int position) const {
        return position < SliderMin() ? SliderMin() : (position > SliderMax() ? SliderMax() : position);
    }
};

namespace limits {

// Master and unit-wide values.
inline constexpr Limit kMainVolume{"mainVolume", -60, 6, -60, 0, 1, 1, "%gdB"};
inline constexpr Limit kAcc{"acc", 0, 255, 0, 10, 1, 1, "%d"};
inline constexpr Limit kSource{"source", 0, 8, 0, 8, 1, 1, "%d"};
inline constexpr Limit kSpeakerOhm{"spkOhm", 0, 255, 0, 255, 1, 1, "%d"};
inline constexpr Limit kSubVolume{"subVolume", 0, 255, 0, 255, 1, 1, "%d"};

// Output channels.
inline constexpr Limit kTrim{"trim", -60, 0, -60, 0, 0.5, 10, "%.1fdB"};
inline constexpr Limit kDelayMs{"delay", 0, 15, 0, 15, 0.021, 1000, "%.3f"};
inline constexpr Limit kRole{"outputType", 0, 24, 0, 24, 1, 1, "%d"};
inline constexpr Limit kLinkGroup{"linkGroup", 0, 9, 0, 9, 1, 1, "%d"};
inline constexpr Limit kDelayLinkGroup{"delayLinkGroup", 0, 6, 0, 6, 1, 1, "%d"};
inline constexpr Limit kPartner{"partner", -1, 9, -1, 9, 1, 1, "%d"};
inline constexpr Limit kFlag{"flag", 0, 1, 0, 1, 1, 1, "%d"};

// EQ bands and crossovers.
inline constexpr Limit kBandFreq{"freq", 20, 20000, 20, 20000, 1, 1, "%d"};
inline constexpr Limit kBandQ{"q", 0.5, 9.0, 0.5, 9.0, 0.05, 100, "%.2f"};
inline constexpr Limit kBandGain{"gain", -18, 12, -18, 12, 0.1, 10, "%.1f"};
// The unit keeps a band's gain above the bottom of its range: 0 on the wire is -18 dB.
inline constexpr double kBandGainWireOffset = -kBandGain.min;
inline constexpr Limit kFilterFreq{"freq", 20, 20000, 20, 20000, 1, 1, "%d"};
inline constexpr Limit kFilterType{"type", 1, 3, 1, 3, 1, 1, "%d"};
inline constexpr Limit kFilterSlope{"slope", 0, 8, 0, 8, 1, 1, "%d"};

// Input routing and mixing.
inline constexpr Limit kRoutingMask{"mask", 0, 255, 0, 255, 1, 1, "%d"};
inline constexpr Limit kMixTrim{"mix", 0, 255, 0, 255, 1, 1, "%d"};
// A mixer cell's trim: its slider, and the range a typed value is held to when the cell
// has no slider. A checked cell whose stored trim is 0 plays at kMixCellFull.
inline constexpr Limit kMixCellTrim{"mixCell", 0, 100, 0, 100, 1, 1, "%ddB"};
inline constexpr Limit kMixCellTrimFree{"mixCellFree", -94, 6, -94, 6, 1, 1, "%ddB"};
inline constexpr int kMixCellFull = 100;
// Gain of an input's cross-source feed; the unit keeps it as gain + kCrossSourceGainOffset.
inline constexpr Limit kCrossSourceGain{"csmViceGain", -32, 6, -32, 6, 1, 1, "%ddB"};
inline constexpr int kCrossSourceGainOffset = 32;
// Vice source of a cross-source feed (the item tag's hundreds, at most 9).
inline constexpr Limit kCrossSource{"csmViceSource", 0, 9, 0, 9, 1, 1, "%d"};
// Input channel of the vice source that a cross-source feed takes (the item tag's units).
inline constexpr Limit kCrossSourceChannel{"csmViceCh", 0, 7, 0, 7, 1, 1, "%d"};

// Compressors of the output channels. Threshold, ratio and soft knee travel as an integer
// byte and a tenths digit, the times as 16-bit milliseconds (the simple compressor's
// release as seconds and tenths of a second).
inline constexpr Limit kCompThreshold{"compThreshold", -90, 0, -90, 0, 0.1, 10, "%.1fdB"};
inline constexpr Limit kCompRatio{"compRatio", 1, 20, 1, 20, 0.1, 10, "%.1f"};
inline constexpr Limit kCompAttack{"compAttack", 0, 1000, 0, 1000, 10, 1, "%dms"};
inline constexpr Limit kCompRelease{"compRelease", 0, 5000, 0, 5000, 100, 1, "%dms"};
inline constexpr Limit kCompSoftKnee{"compSoftKnee", 0, 10, 0, 10, 0.1, 10, "%.1fdB"};

// Unit-wide processing values of the small windows. An input threshold of -61 is off.
inline constexpr Limit kInputThreshold{"inputThreshold", -61, -40, -61, -40, 1, 1, "%ddBu"};
inline constexpr int kInputThresholdOff = -61;
inline constexpr Limit kPowerOffDelay{"powerOffDelay", 0, 1000, 0, 1000, 1, 1, "%d ms"};

// Karaoke parameters 1-10 (the howling switch, 3, is a flag); the echo delay travels as
// 16 bits, every other one as one byte (bass and treble signed).
inline constexpr Limit kKtvMicVolume{"ktvMicVolume", 0, 60, 0, 60, 1, 1, "%ddB"};
inline constexpr Limit kKtvMusicVolume{"ktvMusicVolume", 0, 60, 0, 60, 1, 1, "%ddB"};
inline constexpr Limit kKtvEchoLevel{"ktvEchoLevel", 0, 60, 0, 60, 1, 1, "%ddB"};
inline constexpr Limit kKtvEchoDelay{"ktvEchoDelay", 0, 1000, 0, 1000, 1, 1, "%dms"};
inline constexpr Limit kKtvReverbLevel{"ktvReverbLevel", 0, 100, 0, 100, 1, 1, "%d"};
inline constexpr Limit kKtvReverbTime{"ktvReverbTime", 0, 250, 0, 250, 1, 1, "%dms"};
inline constexpr Limit kKtvVoiceChanger{"ktvVoiceChanger", 0, 12, 0, 12, 1, 1, "%d"};
inline constexpr Limit kKtvBass{"ktvBass", -12, 12, -12, 12, 1, 1, "%d"};
inline constexpr Limit kKtvTreble{"ktvTreble", -12, 12, -12, 12, 1, 1, "%d"};

// Coefficients of the automatic-setting block, held as hundredths on their sliders.
inline constexpr Limit kAutoCoefficient{"autoCoefficient", 0, 2, 0, 2, 0.01, 100, "%.3f"};

// Scenes: 0 is the live settings, 1-10 the stored ones.
inline constexpr Limit kScene{"scene", 0, 10, 1, 10, 1, 1, "%d"};

}  // namespace limits

}  // namespace dvdsp
