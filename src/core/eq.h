#pragma once
// The EQ and crossover part of the controller: the bands and filters of each channel as
// they are edited, sent, copied between channels, bypassed and reset, the graphic or
// parametric mode of the page, the drags on the curve control and the curves it draws.
// Files: eq.cpp (sending, copying, bypass, reset, mode), eq_bands.cpp (band edits),
// eq_filters.cpp (crossover edits and marker drags), eq_curves.cpp (the curve updates).

#include <cstdint>
#include <string>
#include <vector>

#include "core/controller_context.h"
#include "core/curve_store.h"

namespace dvdsp::core {

// Which crossover filter an edit concerns (the value of a SlopeItems change).
enum FilterSide { kHighPass = 0, kLowPass = 1 };

// What the curve control reports of a drag (EqualizerCallback kinds).
enum CurveDrag { kDragBand = 0, kDragHighPass = 1, kDragLowPass = 2 };

// The curve control's values after one of its notifications: the dragged band's point
// (kind 0) or the two crossover markers (kinds 1 and 2).
struct CurveEdit {
    float gain = 0.0f;
    float q = 0.0f;
    int32_t freq = 0;
    uint8_t enable = 1;
    int32_t hpFreq = 0;
    int32_t lpFreq = 0;
};

// Minimum time between two filter sends while a crossover marker is dragged.
inline constexpr uint64_t kFilterDragSendMs = 500;

// Text of a frequency edit: plain digits, or the "k" form where the digits before the
// letter are thousands and the one digit after it hundreds ("2k5" 2500, "1k" 1000).
// False when the text holds no frequency.
bool ParseFrequencyText(const std::string& text, int& freq);
// One step of the frequency step buttons on the logarithmic scale of 200 positions from
// 20 Hz to 20000 Hz; a step that lands on the same whole frequency is taken twice. At
// the ends (20000 up, 20 down) the frequency stays.
int LogFrequencyStep(int freq, bool up);

class Eq {
public:
    explicit Eq(ControllerContext& ctx) : ctx_(ctx) {}

    // ---- Curves (eq_curves.cpp) -------------------------------------------------------
    // Computes the curves of the current channel, its partner and its link group (and of
    // any channel changed meanwhile), then has the view hand them to the curve control
    // (band -1: none selected).
    void UpdateEqualizer(int band);
    // Computes every channel's curves, then as UpdateEqualizer(-1): after the read-out, a
    // scene or profile load, a role change and the GEQ/PEQ switch.
    void UpdateAllCurves();
    // A channel's settings changed outside the EQ operations (a reply, a copy).
    void CurveChanged(int ch) { curves_.MarkStale(ch); }
    // The curve box of a channel: the curve is drawn or not.
    void ShowCurve(int ch, bool shown);
    const CurveStore& Curves() const { return curves_; }

    // ---- Bands of the current channel (eq_bands.cpp) ----------------------------------
    // The three edits of a band, as typed: frequency (a value outside 20-20000 Hz is
    // refused and the stored one shown again), Q and gain (limited to their ranges).
    void SetChEqEdit(int band, const std::string& freqText, const std::string& qText, const std::string& gainText);
    // The band's slider (gain in tenths of a dB).
    void SetEqSlider(int band, int value);
    void SetEqFreqUp(int band, bool up);
    void SetEqGainUp(int band, bool up);
    void SetEqQUp(int band, bool up);
    // The band's enable box: disables a raised band, enables a disabled one with a gain.
    void OnEqEnable(int band);

    // ---- Crossover filters of the current channel (eq_filters.cpp) --------------------
    void SetHpFreqEdit(const std::string& text);
    void SetLpFreqEdit(const std::string& text);
    void SetHpFreqUp(bool up);
    void SetLpFreqUp(bool up);
    // Type 1 Butterworth, 2 Linkwitz-Riley (even slopes only), 3 Bessel.
    void SetHpType(int type) { SetFilterType(kHighPass, type); }
    void SetLpType(int type) { SetFilterType(kLowPass, type); }
    // Slope 0-8, the filter's order; 0 turns it off.
    void SetHpSlope(int slope) { SetFilterSlope(kHighPass, slope); }
    void SetLpSlope(int slope) { SetFilterSlope(kLowPass, slope); }

    // A notification of the curve control: kind 0 a band point `index` dragged, 1 the
    // high-pass marker, 2 the low-pass marker; `released` when the mouse was released.
    void EqualizerCallback(int index, int kind, bool released, const CurveEdit& edit);

    // ---- Channel-wide (eq.cpp) --------------------------------------------------------
    // Bypasses the current channel's EQ or restores it, asking first when the bands are
    // not flat; the link group (channels 0-3) and the partner follow.
    void SetOutputBypass();
    // Asks, then puts every band of the current channel, of its link group (channels 0-3)
    // and of its partner back to flat.
    void SetOutputEqReset();
    // Asks, then switches between graphic (the start) and parametric EQ.
    void SwitchEqMode();
    bool ParametricEq() const { return parametricEq_; }

    // Sends the high-pass then the low-pass filter of ch as the model holds them.
    void SendFilters(int ch);
    // Sends the bands, crossover and bypass of ch as the model holds them.
    void SendChannelEq(int ch);
    // Copies bands, crossover and bypass of one channel onto another and sends them.
    void CopyOutConfig(int from, int to);

private:
    static bool InUse(const SceneState& s, int band);
    // Stores and sends the bypass flag of a channel.
    void ApplyBypass(int ch, uint8_t bypass);
    // The other members of ch's link group that follow its EQ (channels 0-3, the partner
    // left out).
    std::vector<int> GroupMembers(int ch) const;
    // Sends band b of ch as the model holds it (a disabled band goes out flat).
    void SendBand(int ch, int b);
    void SendFilter(int ch, FilterSide side);

    // Band edits: the new values of band b of the current channel, applied with the
    // followers, the bypass flag and the curves.
    // A bypassed channel first has its raised bands zeroed (unless `zeroBypassed` is off).
    void ApplyBandEdit(int band, int freq, float q, float gain, bool zeroBypassed = true);
    // A band point dragged on the curve control.
    void DragBand(int band, bool released, const CurveEdit& edit);

    void SetFilterFreq(FilterSide side, int freq);
    void SetFilterType(FilterSide side, int type);
    void SetFilterSlope(FilterSide side, int slope);
    // Stores one filter field on the channel, its partner and its link group; returns the
    // group members, which the caller sends.
    template <class Write>
    std::vector<int> StoreFilter(int ch, FilterSide side, Write&& write);
    void DragFilter(FilterSide side, int freq, bool released);

    ControllerContext& ctx_;
    CurveStore curves_;
    bool parametricEq_ = false;
    // Last filter send of a marker drag (the link's clock), one for the whole process.
    static uint64_t lastFilterSendMs_;
};

}  // namespace dvdsp::core
