// The content of the setup sheet, section by section.
#include "core/setup_sheet.h"

#include <algorithm>
#include <cstdio>

#include "base/identity.h"
#include "base/limits.h"
#include "core/channel_format.h"
#include "core/curve_store.h"
#include "core/outgoing.h"
#include "core/part_helpers.h"
#include "core/sheet_plot.h"
#include "dsp/channel_curve.h"

namespace dvdsp::core {

std::string ResolveKeys(const std::string& text, const SheetText& lang) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find("${", i);
        const size_t close = open == std::string::npos ? open : text.find('}', open);
        if (close == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        out.append(text, i, open - i);
        out += lang(text.substr(open + 2, close - open - 2));
        i = close + 1;
    }
    return out;
}

namespace {

using sheet::Align;
using sheet::PageFlow;
using Rows = std::vector<std::vector<std::string>>;

const char* const kSourceKeys[kSources] = {"source_opt", "source_coax", "source_bt", "source_aux", "source_low",
                                           "source_hi",  "source_udp",  "source_dmp", "source_scp"};
constexpr const char* kDash = "–";


std::string Ch(int ch) { return "CH" + std::to_string(ch + 1); }

class Content {
  public:
    Content(const UnitModel& m, const SheetInfo& info, const SheetText& lang, sheet::Document& doc)
        : m_(m), s_(m.current), info_(info), lang_(lang), flow_(doc) {}

    std::string T(const std::string& key) const { return lang_(key); }
    std::string R(const std::string& text) const { return ResolveKeys(text, lang_); }
    std::string YesNo(bool v) const { return T(v ? "sheet_yes" : "sheet_no"); }

    void Header();
    void Outputs();
    void Master();
    void Routing();
    void Mixer();
    void Equalizers();
    void Scenes();

  private:
    std::string RoleName(int ch) const {
        const int role = s_.outputs[Z(ch)];
        return role > 0 && role < kRoleCount ? T("role_" + std::to_string(role)) : T("spk_none");
    }
    std::string FilterType(const CrossoverFilter& f) const {
        if (f.bypass != 0 || f.slope <= 0) return R(kOffText);
        static const char* const kTypeKeys[] = {"butterworth", "linkwitz_riley", "bessel"};
        return T(kTypeKeys[Z(std::clamp(f.type, 1, 3) - 1)]);
    }
    bool FilterOn(const CrossoverFilter& f) const { return f.bypass == 0 && f.slope > 0; }
    // The bands of a channel that change its sound.
    std::vector<int> ActiveBands(int ch) const {
        std::vector<int> out;
        const int size = std::clamp<int>(s_.channels[Z(ch)].eqSize, 0, kBandsPerChannel);
        for (int b = 0; b < size; ++b) {
            const EqBand& band = s_.Bands(ch)[b];
            if (band.enable != 0 && band.gain != 0.0f) out.push_back(b);
        }
        return out;
    }
    std::vector<PageFlow::Column> ChannelColumns(double first) const {
        std::vector<PageFlow::Column> cols{{first, Align::Left}};
        const double w = (flow_.Width() - first) / kChannels;
        for (int c = 0; c < kChannels; ++c) cols.push_back({w, Align::Center});
        return cols;
    }

