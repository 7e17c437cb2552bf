#include "core/measurement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/text_lines.h"
#include "platform/file_access.h"

namespace dvdsp::core {
namespace {


std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

enum class CurveField { Number, NotFinite, Word };

// One field: a number with a decimal point, or with a decimal comma when `commaDecimal`.
CurveField ReadCurveNumber(std::string_view word, bool commaDecimal, double& out) {
    std::string text(TrimBlanks(word));
    if (commaDecimal) std::replace(text.begin(), text.end(), ',', '.');
    if (!text.empty() && text[0] == '+') text.erase(0, 1);
    if (text.empty()) return CurveField::Word;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    if (r.ec == std::errc::result_out_of_range) return CurveField::NotFinite;
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return CurveField::Word;
    return std::isfinite(out) ? CurveField::Number : CurveField::NotFinite;
}

// Fields separated by `sep` (each trimmed; one empty field at the end, a trailing
// separator, is left out), or by spaces and tabs when `sep` is 0.
std::vector<std::string_view> SplitFields(std::string_view s, char sep) {
    std::vector<std::string_view> out;
    if (sep != 0) {
        size_t start = 0;
        while (start <= s.size()) {
            size_t at = s.find(sep, start);
            if (at == std::string_view::npos) at = s.size();
            const std::string_view field = TrimBlanks(s.substr(start, at - start));
            if (!(at == s.size() && field.empty() && !out.empty())) out.push_back(field);
            start = at + 1;
        }
        return out;
    }
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

struct CurveRow {
    CurveField field = CurveField::Word;
    std::vector<double> values;
};

// A row's fields: split on semicolons (commas then decimal), else on commas when every
// part is a number, else on spaces and tabs (commas decimal).
CurveRow ReadCurveRow(std::string_view line) {
    std::vector<std::vector<std::string_view>> tries;
    std::vector<bool> commaDecimal;
    if (line.find(';') != std::string_view::npos) {
        tries.push_back(SplitFields(line, ';'));
        commaDecimal.push_back(true);
    } else {
        if (line.find(',') != std::string_view::npos) {
            tries.push_back(SplitFields(line, ','));
            commaDecimal.push_back(false);
        }
        tries.push_back(SplitFields(line, 0));
        commaDecimal.push_back(true);
    }
    CurveRow best;
    for (size_t t = 0; t < tries.size(); ++t) {
        CurveRow row;
        row.field = CurveField::Number;
        for (std::string_view w : tries[t]) {
            double v = 0.0;
            const CurveField f = ReadCurveNumber(w, commaDecimal[t], v);
            if (f != CurveField::Number) {
                row.field = f;
                break;
            }
            row.values.push_back(v);
        }
        if (row.field == CurveField::Number) return row;
        if (t == 0 || row.field == CurveField::NotFinite) best = row;
    }
    return best;
}

std::string FormatNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// `"Sens Factor =-.6383dB, SERNO: 7023270"`
void ReadSensitivity(std::string_view line, MeasuredCurve& c) {
    std::string upper(line);
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const size_t sens = upper.find("SENS FACTOR");
    if (sens == std::string::npos) return;
    size_t i = upper.find('=', sens);
    if (i == std::string::npos) return;
    ++i;
    while (i < line.size() && line[i] == ' ') ++i;
    size_t end = i;
    while (end < line.size() && (std::isdigit(static_cast<unsigned char>(line[end])) || line[end] == '.' ||
                                 line[end] == '-' || line[end] == '+'))
        ++end;
    double v = 0.0;
    if (ReadCurveNumber(line.substr(i, end - i), false, v) != CurveField::Number) return;
    c.hasSensitivity = true;
    c.sensitivityDb = v;
    const size_t serno = upper.find("SERNO:");
    if (serno != std::string::npos) {
        std::string_view rest = TrimBlanks(line.substr(serno + 6));
        size_t n = 0;
        while (n < rest.size() && rest[n] != '"' && rest[n] != ',' && rest[n] != ' ') ++n;
        c.serial = std::string(rest.substr(0, n));
    }
}

}  // namespace

std::string CurveRead::Message() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + error : error;
}

CurveRead ParseCurveText(std::string_view text) {
    CurveRead r;
    auto refuse = [&r](int line, std::string why) {
        r.ok = false;
        r.line = line;
        r.error = std::move(why);
        r.curve = MeasuredCurve();
        return r;
    };
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int number = 0, lastLine = 0;
    size_t columns = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        ++number;
        if (!IsTextLine(raw)) return refuse(number, "not text");
        const std::string_view line = TrimBlanks(raw);
        if (line.empty()) continue;
        const char first = line.front();
        if (first == '*' || first == '#' || first == ';' || first == '"') {
            if (r.curve.frequencies.empty()) ReadSensitivity(line, r.curve);
            continue;
        }
        const CurveRow row = ReadCurveRow(line);
        if (row.field == CurveField::NotFinite) return refuse(number, "a number that is not finite (NaN or infinity)");
        if (row.field == CurveField::Word) {
            if (r.curve.frequencies.empty()) {  // a header such as "Freq(Hz) SPL(dB) Phase(degrees)"
                ReadSensitivity(line, r.curve);
                continue;
            }
            return refuse(number, "not a row of numbers (frequency, level)");
        }
        if (row.values.size() < 2) return refuse(number, "a frequency without a level");
        const double hz = row.values[0];
        if (hz <= 0) return refuse(number, "frequency " + FormatNumber(hz) + " Hz is not above 0");
        if (!r.curve.frequencies.empty() && hz <= r.curve.frequencies.back())
            return refuse(number, "frequency " + FormatNumber(hz) + " Hz is not above the one before it (" +
                                      FormatNumber(r.curve.frequencies.back()) + " Hz, line " + std::to_string(lastLine) +
                                      "); the rows must rise in frequency without repeats");
        if (std::fabs(row.values[1]) > kMaxCurveLevelDb)
            return refuse(number, "level " + FormatNumber(row.values[1]) + " dB is beyond any measurement");
        const size_t cols = std::min<size_t>(row.values.size(), 3);
        if (columns == 0) columns = cols;
        if (cols != columns)
            return refuse(number, std::to_string(cols) + " columns where the rows before have " + std::to_string(columns));
        r.curve.frequencies.push_back(hz);
        r.curve.levels.push_back(row.values[1]);
        if (cols == 3) r.curve.phases.push_back(row.values[2]);
        lastLine = number;
    }
    if (r.curve.frequencies.empty()) return refuse(0, "no rows of frequency and level");
    if (r.curve.frequencies.size() == 1) return refuse(lastLine, "a single point; a curve needs two at least");
    r.ok = true;
    return r;
}

