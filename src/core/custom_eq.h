#pragma once
// The custom EQ part of the controller: the twenty further bands of an output channel,
// stored bands 11 to 30, as the custom EQ window edits them. Window band i is stored
// band 11 + i and always goes to the unit as band 11 + i. Every change is stored through
// the editor (a Band change of band 11 + i) and sent at once with EQ_Ctrl; the window
// shows the values these operations return.

#include <array>
#include <string>

#include "core/controller_context.h"
#include "core/model.h"
#include "dsp/channel_curve.h"

namespace dvdsp::core {

inline constexpr int kCustomEqBands = 20;
inline constexpr int kCustomEqFirstBand = 11;
inline constexpr float kCustomEqDefaultQ = 5.8f;

// The factory values of "restore", handed to the window by its opener.
struct CustomEqFactory {
    std::array<int, kCustomEqBands> freqs{};  // Hz
    std::array<int, kCustomEqBands> gains{};  // whole dB
};
// The factory tables of this model: the bands' own default frequencies, flat.
CustomEqFactory DefaultCustomEqFactory();

// The gain range of the window's sliders (tenths of a dB, from the layout), in dB as
// the edits use it (the slider limits divided by 10, whole dB).
struct CustomEqGainRange {
    int sliderMin = -180, sliderMax = 120;
    float Min() const { return static_cast<float>(sliderMin / 10); }
    float Max() const { return static_cast<float>(sliderMax / 10); }
};

// What the edits of a band show after SetChEqEdit.
struct CustomEqEdit {
    int freq = 0;
    float q = 0;
    float gain = 0;
    bool gainRewritten = false;  // the typed gain was put in range
    bool changed = false;        // stored and sent
};

enum class CustomEqEnable { Unchanged, Disabled, Enabled };

class CustomEq {
public:
    explicit CustomEq(ControllerContext& ctx) : ctx_(ctx) {}

    // Window band i of channel ch (i outside 0-19 reads band 0).
    const EqBand& Band(int ch, int i) const;

    // The three edit texts of band i: frequency (digits or the "k" form; outside
    // 20-20000 Hz the stored one), Q (0.5-9) and gain (the slider range). Stored and
    // sent unless nothing changed on an enabled band.
    CustomEqEdit SetChEqEdit(int ch, int i, const std::string& freqText, const std::string& qText,
                             const std::string& gainText, const CustomEqGainRange& range);
    // The gain slider moved: the band takes the frequency and Q of its edits and the
    // slider's gain, enabled.
    void SetEqSlider(int ch, int i, const std::string& freqText, const std::string& qText, int sliderValue);
    // The enable box: a band that plays (slider off 0) is disabled and sent flat, its gain
    // kept; a disabled band whose gain differs from the slider is enabled and sent.
    CustomEqEnable OnEqEnable(int ch, int i, int sliderValue);
    // A band point dragged on the graph: false (nothing sent) when frequency, Q and gain
    // are unchanged on an enabled band, or, on the way (not `released`), the gain is at 0 dB.
    // A moved Q is stored in whole tenths, as it travels.
    bool EqualizerCallback(int ch, int i, int freq, float q, float gain, bool released = false);
    // Asks, then every band flat at its default frequency, Q 5.8, enabled, and sent.
    bool SetOutputEqReset(int ch);
    // Asks, then every band at its factory frequency and gain, Q 5.8, enabled, and sent.
    bool SetOutputEqRestore(int ch, const CustomEqFactory& factory);

    // The curve of the twenty bands (a disabled band flat), on the 512-point grid.
    void ComputeCurve(int ch, dsp::ChannelCurve& out) const;

    // Steps of the edits' up and down keys; false when the value is at its end.
    static bool FreqStep(int freq, bool up, int& out);
    static bool QStep(double q, bool up, double& out);
    static bool GainStep(double gain, bool up, const CustomEqGainRange& range, double& out);

private:
    void Store(int ch, int i, const EqBand& band);
    void Send(int ch, int i);

    ControllerContext& ctx_;
};

}  // namespace dvdsp::core
