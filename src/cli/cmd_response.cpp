// response: a channel's frequency response on the 512-point grid, computed from a
// description given on the command line; no unit is needed.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/png_plot.h"
#include "dsp/channel_curve.h"

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
    std::string plotPath;
};

// The options of the command; false after saying on stderr what is wrong.
bool ParseResponse(const Words& args, ResponseRequest& req) {
    dsp::ChannelFilters& channel = req.channel;
    channel.highPass.off = true;
    channel.lowPass.off = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string why;
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
        } else if (a == "--json") {
            req.json = true;
        } else if (a == "--csv") {
            req.csv = true;
        } else if (a == "--plot" && hasValue) {
            req.plotPath = args[++i];
        } else {
            std::fprintf(stderr, "unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    if (req.json && req.csv) {
        std::fprintf(stderr, "--csv and --json: choose one\n");
        return false;
    }
    return true;
}

int CheckResponse(const Words& args) {
    ResponseRequest req;
    return ParseResponse(args, req) ? kOk : kUsage;
}

int RunResponse(Session&, const Words& args) {
    ResponseRequest req;
    if (!ParseResponse(args, req)) return kUsage;
    const bool json = req.json;
    const std::string& plotPath = req.plotPath;
    // With --plot the points are printed only when a format is asked for.
    const bool print = plotPath.empty() || req.json || req.csv;

    dsp::ChannelCurve curve;
    dsp::BuildChannelCurve(req.channel, req.bypassed, dsp::CURVE_POINTS, curve);
    if (json) {
        std::printf("{\"points\":%zu,\"frequency_hz\":[", curve.frequencies.size());
        for (size_t k = 0; k < curve.frequencies.size(); ++k)
            std::printf("%s%.10g", k ? "," : "", curve.frequencies[k]);
        std::printf("],\"level_db\":[");
        for (size_t k = 0; k < curve.levels.size(); ++k)
            std::printf("%s%.10g", k ? "," : "", curve.levels[k]);
        std::printf("]}\n");
    } else if (print) {
        std::printf("frequency_hz,level_db\n");
        for (size_t k = 0; k < curve.frequencies.size(); ++k) {
            // Rounding noise around 0 dB prints as 0, not as -0.
            const double level = std::fabs(curve.levels[k]) < 5e-7 ? 0.0 : curve.levels[k];
            std::printf("%.6f,%.6f\n", curve.frequencies[k], level);
        }
    }
    if (!plotPath.empty()) {
        std::string error;
        if (!WriteResponsePlot(plotPath, curve.frequencies, curve.levels, error)) {
            std::fprintf(stderr, "--plot: %s\n", error.c_str());
            return kFileNotWritten;
        }
    }
    return kOk;
}

void RegisterResponseCommand() {
    Register({"response",
              "[--hp TYPE,ORDER,FREQ] [--lp TYPE,ORDER,FREQ] [--band FREQ,Q,GAIN[,ENABLED]]... "
              "[--bypass] [--csv | --json] [--plot FILE.png]",
              "Print a channel's response on the 512-point grid (48 kHz) as CSV lines\n"
              "\"frequency_hz,level_db\", or as JSON with --json. No unit is needed.\n"
              "TYPE: 1 or bw (Butterworth), 2 or lr (Linkwitz-Riley), 3 or bessel; ORDER 0\n"
              "(off) to 8; FREQ in Hz. Bands are peaking EQ bands (ENABLED 0 disables one);\n"
              "--bypass shows the channel with its EQ bypassed (bands flat). --plot draws\n"
              "the curve from 20 Hz to 20 kHz into a PNG file and prints nothing, unless\n"
              "--csv or --json asks for the points as well.",
              RunResponse, CheckResponse});
}

const Registrar registrar(RegisterResponseCommand);

}  // namespace

}  // namespace dvdsp::cli