CurveRead ReadCurveFile(const std::string& path) {
    std::string text, error;
    const platform::ReadStatus s = platform::ReadRegularFile(path, kMaxCurveFileBytes, &text, &error);
    if (s == platform::ReadStatus::Ok) return ParseCurveText(text);
    CurveRead r;
    if (s == platform::ReadStatus::TooLarge)
        error = path + " is larger than any measurement (" + std::to_string(kMaxCurveFileBytes >> 20) + " MB at most)";
    r.error = error.empty() ? path + " could not be read" : error;
    return r;
}

double LevelAt(const MeasuredCurve& c, double hz) {
    const std::vector<double>& f = c.frequencies;
    if (f.empty()) return 0.0;
    if (hz <= f.front()) return c.levels.front();
    if (hz >= f.back()) return c.levels.back();
    const size_t i = static_cast<size_t>(std::upper_bound(f.begin(), f.end(), hz) - f.begin());
    const double t = std::log(hz / f[i - 1]) / std::log(f[i] / f[i - 1]);
    return c.levels[i - 1] + t * (c.levels[i] - c.levels[i - 1]);
}

MeasuredCurve ApplyCalibration(const MeasuredCurve& measurement, const MeasuredCurve& calibration) {
    MeasuredCurve out = measurement;
    for (size_t i = 0; i < out.frequencies.size(); ++i) out.levels[i] -= LevelAt(calibration, out.frequencies[i]);
    return out;
}

}  // namespace dvdsp::core