    const UnitModel& m_;
    const SceneState& s_;
    const SheetInfo& info_;
    const SheetText& lang_;
    mutable PageFlow flow_;
};

void Content::Header() {
    flow_.Skip(18);
    flow_.Text(flow_.Left(), flow_.Y(), flow_.Width() * 0.6, T("sheet_title"), 18, true, Align::Left, 0x1F3A5F);
    flow_.Text(flow_.Left() + flow_.Width() * 0.6, flow_.Y(), flow_.Width() * 0.4, info_.date, 10, false,
               Align::Right);
    flow_.Skip(12);
    // A profile may hold no model or versions (-1).
    char firmware[32] = "–";
    if (s_.mainVersion >= 0 && s_.slaveVersion >= 0)
        std::snprintf(firmware, sizeof firmware, "%d.%d", s_.mainVersion, s_.slaveVersion);
    const std::string model = std::string(kModelName) +
                              (s_.model >= 0 ? " (" + T("sheet_model") + " " + std::to_string(s_.model) + ")" : "");
    Rows rows{{T("sheet_unit"), model},
              {T("sheet_firmware"), info_.firmware.empty() ? firmware : info_.firmware},
              {T("sheet_date"), info_.date},
              {T("sheet_name"), info_.name.empty() ? T("sheet_live") : info_.name}};
    if (!info_.note.empty()) rows.push_back({T("sheet_note"), info_.note});
    // The first row is a header: give the table an empty one of its own.
    rows.insert(rows.begin(), {T("sheet_about"), ""});
    flow_.Table({{110}, {flow_.Width() - 110}}, rows, 8.5, true);
}

void Content::Outputs() {
    flow_.Heading(T("sheet_outputs"), 200);
    Rows rows;
    std::vector<std::string> head{""};
    for (int c = 0; c < kChannels; ++c) head.push_back(Ch(c));
    rows.push_back(head);
    const auto row = [&](const std::string& title, auto cell) {
        std::vector<std::string> r{title};
        for (int c = 0; c < kChannels; ++c) r.push_back(cell(c, s_.channels[Z(c)]));
        rows.push_back(std::move(r));
    };
    row(T("sheet_role"), [&](int c, const ChannelSettings&) { return RoleName(c); });
    row(T("sheet_trim"), [&](int, const ChannelSettings& ch) {
        return R(TrimText(ch.gain, ch.gain <= static_cast<float>(limits::kTrim.uiMin)));
    });
    row(T("mute"), [&](int, const ChannelSettings& ch) { return YesNo(ch.mute != 0); });
    row(T("phase"), [&](int, const ChannelSettings& ch) { return std::string(ch.phase != 0 ? "180°" : "0°"); });
    if (info_.delayUnit != kDelayMs)
        row(T("sheet_delay") + " (" + (info_.delayUnit == kDelayCm ? "cm" : "in") + ")",
            [&](int, const ChannelSettings& ch) { return DelayText(ch.delay, info_.delayUnit, true); });
    row(T("sheet_delay") + " (ms)", [&](int, const ChannelSettings& ch) { return DelayText(ch.delay, kDelayMs, true); });
    for (bool hp : {true, false}) {
        const std::string side = T(hp ? "sheet_hp" : "sheet_lp");
        const auto filter = [hp](const ChannelSettings& ch) -> const CrossoverFilter& { return hp ? ch.hp : ch.lp; };
        row(side, [&](int, const ChannelSettings& ch) { return FilterType(filter(ch)); });
        row(side + " " + T("sheet_slope"), [&](int, const ChannelSettings& ch) {
            return FilterOn(filter(ch)) ? SlopeText(filter(ch).slope) : std::string(kDash);
        });
        row(side + " (Hz)", [&](int, const ChannelSettings& ch) {
            return FilterOn(filter(ch)) ? LimitText(limits::kFilterFreq, filter(ch).freq) : std::string(kDash);
        });
    }
    row(T("sheet_bands"), [&](int c, const ChannelSettings& ch) {
        if (ch.bypass != 0) return T("sheet_bypassed");
        const size_t n = ActiveBands(c).size();
        return n == 0 ? std::string(kDash) : std::to_string(n);
    });
    row(T("link_group"), [&](int c, const ChannelSettings&) {
        const int g = s_.linkSel[Z(c)];
        return g > 0 ? LimitText(limits::kLinkGroup, g) : std::string(kDash);
    });
    row(T("delay_link_group"), [&](int c, const ChannelSettings&) {
        const int g = s_.delayLinkSel[Z(c)];
        return g > 0 ? LimitText(limits::kDelayLinkGroup, g) : std::string(kDash);
    });
    row(T("bridge"), [&](int c, const ChannelSettings&) {
        const int pair = c / 2;
        return pair < kBridgePairs && s_.bridge[Z(pair)] != 0 ? Ch(2 * pair) + "+" + Ch(2 * pair + 1)
                                                              : std::string(kDash);
    });
    row(T("sheet_stereo_link"), [&](int c, const ChannelSettings&) {
        const int p = s_.linkOutputs[Z(c)];
        return s_.linkMode != 0 && p >= 0 && p < kChannels ? Ch(p) : std::string(kDash);
    });
    flow_.Table(ChannelColumns(82), rows, 7, true);
}

void Content::Master() {
    flow_.Heading(T("sheet_master"), 80);
    const int source = std::clamp(s_.source, 0, kSources - 1);
    const Rows rows{
        {T("sheet_setting"), T("sheet_value"), T("sheet_setting"), T("sheet_value")},
        {T("sheet_volume"), R(MainVolumeText(s_.mainVolume)), T("mute"), YesNo(s_.mainMute != 0)},
        {T("input_source"), T(kSourceKeys[Z(source)]), T("acc_delay"), LimitText(limits::kAcc, s_.acc)},
        {T("sheet_amplifier"), T(s_.ampOn != 0 ? "amp_on" : "amp_off"), T("sheet_speakers"),
         T(s_.twoOhm != 0 ? "btn_2ohm_spk" : "btn_4ohm_spk")},
        {T("sheet_remote"), T(s_.remOut1 != 0 ? "rem_out1_on" : "rem_out1_off") + ", " +
                                T(s_.remOut2 != 0 ? "rem_out2_on" : "rem_out2_off"),
         T("sheet_noise_gate"), T(s_.noiseGate != 0 ? "btn_noise_gate_on" : "btn_noise_gate_off")},
    };
    const double w = flow_.Width() / 4;
    flow_.Table({{w}, {w}, {w}, {w}}, rows, 8);
}

void Content::Routing() {
    const int source = std::clamp(s_.source, 0, kSources - 1);
    const int inputs = kInputChannelsPerSource[Z(source)];
    flow_.Heading(T("sheet_routing") + " (" + T(kSourceKeys[Z(source)]) + ")", 60);
    if (inputs == 0) {
        flow_.Paragraph(T("sheet_no_inputs"), 8.5);
        return;
    }
    Rows rows;
    std::vector<std::string> head{T("mixer_input")};
    for (int c = 0; c < kChannels; ++c) head.push_back(Ch(c));
    rows.push_back(head);
    for (int in = 0; in < inputs; ++in) {
        std::vector<std::string> r{T("mixer_input") + " " + std::to_string(in + 1)};
        for (int c = 0; c < kChannels; ++c) r.push_back((s_.inputs[Z(source)][Z(c)] >> in) & 1 ? "●" : "");
        rows.push_back(std::move(r));
    }
    flow_.Table(ChannelColumns(82), rows, 7.5, true);
}

void Content::Mixer() {
    flow_.Heading(T("sheet_mixer"), 40);
    const SceneState defaults(s_.channelCount);
    Rows rows{{T("input_source"), T("mixer_input"), T("sheet_setting"), T("sheet_value")}};
    for (int src = 0; src < kSources; ++src)
        for (int in = 0; in < kInputsPerSource; ++in) {
            const auto add = [&](const std::string& what, const std::string& value) {
                rows.push_back({T(kSourceKeys[Z(src)]), std::to_string(in + 1), what, value});
            };
            for (int c = 0; c < kChannels; ++c) {
                const int32_t v = s_.inputMixVolume[Z(src)][Z(in)][Z(c)];
                if (v != defaults.inputMixVolume[Z(src)][Z(in)][Z(c)])
                    add(T("sheet_mix_level") + " → " + Ch(c), LimitText(limits::kMixTrim, v));
            }
            if (s_.inMixPhase[Z(src)][Z(in)] != defaults.inMixPhase[Z(src)][Z(in)])
                add(T("phase"), s_.inMixPhase[Z(src)][Z(in)] != 0 ? "180°" : "0°");
            if (s_.csmViceSource[Z(src)][Z(in)] != defaults.csmViceSource[Z(src)][Z(in)] ||
                s_.csmViceCh[Z(src)][Z(in)] != defaults.csmViceCh[Z(src)][Z(in)] ||
                s_.csmViceGain[Z(src)][Z(in)] != defaults.csmViceGain[Z(src)][Z(in)]) {
                const int vice = std::clamp(s_.csmViceSource[Z(src)][Z(in)], 0, kSources - 1);
                add(T("mixer_cross_source"),
                    T(kSourceKeys[Z(vice)]) + " " + std::to_string(s_.csmViceCh[Z(src)][Z(in)] + 1) + ", " +
                        LimitText(limits::kCrossSourceGain,
                                  s_.csmViceGain[Z(src)][Z(in)] - limits::kCrossSourceGainOffset));
            }
        }
    if (rows.size() == 1) return flow_.Paragraph(T("sheet_mixer_default"), 8.5);
    const double w = flow_.Width();
    flow_.Table({{w * 0.22}, {w * 0.12, Align::Center}, {w * 0.4}, {w * 0.26, Align::Right}}, rows, 7.5);
}

void Content::Equalizers() {
    bool any = false;
    for (int ch = 0; ch < kChannels; ++ch) {
        const std::vector<int> bands = ActiveBands(ch);
        if (bands.empty()) continue;
        if (!any) flow_.NewPage();
        any = true;
        const double plotH = 165;
        flow_.Heading(Ch(ch) + " · " + RoleName(ch) + (s_.channels[Z(ch)].bypass ? " (" + T("sheet_bypassed") + ")" : ""),
                      plotH + 40);
        dsp::ChannelCurve curve;
        dsp::BuildChannelCurve(ChannelFiltersOf(s_, ch), s_.channels[Z(ch)].bypass != 0, dsp::CURVE_POINTS, curve);
        std::vector<double> crossover(curve.highPass.size());
        for (size_t k = 0; k < crossover.size() && k < curve.lowPass.size(); ++k)
            crossover[k] = curve.highPass[k] + curve.lowPass[k];
        sheet::PlotFrame frame{flow_.Left(), flow_.Y(), flow_.Width(), plotH, T("sheet_axis_hz"), T("sheet_axis_db"), 7};
        sheet::DrawResponsePlot(flow_.Current(), frame,
                                {{&curve.frequencies, &crossover, 0xD9822B, 1.0, true, T("sheet_crossover")},
                                 {&curve.frequencies, &curve.levels, 0x1F5FBF, 1.4, false, T("sheet_response")}});
        flow_.Skip(plotH + 8);
        // The bands in two tables side by side when there are many.
        Rows rows{{T("sheet_band"), T("sheet_freq"), T("sheet_gain"), "Q"}};
        for (int b : bands) {
            const EqBand& band = s_.Bands(ch)[b];
            rows.push_back({std::to_string(b + 1), LimitText(limits::kBandFreq, band.freq),
                            LimitText(limits::kBandGain, band.gain), LimitText(limits::kBandQ, band.q)});
        }
        const double w = (flow_.Width() - 20) / 2;
        const std::vector<PageFlow::Column> cols{
            {w * 0.2, Align::Center}, {w * 0.3, Align::Right}, {w * 0.3, Align::Right}, {w * 0.2, Align::Right}};
        flow_.Table(cols, rows, 7.5);
    }
}

void Content::Scenes() {
    flow_.Heading(T("sheet_scenes"), 60);
    if (!info_.scenesKnown) return flow_.Paragraph(T("sheet_no_scenes"), 8.5);
    Rows rows{{T("sheet_scene"), T("sheet_scene_name"), T("sheet_stored"), T("sheet_differs")}};
    for (int n = 1; n <= kStoredScenes; ++n) {
        const bool stored = (m_.validScenes >> n) & 1;
        const std::string name = SceneNameToUtf8(m_.names[Z(n - 1)]);
        const bool differs = stored && !ChangesBetween(m_.scenes[Z(n - 1)], s_).empty();
        rows.push_back({std::to_string(n), name.empty() ? std::string(kDash) : name, YesNo(stored),
                        stored ? YesNo(differs) : std::string(kDash)});
    }
    const double w = flow_.Width();
    flow_.Table({{w * 0.12, Align::Center}, {w * 0.38}, {w * 0.2, Align::Center}, {w * 0.3, Align::Center}}, rows, 8);
}

}  // namespace

