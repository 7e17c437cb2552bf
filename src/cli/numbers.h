#pragma once
// Numbers on the command line: decimal, or hexadecimal after "0x"; values with a decimal
// point whatever the locale; the index arguments of get and set by their synopsis word.

#include <string>

namespace dvdsp::cli {

// A whole number, decimal or "0x" hex, with an optional sign; false for anything else
// (blanks and trailing characters included) or one that does not fit.
bool ParseInt(const std::string& s, long& out);
// A decimal number (an exponent allowed); false for anything else or one out of range.
bool ParseDouble(const std::string& s, double& out);
// An index argument by its synopsis word: "CH" 0-9, "BAND" 0-30, "SOURCE" 0-8, "PAIR"
// 0-4, "hp|lp" hp/0 or lp/1, anything else 0-255.
bool ParseIndex(const std::string& word, const std::string& text, double& out);

}  // namespace dvdsp::cli
