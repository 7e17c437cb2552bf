#include "core/filter_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/text_lines.h"
#include "platform/file_access.h"

namespace dvdsp::core {
namespace {

constexpr size_t kMaxRefusals = 200;  // a file with more refused lines stops being read

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}


// A number as the files write it: a decimal point or a decimal comma, and a unit written
// onto it ("100Hz", "-3dB") left in `unit`.
bool Number(std::string_view word, double& out, std::string& unit) {
    std::string text(word);
    size_t end = 0;
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                                 text[end] == ',' || text[end] == '-' || text[end] == '+'))
        ++end;
    unit = Upper(text.substr(end));
    text.resize(end);
    if (text.find(',') != std::string::npos) {
        if (text.find('.') != std::string::npos || std::count(text.begin(), text.end(), ',') > 1) return false;
        std::replace(text.begin(), text.end(), ',', '.');
    }
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(out);
}

bool IsNumber(std::string_view word) {
    double v = 0.0;
    std::string unit;
    return Number(word, v, unit) && unit.empty();
}

// "Filter:", "Filter 2:", "Filter  12:": the text after the colon, or nothing.
bool FilterHead(std::string_view line, std::string_view& rest) {
    if (line.size() < 6 || Upper(line.substr(0, 6)) != "FILTER") return false;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    for (char c : line.substr(6, colon - 6))
        if (c != ' ' && c != '\t' && !std::isdigit(static_cast<unsigned char>(c))) return false;
    rest = line.substr(colon + 1);
    return true;
}

struct TypeName {
    const char* word;
    FilterKind kind;
    int order;
    bool needsQ;
};

constexpr TypeName kTypes[] = {
    {"PK", FilterKind::Peaking, 0, true},    {"LP", FilterKind::LowPass, 2, false},
    {"HP", FilterKind::HighPass, 2, false},  {"LP1", FilterKind::LowPass, 1, false},
    {"HP1", FilterKind::HighPass, 1, false}, {"LPQ", FilterKind::LowPass, 2, true},
    {"HPQ", FilterKind::HighPass, 2, true},  {"LS", FilterKind::Other, 0, false},
    {"HS", FilterKind::Other, 0, false},     {"LSC", FilterKind::Other, 0, false},
    {"HSC", FilterKind::Other, 0, false},    {"LSQ", FilterKind::Other, 0, false},
    {"HSQ", FilterKind::Other, 0, false},    {"NO", FilterKind::Other, 0, false},
    {"NOTCH", FilterKind::Other, 0, false},  {"AP", FilterKind::Other, 0, false},
    {"BP", FilterKind::Other, 0, false},     {"MODAL", FilterKind::Other, 0, false},
};

class Reader {
public:
    FilterText Read(std::string_view text) {
        if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        int number = 0;
        bool header = false, first = true, seenFilter = false;
        size_t pos = 0;
        while (pos <= text.size()) {
            // Lines end with LF, CR LF or a lone CR.
            size_t end = text.find_first_of("\r\n", pos);
            if (end == std::string_view::npos) end = text.size();
            const std::string_view raw = text.substr(pos, end - pos);
            pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
            ++number;
            if (out_.refused.size() >= kMaxRefusals) {
                Refuse(number, "too many refused lines; the rest of the file was not read");
                break;
            }
            if (!IsTextLine(raw)) {
                Refuse(number, "not text");
                continue;
            }
            std::string_view line = Trim(raw);
            if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = Trim(line.substr(0, hash));
            if (line.empty()) continue;
            if (first) {
                first = false;
                header = Upper(line).rfind("FILTER SETTINGS FILE", 0) == 0;
            }
            std::string_view rest;
            if (FilterHead(line, rest)) {
                seenFilter = true;
                ReadFilter(number, rest);
            } else if (Upper(line).rfind("PREAMP:", 0) == 0) {
                ReadPreamp(number, line.substr(7));
            } else if (header && !seenFilter) {
                continue;  // the export's header: program, date, notes, measurement
            } else if (const size_t colon = line.find(':'); colon != std::string_view::npos && colon > 0 &&
                                                            Words(line.substr(0, colon)).size() == 1) {
                Refuse(number, "the command \"" + std::string(line.substr(0, colon)) +
                                   "\" is not taken (only Preamp and Filter lines are)");
            } else {
                Refuse(number, "not a filter line");
            }
        }
        if (out_.filters.empty() && !out_.hasPreamp && out_.emptyFilters == 0 && out_.refused.empty())
            Refuse(0, "no Filter or Preamp line: this is not filter text");
        return std::move(out_);
    }

private:
    void Refuse(int line, std::string why) { out_.refused.push_back({line, std::move(why)}); }

    void ReadPreamp(int line, std::string_view rest) {
        const std::vector<std::string_view> w = Words(rest);
        double v = 0.0;
        std::string unit;
        if (w.empty() || !Number(w[0], v, unit) || (unit != "" && unit != "DB") ||
            w.size() > (unit.empty() ? 2u : 1u) || (w.size() == 2 && Upper(w[1]) != "DB"))
            return Refuse(line, "a preamp is \"Preamp: -6 dB\"");
        if (!out_.hasPreamp) out_.preampLine = line;
        out_.hasPreamp = true;
        out_.preampDb += v;
    }