sheet::Document BuildSetupSheet(const UnitModel& model, const SheetInfo& info, const SheetText& lang) {
    sheet::Document doc;
    doc.width = info.letter ? sheet::kLetterWidth : sheet::kA4Width;
    doc.height = info.letter ? sheet::kLetterHeight : sheet::kA4Height;
    doc.title = lang("sheet_title") + (info.name.empty() ? "" : " — " + info.name);
    {
        Content c(model, info, lang, doc);
        c.Header();
        c.Outputs();
        c.Master();
        c.Routing();
        c.Mixer();
        c.Equalizers();
        c.Scenes();
    }
    // The footer of every page.
    const double margin = 40;
    const int total = static_cast<int>(doc.pages.size());
    for (int p = 0; p < total; ++p) {
        sheet::Page& page = doc.pages[Z(p)];
        const double y = doc.height - margin + 6;
        page.boxes.push_back({margin, y - 10, doc.width - 2 * margin, 0.5, true, 0x9AA5B4, 0, 0});
        page.texts.push_back({margin, y, (doc.width - 2 * margin) * 0.7, 7, false, Align::Left, 0x505A68,
                              doc.title + " · " + kModelName + " · " + info.date});
        // "Page %d of %d": the page, then the count.
        std::string pageText = lang("sheet_page");
        for (int v : {p + 1, total})
            if (const size_t at = pageText.find("%d"); at != std::string::npos)
                pageText.replace(at, 2, std::to_string(v));
        page.texts.push_back({margin + (doc.width - 2 * margin) * 0.7, y, (doc.width - 2 * margin) * 0.3, 7, false,
                              Align::Right, 0x505A68, pageText});
    }
    return doc;
}

}  // namespace dvdsp::core
