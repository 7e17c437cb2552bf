#include "core/filter_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/limits.h"
#include "core/part_helpers.h"
#include "dsp/peaking_match.h"

namespace dvdsp::core {
namespace {

constexpr double kSectionQTolerance = 0.01;

struct Design {
    int type, order;
};

// The Q of each section of a crossover design, 0 for a first-order one, sorted.
std::vector<double> SectionQs(int type, int order) {
    std::vector<double> qs;
    const dsp::CrossoverSections d = dsp::DesignCrossoverSections(false, 1000.0, order, type);
    for (const dsp::CrossoverSlot& slot : d.slot) {
        if (slot.kind == 0) qs.push_back(0.0);
        if (slot.kind == 1) {
            // coef = (2 - d sin w) / (2 + d sin w): the damping d back, and Q = 1 / d.
            const double sinw = std::sin(std::acos(slot.cosw));
            qs.push_back((1.0 + slot.coef) * sinw / (2.0 * (1.0 - slot.coef)));
        }
    }
    std::sort(qs.begin(), qs.end());
    return qs;
}

// The designs whose sections all lie at the crossover's frequency.
const std::vector<Design>& LineDesigns() {
    static const std::vector<Design> designs = [] {
        std::vector<Design> d;
        for (int n = 1; n <= dsp::CROSSOVER_MAX_ORDER; ++n) d.push_back({dsp::kButterworth, n});
        for (int n = 2; n <= dsp::CROSSOVER_MAX_ORDER; n += 2) d.push_back({dsp::kLinkwitzRiley, n});
        d.push_back({dsp::kBessel, 2});
        return d;
    }();
    return designs;
}

const char* CrossoverTypeName(int type) {
    switch (type) {
    case dsp::kButterworth: return "Butterworth";
    case dsp::kLinkwitzRiley: return "Linkwitz-Riley";
    default: return "Bessel";
    }
}

// A number with at most `digits` decimals and no trailing zeros, whatever the locale.
std::string Num(double v, int digits) {
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, digits);
    std::string s(b, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::string Fixed(double v, int digits) {
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, digits);
    std::string s(b, r.ptr);
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string Range(const Limit& l, const char* unit) { return Num(l.min, 2) + " to " + Num(l.max, 2) + unit; }

class Planner {
public:
    Planner(const FilterText& text, const SceneState& s, int ch) : text_(text), s_(s) { plan_.channel = ch; }

    FilterImport Plan() {
        plan_.refused = text_.refused;
        plan_.emptyFilters = text_.emptyFilters;
        const int ch = plan_.channel;
        if (ch < 0 || ch >= kChannels) {
            plan_.refused.push_back({0, "there is no channel " + std::to_string(ch + 1)});
            return plan_;
        }
        const ChannelSettings& c = s_.channels[Z(ch)];
        const int bandCount = std::clamp(c.eqSize, 0, kBandsPerChannel);
        std::vector<dsp::Biquad> wanted, made;
        for (const FilterLine& f : text_.filters) {
            if (!f.on) {
                ++plan_.offFilters;
                continue;
            }
            if (f.kind == FilterKind::Peaking) Peaking(f, bandCount, wanted, made);
            else if (f.kind == FilterKind::HighPass) sides_[0].push_back(&f);
            else if (f.kind == FilterKind::LowPass) sides_[1].push_back(&f);
            else Refuse(f.line, f.type + ": the unit has no such filter (only peaking bands and its crossovers)");
        }
        if (!wanted.empty()) plan_.worstDb = dsp::WorstDifferenceDb(wanted, made);
        const int taken = static_cast<int>(plan_.bands.size());
        for (int b = taken; b < bandCount; ++b)
            if (s_.Bands(ch)[b].enable && ValueOps::Raised(s_.Bands(ch)[b].gain)) ++plan_.flattened;
        Crossover(0, plan_.highPass);
        Crossover(1, plan_.lowPass);
        const int hp = plan_.highPass.set ? plan_.highPass.filter.freq : c.hp.freq;
        const int lp = plan_.lowPass.set ? plan_.lowPass.filter.freq : c.lp.freq;
        if ((plan_.highPass.set || plan_.lowPass.set) && hp > lp)
            Refuse(plan_.highPass.set ? plan_.highPass.line : plan_.lowPass.line,
                   "the high-pass (" + std::to_string(hp) + " Hz) would lie above the low-pass (" + std::to_string(lp) +
                       " Hz)");
        if (text_.hasPreamp) {
            plan_.hasPreamp = true;
            plan_.preampLine = text_.preampLine;
            if (!limits::kTrim.Accepts(text_.preampDb))
                Refuse(text_.preampLine, "a preamp of " + Num(text_.preampDb, 2) + " dB is outside the trim's " +
                                             Range(limits::kTrim, " dB"));
            else plan_.preampHundredths = static_cast<int>(std::lround(text_.preampDb * 100.0));
        }
        std::stable_sort(plan_.refused.begin(), plan_.refused.end(),
                         [](const FilterRefusal& a, const FilterRefusal& b) { return a.line < b.line; });
        return plan_;
    }

private:
    void Refuse(int line, std::string why) { plan_.refused.push_back({line, std::move(why)}); }

    void Peaking(const FilterLine& f, int bandCount, std::vector<dsp::Biquad>& wanted, std::vector<dsp::Biquad>& made) {
        if (++peaking_ > bandCount)
            return Refuse(f.line, "filter " + std::to_string(peaking_) + " is more than the channel's " +
                                      std::to_string(bandCount) + " bands");
        const double freq = std::round(f.fc);
        const double gain = std::round(f.gain * 10.0) / 10.0;
        if (!limits::kBandFreq.Accepts(freq))
            return Refuse(f.line, "Fc " + Num(f.fc, 2) + " Hz is outside the unit's " + Range(limits::kBandFreq, " Hz"));
        if (!limits::kBandGain.Accepts(gain))
            return Refuse(f.line, "a gain of " + Num(f.gain, 2) + " dB is outside the unit's " + Range(limits::kBandGain, " dB"));
        const dsp::Biquad book = dsp::DesignCookbookPeaking(dsp::RESPONSE_SAMPLE_RATE, f.fc, f.gain, f.q);
        double q = std::round(limits::kBandQ.Clamp(f.q) * 10.0) / 10.0;  // a flat band: any Q
        if (ValueOps::Raised(static_cast<float>(gain))) {
            q = dsp::UnitQFor(book, freq, gain).q;
            if (!limits::kBandQ.Accepts(q))
                return Refuse(f.line, "Q " + Num(f.q, 3) + " is Q " + Num(q, 1) + " on this unit, outside its " +
                                          Range(limits::kBandQ, ""));
        }
        wanted.push_back(book);
        made.push_back(dsp::DesignPeakingBand(dsp::RESPONSE_SAMPLE_RATE, freq, gain, q));
        plan_.bands.push_back({static_cast<float>(gain), static_cast<float>(q), static_cast<int32_t>(freq), 1});
    }

    void Crossover(int side, CrossoverImport& out) {
        const std::vector<const FilterLine*>& lines = sides_[side];
        if (lines.empty()) return;
        const char* name = side == 0 ? "high-pass" : "low-pass";
        const double fc = lines[0]->fc;
        std::vector<double> qs;
        for (const FilterLine* f : lines) {
            if (std::fabs(f->fc - fc) >= 0.5) {
                Refuse(f->line, std::string("a second ") + name + " frequency (" + Num(f->fc, 2) + " Hz; the first is " +
                                    Num(fc, 2) + " Hz): the channel has one " + name);
                continue;
            }
            qs.push_back(f->order == 1 ? 0.0 : f->q);
        }
        std::sort(qs.begin(), qs.end());
        const Design* match = nullptr;
        for (const Design& d : LineDesigns()) {
            const std::vector<double> want = SectionQs(d.type, d.order);
            if (want.size() != qs.size()) continue;
            bool same = true;
            for (size_t i = 0; i < qs.size(); ++i) same = same && std::fabs(want[i] - qs[i]) <= kSectionQTolerance;
            if (same) {
                match = &d;
                break;
            }
        }
        const int line = lines[0]->line;
        if (!match) {
            std::string sections;
            for (double q : qs) sections += (sections.empty() ? "" : ", ") + (q == 0.0 ? std::string("first order") : "Q " + Num(q, 3));
            return Refuse(line, std::string("no ") + name + " of the unit has these sections (" + sections +
                                    "); it has Butterworth 1-8, Linkwitz-Riley 2-8 and Bessel filters");
        }
        const double freq = std::round(fc);
        if (!limits::kFilterFreq.Accepts(freq))
            return Refuse(line, std::string("the ") + name + " at " + Num(fc, 2) + " Hz is outside the unit's " +
                                    Range(limits::kFilterFreq, " Hz"));
        out.set = true;
        out.line = line;
        out.filter.freq = static_cast<int32_t>(freq);
        out.filter.type = match->type;
        out.filter.slope = match->order;
        out.filter.bypass = 0;
    }

    const FilterText& text_;
    const SceneState& s_;
    FilterImport plan_;
    int peaking_ = 0;
    std::vector<const FilterLine*> sides_[2];
};

std::string CrossoverText(const CrossoverFilter& f) {
    return std::string(CrossoverTypeName(f.type)) + " " + std::to_string(f.slope * 6) + " dB/oct at " + std::to_string(f.freq) + " Hz";
}

}  // namespace

FilterImport PlanFilterImport(const FilterText& text, const SceneState& s, int ch) { return Planner(text, s, ch).Plan(); }

std::string ImportSummary(const FilterImport& p) {
    std::string out = std::to_string(p.bands.size()) + " peaking filter" + (p.bands.size() == 1 ? "" : "s") +
                      " to bands 1-" + std::to_string(std::max<size_t>(p.bands.size(), 1)) + " of CH" +
                      std::to_string(p.channel + 1);
    if (p.bands.empty()) out = "no peaking filter for CH" + std::to_string(p.channel + 1);
    if (p.flattened > 0) out += ", " + std::to_string(p.flattened) + " further band" + (p.flattened == 1 ? "" : "s") + " made flat";
    out += ".";
    if (!p.bands.empty())
        out += " Worst difference from the file's filters: " + Fixed(p.worstDb, 2) + " dB (20 Hz to 20 kHz).";
    if (p.highPass.set) out += " High-pass: " + CrossoverText(p.highPass.filter) + ".";
    if (p.lowPass.set) out += " Low-pass: " + CrossoverText(p.lowPass.filter) + ".";
    if (p.offFilters > 0) out += " " + std::to_string(p.offFilters) + " OFF filter" + (p.offFilters == 1 ? "" : "s") + " left out.";
    if (p.emptyFilters > 0) out += " " + std::to_string(p.emptyFilters) + " empty (None) filter" + (p.emptyFilters == 1 ? "" : "s") + " left out.";
    if (p.hasPreamp) out += " Preamp " + Fixed(p.preampHundredths / 100.0, 2) + " dB (line " + std::to_string(p.preampLine) + ").";
    return out;
}

void ApplyFilterImport(ValueOps& ops, const SceneState& s, const FilterImport& p, bool takePreamp) {
    if (!p.Ok() || p.channel < 0 || p.channel >= kChannels) return;
    const int ch = p.channel;
    const int count = static_cast<int>(p.bands.size());
    for (int b = 0; b < count; ++b) {
        const EqBand& band = p.bands[Z(b)];
        ops.SetBand(ch, b, band.freq, band.q, band.gain);
    }
    const int bandCount = std::clamp(s.channels[Z(ch)].eqSize, 0, kBandsPerChannel);
    for (int b = count; b < bandCount; ++b) {
        const EqBand old = s.Bands(ch)[b];
        if (old.enable && ValueOps::Raised(old.gain)) ops.SetBand(ch, b, old.freq, old.q, 0.0f);
    }
    for (int side = 0; side < 2; ++side) {
        const CrossoverImport& x = side == 0 ? p.highPass : p.lowPass;
        if (x.set) ops.SetFilter(ch, side, x.filter.type, x.filter.freq, x.filter.slope);
    }
    if (takePreamp && p.hasPreamp) ops.ChangeTrim(ch, p.preampHundredths, true);
}

std::string WriteFilterText(const SceneState& s, int ch, std::vector<std::string>* notWritten) {
    if (ch < 0 || ch >= kChannels) return {};
    const ChannelSettings& c = s.channels[Z(ch)];
    std::string out = "Preamp: " + Num(c.gain, 2) + " dB\n";
    int n = 0;
    const int bandCount = std::clamp(c.eqSize, 0, kBandsPerChannel);
    for (int b = 0; b < bandCount; ++b) {
        const EqBand& band = s.Bands(ch)[b];
        const double gain = band.enable ? std::round(band.gain * 10.0) / 10.0 : 0.0;
        double q = band.q;
        if (ValueOps::Raised(static_cast<float>(gain))) q = dsp::CookbookQFor(band.freq, gain, band.q).q;
        out += "Filter " + std::to_string(++n) + ": ON PK Fc " + std::to_string(band.freq) + " Hz Gain " + Fixed(gain, 1) +
               " dB Q " + Num(q, 3) + "\n";
    }
    for (int side = 0; side < 2; ++side) {
        const CrossoverFilter& f = side == 0 ? c.hp : c.lp;
        if (f.slope <= 0 || f.bypass) continue;
        const char* hl = side == 0 ? "HP" : "LP";
        if (f.type == dsp::kBessel && f.slope > 2) {
            const std::string what = std::string(side == 0 ? "high-pass" : "low-pass") + ": " + CrossoverText(f);
            out += "# " + what + ": no filter line holds it\n";
            if (notWritten) notWritten->push_back(what);
            continue;
        }
        const int order = dsp::CrossoverDesignOrder(f.slope, f.type);
        for (double q : SectionQs(f.type == dsp::kBessel && order == 1 ? dsp::kButterworth : f.type, order)) {
            out += "Filter " + std::to_string(++n) + ": ON ";
            if (q == 0.0) out += std::string(hl) + "1 Fc " + std::to_string(f.freq) + " Hz\n";
            else out += std::string(hl) + "Q Fc " + std::to_string(f.freq) + " Hz Q " + Num(q, 4) + "\n";
        }
    }
    return out;
}

}  // namespace dvdsp::core