    void ReadFilter(int line, std::string_view rest) {
        const std::vector<std::string_view> w = Words(rest);
        FilterLine f;
        f.line = line;
        size_t i = 0;
        const std::string state = w.empty() ? "" : Upper(w[0]);
        if (state != "ON" && state != "OFF") return Refuse(line, "ON or OFF expected after \"Filter:\"");
        f.on = state == "ON";
        ++i;
        if (i >= w.size()) return Refuse(line, "no filter type");
        const std::string type = Upper(w[i]);
        if (type == "NONE") {
            ++out_.emptyFilters;
            return;
        }
        const TypeName* known = nullptr;
        for (const TypeName& t : kTypes)
            if (type == t.word) known = &t;
        std::string typeText(w[i]);
        bool needsQ = known && known->needsQ;
        ++i;
        if (type == "ALL" && i < w.size() && Upper(w[i]) == "PASS") {
            typeText = "All pass";
            for (const TypeName& t : kTypes)
                if (std::string_view(t.word) == "AP") known = &t;
            ++i;
        } else if (known && (type == "LP" || type == "HP" || type == "LS" || type == "HS") && i < w.size() &&
                   Upper(w[i]) == "Q" && (i + 1 >= w.size() || !IsNumber(w[i + 1]))) {
            typeText += " Q";
            needsQ = true;
            ++i;
        } else if (known && (type == "LS" || type == "HS") && i < w.size() &&
                   (Upper(w[i]) == "6DB" || Upper(w[i]) == "12DB")) {
            typeText += " " + std::string(w[i]);
            ++i;
        }
        if (!known) return Refuse(line, "unknown filter type \"" + typeText + "\"");
        f.type = typeText;
        f.kind = known->kind;
        f.order = known->order;
        bool hasFc = false, hasQ = false;
        while (i < w.size()) {
            const std::string key = Upper(w[i]);
            ++i;
            double v = 0.0;
            std::string unit;
            auto value = [&](const char* name) {
                if (i >= w.size() || !Number(w[i], v, unit)) {
                    Refuse(line, std::string("no finite number after \"") + name + "\"");
                    return false;
                }
                ++i;
                if (unit.empty() && i < w.size() && !IsNumber(w[i])) {
                    const std::string next = Upper(w[i]);
                    if (next == "HZ" || next == "KHZ" || next == "DB" || next == "MS") {
                        unit = next;
                        ++i;
                    }
                }
                return true;
            };
            if (key == "FC") {
                if (hasFc) return Refuse(line, "\"Fc\" given twice");
                if (!value("Fc")) return;
                if (unit == "KHZ") v *= 1000.0;
                else if (!unit.empty() && unit != "HZ") return Refuse(line, "\"Fc\" in " + unit + " instead of Hz");
                if (!(v > 0.0)) return Refuse(line, "a frequency above 0 Hz expected");
                f.fc = v;
                hasFc = true;
            } else if (key == "GAIN") {
                if (f.hasGain) return Refuse(line, "\"Gain\" given twice");
                if (!value("Gain")) return;
                if (!unit.empty() && unit != "DB") return Refuse(line, "\"Gain\" in " + unit + " instead of dB");
                f.gain = v;
                f.hasGain = true;
            } else if (key == "Q" || key == "BW") {
                if (hasQ) return Refuse(line, "\"Q\" or \"BW\" given twice");
                if (key == "BW" && i < w.size() && Upper(w[i]) == "OCT") ++i;
                if (!value(key == "Q" ? "Q" : "BW Oct")) return;
                if (key == "BW" && i < w.size() && Upper(w[i]) == "OCT") ++i;
                if (!unit.empty() && unit != "OCT") return Refuse(line, "\"" + std::string(w[i - 1]) + "\" is no Q");
                if (!(v > 0.0)) return Refuse(line, "a Q or bandwidth above 0 expected");
                // Octaves of bandwidth as a Q: sqrt(2^N) / (2^N - 1).
                f.q = key == "Q" ? v : std::sqrt(std::pow(2.0, v)) / (std::pow(2.0, v) - 1.0);
                if (!std::isfinite(f.q)) return Refuse(line, "a bandwidth too narrow to hold");
                hasQ = true;
            } else if (key == "T60" && f.kind == FilterKind::Other) {
                if (!value("T60")) return;
            } else {
                return Refuse(line, "\"" + std::string(w[i - 1]) + "\" is not a filter's word");
            }
        }
        if (!hasFc) return Refuse(line, "no frequency (\"Fc\")");
        if (f.kind == FilterKind::Peaking && !f.hasGain) return Refuse(line, "no gain (\"Gain\")");
        if (needsQ && !hasQ) return Refuse(line, "no Q (\"Q\" or \"BW Oct\")");
        if (!hasQ && f.order == 2) f.q = std::sqrt(0.5);
        out_.filters.push_back(std::move(f));
    }

    FilterText out_;
};

}  // namespace

FilterText ParseFilterText(std::string_view text) { return Reader().Read(text); }

FilterText ReadFilterTextFile(const std::string& path) {
    std::string text, error;
    const platform::ReadStatus r = platform::ReadRegularFile(path, kMaxFilterTextBytes, &text, &error);
    if (r == platform::ReadStatus::Ok) return ParseFilterText(text);
    FilterText refused;
    if (r == platform::ReadStatus::TooLarge)
        error = path + " is larger than any filter text (" + std::to_string(kMaxFilterTextBytes) + " bytes at most)";
    refused.refused.push_back({0, error.empty() ? path + " could not be read" : error});
    return refused;
}

std::string RefusalLines(const std::vector<FilterRefusal>& refused, size_t max) {
    std::string out;
    for (size_t i = 0; i < refused.size() && i < max; ++i) {
        if (refused[i].line > 0) out += "line " + std::to_string(refused[i].line) + ": ";
        out += refused[i].why + "\n";
    }
    if (refused.size() > max) out += "and " + std::to_string(refused.size() - max) + " more\n";
    return out;
}


}  // namespace dvdsp::core
