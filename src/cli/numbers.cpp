#include "cli/numbers.h"

#include <cerrno>
#include <cstdlib>

namespace dvdsp::cli {

namespace {

bool IsDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

}  // namespace

bool ParseInt(const std::string& s, long& out) {
    if (s.find('\0') != std::string::npos) return false;
    size_t at = s.size() > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    // A leading zero is no octal mark: "010" is ten.
    const bool hex = s.size() > at + 1 && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X');
    if (hex) at += 2;
    if (at >= s.size() || !IsDigit(s[at], hex)) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, hex ? 16 : 10);
    if (errno || *end) return false;
    out = v;
    return true;
}

bool ParseDouble(const std::string& s, double& out) {
    // One word: no blanks before it (strtod would skip them) and nothing after it.
    if (s.empty() || s.find('\0') != std::string::npos || s[0] == ' ' || (s[0] >= '\t' && s[0] <= '\r'))
        return false;
    // The decimal point is the C locale's: the program sets LC_NUMERIC to "C" at start.
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (errno || *end) return false;
    out = v;
    return true;
}

bool ParseIndex(const std::string& word, const std::string& text, double& out) {
    if (word == "hp|lp") {
        if (text == "hp" || text == "0") return out = 0, true;
        if (text == "lp" || text == "1") return out = 1, true;
        return false;
    }
    long v;
    if (!ParseInt(text, v)) return false;
    const long max = word == "CH"       ? 9
                     : word == "BAND"   ? 30
                     : word == "SOURCE" ? 8
                     : word == "PAIR"   ? 4
                                        : 255;
    if (v < 0 || v > max) return false;
    out = static_cast<double>(v);
    return true;
}

}  // namespace dvdsp::cli
