// response: a channel's frequency response on the 512-point grid, computed from a
// description given on the command line (no unit is needed), with its phase and group
// delay when asked; or the complex sum of channels of the unit or of a profile file.
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cmd_model.h"
#include "cli/png_plot.h"
#include "core/channel_response.h"
#include "core/curve_store.h"
#include "core/response_overlay.h"
#include "dsp/channel_curve.h"
#include "dsp/phase_response.h"

namespace dvdsp::cli {

namespace {

std::vector<std::string> SplitCommas(const std::string& s) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(part);
    if (!s.empty() && s.back() == ',') parts.emplace_back();
    return parts;
}

bool ParseType(const std::string& s, int32_t& type) {
    if (s == "bw" || s == "butterworth") {
        type = dsp::kButterworth;
    } else if (s == "lr" || s == "linkwitz-riley") {
        type = dsp::kLinkwitzRiley;
    } else if (s == "bessel") {
        type = dsp::kBessel;
    } else {
        long v = 0;
        if (!ParseInt(s, v) || v < 1 || v > 3) return false;
        type = static_cast<int32_t>(v);
    }
    return true;
}

// TYPE,ORDER,FREQ
bool ParseCrossover(const std::string& s, dsp::CrossoverSpec& out, std::string& why) {
    const std::vector<std::string> p = SplitCommas(s);
    long order = 0, freq = 0;
    if (p.size() != 3) {
        why = "expected TYPE,ORDER,FREQ";
    } else if (!ParseType(p[0], out.type)) {
        why = "TYPE is 1 (bw), 2 (lr) or 3 (bessel)";
    } else if (!ParseInt(p[1], order) || order < 0 || order > 8) {
        why = "ORDER is 0 (off) to 8";
    } else if (!ParseInt(p[2], freq) || freq < 1 || freq > 100000) {
        why = "FREQ is a whole number of Hz";
    } else {
        out.slope = static_cast<int32_t>(order);
        out.frequency = static_cast<int32_t>(freq);
        out.off = order == 0;
        return true;
    }
    return false;
}

// FREQ,Q,GAIN[,ENABLED]
bool ParseBand(const std::string& s, dsp::BandSpec& out, std::string& why) {
    const std::vector<std::string> p = SplitCommas(s);
    long freq = 0, enabled = 1;
    double q = 0.0, gain = 0.0;
    if (p.size() != 3 && p.size() != 4) {
        why = "expected FREQ,Q,GAIN[,ENABLED]";
    } else if (!ParseInt(p[0], freq) || freq < 1 || freq >= 24000) {
        why = "FREQ is a whole number of Hz below 24000";
    } else if (!ParseDouble(p[1], q) || !(q > 0.0) || q > 1000.0) {
        why = "Q is above 0";
    } else if (!ParseDouble(p[2], gain) || gain < -100.0 || gain > 100.0) {
        why = "GAIN is in dB, -100 to 100";
    } else if (p.size() == 4 && (!ParseInt(p[3], enabled) || (enabled != 0 && enabled != 1))) {
        why = "ENABLED is 0 or 1";
    } else {
        out.freq = static_cast<int32_t>(freq);
        out.q = static_cast<float>(q);
        out.gain = static_cast<float>(gain);
        out.enable = enabled != 0 ? 1 : 0;
        return true;
    }
    return false;
}

struct ResponseRequest {
    dsp::ChannelFilters channel;
    bool bypassed = false;
    bool json = false;
    bool csv = false;
    bool phase = false;
    bool groupDelay = false;
    bool described = false;       // --hp, --lp, --band or --bypass given
    std::vector<int> sum;         // channels (0-9) to sum
    std::string profilePath;      // their settings, instead of the unit's
    std::string plotPath;
    // Overlays of the described channel.
    std::string measurementPath, calibrationPath, targetPath;
    std::optional<core::BuiltinTarget> targetLift;
    int smoothing = 0;
    core::LevelAlignment alignment;
    bool Overlaid() const { return !measurementPath.empty() || !targetPath.empty() || targetLift; }
};

// DB,HZ[,TILT[,FROM]]: a bass lift of DB below HZ and a treble tilt of TILT dB per octave
// above FROM (1000 Hz).
bool ParseLift(const std::string& s, core::BuiltinTarget& t) {
    const std::vector<std::string> p = SplitCommas(s);
    if (p.size() < 2 || p.size() > 4) return false;
    if (!ParseDouble(p[0], t.bassDb) || std::fabs(t.bassDb) > 40 || !ParseDouble(p[1], t.bassHz) || !(t.bassHz > 0) ||
        t.bassHz > 20000)
        return false;
    if (p.size() >= 3 && (!ParseDouble(p[2], t.trebleDbPerOctave) || std::fabs(t.trebleDbPerOctave) > 20)) return false;
    if (p.size() == 4 && (!ParseDouble(p[3], t.trebleFromHz) || !(t.trebleFromHz > 0) || t.trebleFromHz > 20000))
        return false;
    return true;
}

// HZ or LOW-HIGH (Hz).
bool ParseAlign(const std::string& s, core::LevelAlignment& a) {
    const size_t dash = s.find('-');
    if (dash == std::string::npos) return ParseDouble(s, a.atHz) && a.atHz >= 1 && a.atHz <= 24000;
    return ParseDouble(s.substr(0, dash), a.spanLowHz) && ParseDouble(s.substr(dash + 1), a.spanHighHz) &&
           a.spanLowHz >= 1 && a.spanHighHz > a.spanLowHz && a.spanHighHz <= 24000;
}

// CH,CH[,CH...]: two or more different channels 0 to 9.
bool ParseChannels(const std::string& s, std::vector<int>& out) {
    out.clear();
    for (const std::string& part : SplitCommas(s)) {
        long ch = 0;
        if (!ParseInt(part, ch) || ch < 0 || ch > 9) return false;
        for (int seen : out)
            if (seen == ch) return false;
        out.push_back(static_cast<int>(ch));
    }
    return out.size() >= 2;
}

// The options of the command; false after saying on stderr what is wrong.
bool ParseResponse(const Words& args, ResponseRequest& req) {
    dsp::ChannelFilters& channel = req.channel;
    channel.highPass.off = true;
    channel.lowPass.off = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string why;
        if (a == "--hp" || a == "--lp" || a == "--band" || a == "--bypass") req.described = true;
        if ((a == "--hp" || a == "--lp") && hasValue) {
            dsp::CrossoverSpec& f = a == "--hp" ? channel.highPass : channel.lowPass;
            if (!ParseCrossover(args[++i], f, why)) {
                std::fprintf(stderr, "%s %s: %s\n", a.c_str(), args[i].c_str(), why.c_str());
                return false;
            }
        } else if (a == "--band" && hasValue) {
            dsp::BandSpec band;
            if (!ParseBand(args[++i], band, why)) {
                std::fprintf(stderr, "--band %s: %s\n", args[i].c_str(), why.c_str());
                return false;
            }
            channel.bands.push_back(band);
        } else if (a == "--bypass") {
            req.bypassed = true;
        } else if (a == "--phase") {
            req.phase = true;
        } else if (a == "--group-delay") {
            req.groupDelay = true;
        } else if (a == "--sum" && hasValue) {
            if (!ParseChannels(args[++i], req.sum)) {
                std::fprintf(stderr, "--sum %s: expected two or more different channels 0 to 9, as 0,1\n", args[i].c_str());
                return false;
            }
        } else if (a == "--profile" && hasValue) {
            req.profilePath = args[++i];
        } else if (a == "--json") {
            req.json = true;
        } else if (a == "--csv") {
            req.csv = true;
        } else if (a == "--plot" && hasValue) {
            req.plotPath = args[++i];
        } else if (a == "--measurement" && hasValue) {
            req.measurementPath = args[++i];
        } else if (a == "--calibration" && hasValue) {
            req.calibrationPath = args[++i];
        } else if (a == "--target" && hasValue) {
            req.targetPath = args[++i];
        } else if (a == "--target-lift" && hasValue) {
            core::BuiltinTarget t;
            if (!ParseLift(args[++i], t)) {
                std::fprintf(stderr, "--target-lift %s: expected DB,HZ[,TILT[,FROM]] (a bass lift of DB below HZ, a treble tilt of TILT dB/oct above FROM Hz)\n", args[i].c_str());
                return false;
            }
            req.targetLift = t;
        } else if (a == "--smooth" && hasValue) {
            if (!core::ParseSmoothing(args[++i], req.smoothing)) {
                std::fprintf(stderr, "--smooth %s: expected none, 1/3, 1/6, 1/12 or 1/24\n", args[i].c_str());
                return false;
            }
        } else if (a == "--align" && hasValue) {
            if (!ParseAlign(args[++i], req.alignment)) {
                std::fprintf(stderr, "--align %s: expected a frequency in Hz or a span LOW-HIGH, as 1000 or 500-2000\n", args[i].c_str());
                return false;
            }
        } else {
            std::fprintf(stderr, "unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    if (req.json && req.csv) {
        std::fprintf(stderr, "--csv and --json: choose one\n");
        return false;
    }
    if (!req.sum.empty() && req.described) {
        std::fprintf(stderr, "--sum takes the channels' settings from the unit or --profile, not from --hp, --lp, --band or --bypass\n");
        return false;
    }
    if (!req.sum.empty() && req.groupDelay) {
        std::fprintf(stderr, "--group-delay is of one channel, not of a --sum\n");
        return false;
    }
    if (!req.sum.empty() && req.Overlaid()) {
        std::fprintf(stderr, "--measurement and --target go with one channel, not with a --sum\n");
        return false;
    }
    if (!req.calibrationPath.empty() && req.measurementPath.empty()) {
        std::fprintf(stderr, "--calibration goes with --measurement\n");
        return false;
    }
    if (!req.targetPath.empty() && req.targetLift) {
        std::fprintf(stderr, "--target and --target-lift: choose one\n");
        return false;
    }
    if (req.sum.empty() && !req.profilePath.empty()) {
        std::fprintf(stderr, "--profile goes with --sum\n");
        return false;
    }
    return true;
}

// The columns printed, each a name and its values on the grid.
struct Column {
    std::string name;
    std::vector<double> values;
};

void PrintColumns(const std::vector<double>& freq, const std::vector<Column>& columns, bool json) {
    if (json) {
        std::printf("{\"points\":%zu,\"frequency_hz\":[", freq.size());
        for (size_t k = 0; k < freq.size(); ++k) std::printf("%s%.10g", k ? "," : "", freq[k]);
        std::printf("]");
        for (const Column& c : columns) {
            std::printf(",\"%s\":[", c.name.c_str());
            for (size_t k = 0; k < c.values.size(); ++k) {
                if (std::isnan(c.values[k])) {
                    std::printf("%snull", k ? "," : "");  // outside a measurement's range
                } else {
                    std::printf("%s%.10g", k ? "," : "", c.values[k]);
                }
            }
            std::printf("]");
        }
        std::printf("}\n");
        return;
    }
    std::printf("frequency_hz");
    for (const Column& c : columns) std::printf(",%s", c.name.c_str());
    std::printf("\n");
    for (size_t k = 0; k < freq.size(); ++k) {
        std::printf("%.6f", freq[k]);
        // Rounding noise around 0 prints as 0, not as -0.
        for (const Column& c : columns) {
            if (std::isnan(c.values[k])) {
                std::printf(",");  // outside a measurement's range: no value
            } else {
                std::printf(",%.6f", std::fabs(c.values[k]) < 5e-7 ? 0.0 : c.values[k]);
            }
        }
        std::printf("\n");
    }
}

// The settings the sum is taken from: the profile file's, else the unit's live settings.
int SumSettings(Session& s, const ResponseRequest& req, core::UnitModel& model) {
    if (req.profilePath.empty()) return ReadOutModel(s, model);
    std::string text, why;
    core::ProfileResult result;
    if (!core::ReadWholeFile(req.profilePath, text, &why)) {
        result = {core::ProfileStatus::OpenError, why};
    } else {
        result = core::ProfileKindOf(req.profilePath, text) == core::ProfileKind::Whole
                     ? core::ParseWholeProfile(text, model)
                     : core::ParseSceneProfile(text, model.current);
    }
    if (result.ok()) return kOk;
    std::fprintf(stderr, "%s: %s\n", req.profilePath.c_str(), ProfileMessage(result, false).c_str());
    return kFileRefused;
}

// The overlay of the described channel from its files; false after saying on stderr
// which file was refused and why.
bool ReadOverlay(const ResponseRequest& req, core::ChannelOverlay& o) {
    auto read = [](const char* option, const std::string& path, std::optional<core::MeasuredCurve>& into) {
        if (path.empty()) return true;
        const core::CurveRead r = core::ReadCurveFile(path);
        if (!r.ok) {
            std::fprintf(stderr, "%s %s: %s\n", option, path.c_str(), r.Message().c_str());
            return false;
        }
        into = r.curve;
        return true;
    };
    if (!read("--measurement", req.measurementPath, o.measurement) ||
        !read("--calibration", req.calibrationPath, o.calibration) || !read("--target", req.targetPath, o.targetFile))
        return false;
    o.builtinTarget = req.targetLift;
    o.smoothing = req.smoothing;
    o.alignment = req.alignment;
    return true;
}

int CheckResponse(const Words& args) {
    ResponseRequest req;
    return ParseResponse(args, req) ? kOk : kUsage;
}

int RunResponse(Session& session, const Words& args) {
    ResponseRequest req;
    if (!ParseResponse(args, req)) return kUsage;
    const std::string& plotPath = req.plotPath;
    // With --plot the points are printed only when a format is asked for.
    const bool print = plotPath.empty() || req.json || req.csv;

    std::vector<double> freq, plotted;
    std::vector<Column> columns;
    core::ChannelOverlay overlay;
    if (req.Overlaid() && !ReadOverlay(req, overlay)) return kFileRefused;
    std::vector<PlotTrace> traces;
    if (!req.sum.empty()) {
        core::UnitModel model;
        if (int r = SumSettings(session, req, model); r != kOk) return r;
        core::ElectricalResponses responses(model.current);
        core::SumCurves sums;
        core::SumOf(responses, req.sum, sums);
        freq = dsp::StandardPhaseGrid().Frequencies();
        for (size_t i = 0; i < sums.channels.size(); ++i)
            columns.push_back({"ch" + std::to_string(sums.channels[i]) + "_level_db", sums.levels[i]});
        columns.push_back({"sum_level_db", sums.sum});
        plotted = sums.sum;
        if (req.phase) {
            std::vector<double> phase(freq.size());
            for (size_t k = 0; k < freq.size(); ++k) {
                dsp::Complex total;
                for (int ch : sums.channels) total += responses.Response(ch).response[k];
                phase[k] = dsp::PhaseDegreesOf(total);
            }
            columns.push_back({"sum_phase_deg", phase});
        }
    } else {
        dsp::ChannelCurve curve;
        dsp::BuildChannelCurve(req.channel, req.bypassed, dsp::CURVE_POINTS, curve);
        freq = curve.frequencies;
        plotted = curve.levels;
        columns.push_back({"level_db", curve.levels});
        if (req.Overlaid()) {
            const core::OverlayTraces t = core::OverlayTracesOver(&overlay, curve.levels);
            // The plot's traces point into the columns, which are reserved not to move.
            columns.reserve(columns.size() + 8);
            if (!t.measured.empty()) {
                columns.push_back({"measured_db", t.measured});
                traces.push_back({&columns.back().values, 0x7A8796, false, "measured"});
            }
            if (!t.target.empty()) {
                columns.push_back({"target_db", t.target});
                traces.push_back({&columns.back().values, 0x2E9E4F, true, "target"});
            }
            if (!t.predicted.empty()) {
                columns.push_back({"predicted_db", t.predicted});
                traces.push_back({&columns.back().values, 0xD06020, false, "predicted"});
            }
        }
        if (req.phase || req.groupDelay) {
            dsp::ComplexCurve r;
            dsp::StandardPhaseGrid().Channel(req.channel, req.bypassed, {}, req.groupDelay, r);
            if (req.phase) {
                std::vector<double> wrapped;
                for (const dsp::Complex& h : r.response) wrapped.push_back(dsp::PhaseDegreesOf(h));
                columns.push_back({"phase_deg", wrapped});
                columns.push_back({"phase_unwrapped_deg", dsp::UnwrappedPhaseDegrees(r)});
            }
            if (req.groupDelay) {
                std::vector<double> ms;
                for (double t : r.groupDelay) ms.push_back(t * 1000.0);
                columns.push_back({"group_delay_ms", ms});
            }
        }
    }
    if (print) PrintColumns(freq, columns, req.json);
    if (!plotPath.empty()) {
        std::string error;
        if (!WriteResponsePlot(plotPath, freq, plotted, error, traces)) {
            std::fprintf(stderr, "--plot: %s\n", error.c_str());
            return kFileNotWritten;
        }
    }
    return kOk;
}

void RegisterResponseCommand() {
    Register({"response",
              "[--hp TYPE,ORDER,FREQ] [--lp TYPE,ORDER,FREQ] [--band FREQ,Q,GAIN[,ENABLED]]... "
              "[--bypass] [--phase] [--group-delay] [--sum CH,CH[,CH...] [--profile FILE]] "
              "[--measurement FILE [--calibration FILE]] [--target FILE | --target-lift DB,HZ[,TILT[,FROM]]] "
              "[--smooth none|1/3|1/6|1/12|1/24] [--align HZ|LOW-HIGH] [--csv | --json] [--plot FILE.png]",
              "Print a channel's response on the 512-point grid (48 kHz) as CSV lines\n"
              "\"frequency_hz,level_db\", or as JSON with --json. No unit is needed.\n"
              "TYPE: 1 or bw (Butterworth), 2 or lr (Linkwitz-Riley), 3 or bessel; ORDER 0\n"
              "(off) to 8; FREQ in Hz. Bands are peaking EQ bands (ENABLED 0 disables one);\n"
              "--bypass shows the channel with its EQ bypassed (bands flat). --plot draws\n"
              "the curve from 20 Hz to 20 kHz into a PNG file and prints nothing, unless\n"
              "--csv or --json asks for the points as well. --phase adds the phase in\n"
              "degrees, wrapped and unwrapped (phase_deg, phase_unwrapped_deg);\n"
              "--group-delay adds the group delay in ms (group_delay_ms). --sum 0,1 sums\n"
              "channels (0-9) of the unit's live settings, or of a profile file with\n"
              "--profile, with their delays and polarities: each channel's level\n"
              "(chN_level_db) and the level of their complex sum (sum_level_db; with\n"
              "--phase also sum_phase_deg); --plot draws the sum.\n"
              "--measurement reads a measured response (a measurement program's text\n"
              "export, FRD, or CSV with comma, semicolon or tab and decimal commas),\n"
              "--calibration a microphone calibration taken off it; --target a target\n"
              "curve (CSV frequency, level), --target-lift a built-in one (a bass lift of\n"
              "DB below HZ, a treble tilt of TILT dB/oct above FROM, 1000 Hz). They are\n"
              "smoothed with --smooth (fractional octave; measurement only), brought to\n"
              "0 dB at --align (1000 Hz by default, or the mean over LOW-HIGH) and added\n"
              "as measured_db, target_db and predicted_db (the measurement with the\n"
              "channel's EQ and crossovers); no value outside the measured range.\n"
              "--plot draws them with the channel's curve.",
              RunResponse, CheckResponse});
}

const Registrar registrar(RegisterResponseCommand);

}  // namespace

}  // namespace dvdsp::cli
