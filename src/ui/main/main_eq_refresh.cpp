// The EQ panel of the main page shows the current channel: its band controls (by the EQ
// mode), its crossover selectors and frequencies, the slope items its filter types offer,
// the curve boxes, and the graph with the bands, markers and curves.
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/log.h"
#include "core/curve_store.h"
#include "core/eq.h"
#include "base/limits.h"
#include "dsp/channel_curve.h"
#include "toolkit/controls.h"
#include "ui/control_names.h"
#include "ui/controls/equalizer.h"
#include "ui/main/main_refresh.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

using core::What;

QString Format(const char* format, double v) { return QString::asprintf(format, v); }
QString FormatInt(const char* format, int v) { return QString::asprintf(format, v); }

tk::Control* Find(CMainWnd& wnd, const std::string& name) { return wnd.FindControl(name); }

// One band's frequency, Q and gain edits, slider and enable box.
void ShowBand(CMainWnd& wnd, const core::SceneState& s, int ch, int b, bool parametric) {
    namespace lim = dvdsp::limits;
    const core::ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    tk::Control* freq = Find(wnd, Indexed("eq_freq_", b));
    tk::Control* q = Find(wnd, Indexed("eq_q_", b));
    tk::Control* gain = Find(wnd, Indexed("eq_gain_", b));
    tk::Control* slider = Find(wnd, Indexed("eq_slider_", b));
    tk::Control* box = Find(wnd, Indexed("pt_enable_", b));
    if (!freq || !q || !gain || !slider || !box) return;
    if (b >= c.eqSize) {
        for (tk::Control* x : {freq, q, gain, slider, box}) x->SetEnabled(false);
        freq->SetText(QStringLiteral("0"));
        q->SetText(QStringLiteral("0"));
        gain->SetText(QStringLiteral("0.0"));
        slider->SetValue(0);
        box->SetSelected(false);
        return;
    }
    const core::EqBand& band = s.Bands(ch)[b];
    // Graphic EQ changes gains only.
    freq->SetEnabled(parametric);
    q->SetEnabled(parametric);
    for (tk::Control* x : {gain, slider, box}) x->SetEnabled(true);
    freq->SetText(FormatInt(lim::kBandFreq.format, band.freq));
    q->SetText(Format(lim::kBandQ.format, static_cast<double>(band.q)));
    const bool flat = c.bypass != 0 || band.enable == 0;
    gain->SetText(flat ? QStringLiteral("0.0") : Format(lim::kBandGain.format, static_cast<double>(band.gain)));
    slider->SetValue(flat ? 0 : static_cast<int>(std::lround(static_cast<double>(band.gain) * lim::kBandGain.scale)));
    box->SetSelected(!flat && std::fabs(band.gain) > 0.001f);
}

void ShowBands(CMainWnd& wnd, const core::SceneState& s, int ch, bool parametric) {
    for (int b = 0; b < core::kBandsPerChannel; ++b) ShowBand(wnd, s, ch, b, parametric);
}

// Type 2 offers the even slopes and off only; the other types every slope.
void ShowSlopeItems(CMainWnd& wnd, const char* selector, int type) {
    auto* combo = wnd.Find<tk::Combo>(selector);
    if (!combo) return;
    for (int slope = 1; slope < combo->ItemCount(); slope += 2) combo->SetItemVisible(slope, type != 2);
}

