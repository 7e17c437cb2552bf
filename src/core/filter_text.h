#pragma once
// Filter text as measurement and equaliser programs write it: the text export of the
// room-measurement program ("Filter Settings file", equaliser Generic), the configuration
// lines of the system-wide equaliser (Preamp, Filter, any order of the keywords, `#`
// comments, LPQ/HPQ, BW Oct) and ParametricEQ.txt of the headphone-correction
// collections. The reader takes every line or refuses it with its number and why; it
// knows nothing of the unit (core/filter_import.h maps the filters to a channel).

#include <string>
#include <string_view>
#include <vector>

namespace dvdsp::core {

// A filter text file is never larger than this; a larger file is refused unread.
inline constexpr size_t kMaxFilterTextBytes = 1 << 20;

enum class FilterKind {
    Peaking,   // PK
    HighPass,  // HP, HP1, HP Q, HPQ
    LowPass,   // LP, LP1, LP Q, LPQ
    Other,     // shelves, notch, all pass, band pass, modal: the type is in `type`
};

struct FilterLine {
    int line = 0;       // 1-based line number in the file
    bool on = true;     // ON or OFF
    std::string type;   // as the file names it, e.g. "PK", "LP Q", "LS 6dB"
    FilterKind kind = FilterKind::Other;
    int order = 2;      // crossover lines: 1 (LP1, HP1) or 2
    double fc = 0.0;    // Hz
    double gain = 0.0;  // dB
    double q = 0.0;     // from Q or from BW Oct; 0 when the line gives none
    bool hasGain = false;
};

struct FilterRefusal {
    int line = 0;  // 0: the file as a whole
    std::string why;
};

struct FilterText {
    std::vector<FilterLine> filters;  // every Filter line but the empty (None) ones, in order
    bool hasPreamp = false;
    double preampDb = 0.0;  // the sum of the Preamp lines
    int preampLine = 0;     // the first of them
    int emptyFilters = 0;   // "None" lines skipped
    std::vector<FilterRefusal> refused;
};

// Reads filter text. Blank lines, `#` comments and the header of the measurement
// program's export (everything before its first Filter line) are taken and left out;
// numbers may carry a decimal comma. A text with no Filter or Preamp line is refused.
FilterText ParseFilterText(std::string_view text);

// Reads the file at `path` (a regular file of at most kMaxFilterTextBytes) and parses
// it; a file that cannot be read is one refusal of line 0 with the reason.
FilterText ReadFilterTextFile(const std::string& path);

// "line 3: ..." for each refusal (at most `max`, then how many more), one a line.
std::string RefusalLines(const std::vector<FilterRefusal>& refused, size_t max = 12);

}  // namespace dvdsp::core