// The channel's crossover: type items, frequencies, slope items.
void SetFreqDivider(CMainWnd& wnd, const core::SceneState& s, int ch) {
    const core::ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    LogWriteNarrow("on SetFreqDivider getHPType %d\n", c.hp.type);
    LogWriteNarrow("on SetFreqDivider getLPType %d\n", c.lp.type);
    LogWriteNarrow("on SetFreqDivider getHPFs %d\n", c.hp.freq);
    LogWriteNarrow("on SetFreqDivider getLPFs %d\n", c.lp.freq);
    LogWriteNarrow("on SetFreqDivider getHPSlope %d\n", c.hp.slope);
    LogWriteNarrow("on SetFreqDivider getLPSlope %d\n", c.lp.slope);
    const struct {
        const char *type, *freq, *slope;
        const core::CrossoverFilter& f;
    } sides[] = {{"hp_type", "hp_freq", "hp_slop", c.hp}, {"lp_type", "lp_freq", "lp_slop", c.lp}};
    for (const auto& side : sides) {
        ShowSlopeItems(wnd, side.slope, side.f.type);
        if (auto* type = wnd.Find<tk::Combo>(side.type); type && side.f.type < type->ItemCount())
            type->SelectItem(side.f.type);
        if (tk::Control* freq = Find(wnd, side.freq)) freq->SetText(QStringLiteral("%1Hz").arg(side.f.freq));
        if (auto* slope = wnd.Find<tk::Combo>(side.slope); slope && side.f.slope < slope->ItemCount())
            slope->SelectItem(side.f.slope);
    }
}

// The whole panel for the current channel.
void ShowChannelEq(CMainWnd& wnd, const core::SceneState& s, int ch, bool parametric) {
    ShowBands(wnd, s, ch, parametric);
    SetFreqDivider(wnd, s, ch);
}

}  // namespace

void RefreshEqControls(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change, bool parametric) {
    const core::SceneState& s = model.current;
    const int cur = s.currOutChannel;
    if (cur < 0 || cur >= core::kChannels) return;
    const bool current = change.channel == cur;
    switch (change.what) {
    case What::Band:
        if (current && change.band >= 0 && change.band < core::kBandsPerChannel)
            ShowBand(wnd, s, cur, change.band, parametric);
        break;
    case What::Filter:
        if (current) SetFreqDivider(wnd, s, cur);
        break;
    case What::SlopeItems:
        if (current)
            ShowSlopeItems(wnd, change.value == core::kLowPass ? "lp_slop" : "hp_slop",
                           change.value == core::kLowPass ? s.channels[static_cast<size_t>(cur)].lp.type
                                                          : s.channels[static_cast<size_t>(cur)].hp.type);
        break;
    case What::EqBypass:
        if (current) ShowBands(wnd, s, cur, parametric);
        break;
    case What::CurveShown:
        if (change.channel >= 0 && change.channel < core::kChannels)
            if (tk::Control* box = Find(wnd, Indexed("ch_show_", change.channel)))
                box->SetSelected(s.showOutChEqualizer[static_cast<size_t>(change.channel)] != 0);
        break;
    case What::EqMode:
        ShowBands(wnd, s, cur, change.value != 0);
        if (auto* graph = wnd.Find<UIEqualizer>("equalizer")) graph->SetDragAllDirection(change.value != 0);
        break;
    case What::CurrentChannel:
    case What::Role:
        if (change.what == What::CurrentChannel || current) ShowChannelEq(wnd, s, cur, parametric);
        break;
    default: break;
    }
}

void ShowCurves(CMainWnd& wnd, const core::UnitModel& model, const core::CurveStore& curves, int band) {
    auto* graph = wnd.Find<UIEqualizer>("equalizer");
    if (!graph) return;
    const core::SceneState& s = model.current;
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= core::kChannels) return;
    const core::ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    // The graph draws a bypassed channel or a disabled band flat.
    std::vector<BandPoint> bands;
    const int count = std::clamp(c.eqSize, 0, core::kBandsPerChannel);
    for (int b = 0; b < count; ++b) {
        BandPoint p = s.Bands(ch)[b];
        p.gain = static_cast<float>(dsp::EffectiveBandGain(p, c.bypass != 0));
        bands.push_back(p);
    }
    graph->SetBands(bands, band);
    graph->SetCrossoverMarkers(c.hp.freq, c.lp.freq);
    std::vector<CurveData> data;
    std::vector<int> shown;
    for (int x = 0; x < core::kChannels; ++x) {
        const dsp::ChannelCurve& curve = curves.Curve(x);
        data.push_back(CurveData{curve.frequencies, curve.levels});
        shown.push_back(s.showOutChEqualizer[static_cast<size_t>(x)]);
    }
    graph->SetCurves(data, ch, shown);
}

}  // namespace dvdsp::ui
