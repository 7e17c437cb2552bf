#pragma once
// Measured curves from outside: a measurement program's text export of a response (`*`
// comment lines, then frequency, level and an optional phase separated by spaces, tabs or
// commas), FRD files, CSV with comma, semicolon or tab and decimal commas; a microphone
// calibration file (a first line like `"Sens Factor =-.6383dB, SERNO: 7023270"`, then
// frequency and dB) and a target curve (frequency, level). The reader takes the whole file
// or refuses it with the line and why; nothing of a refused file is kept.

#include <string>
#include <string_view>
#include <vector>

namespace dvdsp::core {

// A curve file is never larger than this; a larger file is refused unread.
inline constexpr size_t kMaxCurveFileBytes = 16u << 20;

// No level of a curve is beyond this (dB either way).
inline constexpr double kMaxCurveLevelDb = 1000.0;

struct MeasuredCurve {
    std::vector<double> frequencies;  // Hz, rising
    std::vector<double> levels;       // dB
    std::vector<double> phases;       // degrees; empty when the file gives none
    bool hasSensitivity = false;      // a calibration file's "Sens Factor"
    double sensitivityDb = 0.0;
    std::string serial;               // its SERNO, when given
};

struct CurveRead {
    bool ok = false;
    MeasuredCurve curve;
    int line = 0;       // where the refusal is, 0: the file as a whole
    std::string error;  // why
    // "line 12: ..." or the reason alone.
    std::string Message() const;
};

// Reads a measurement, a calibration or a target: header and comment lines (starting with
// `*`, `#`, `;` or `"`, or words before the first row of numbers) are left out; each row
// is frequency, level and (when there) phase. Refused: text that is not text, a number
// that is not finite, a level beyond kMaxCurveLevelDb, a frequency not above 0 or not above the previous one, a row of one
// number, fewer than two points, words among the rows.
CurveRead ParseCurveText(std::string_view text);

// Reads the file at `path` (a regular file of at most kMaxCurveFileBytes) and parses it.
CurveRead ReadCurveFile(const std::string& path);

// The level of `c` at `hz`, straight between its points on a logarithmic frequency axis,
// the end values held outside.
double LevelAt(const MeasuredCurve& c, double hz);

// The measurement with the microphone's calibration taken off (its level at each point,
// interpolated, subtracted). The sensitivity shifts every level alike, which the alignment
// takes away, so it is named but not applied.
MeasuredCurve ApplyCalibration(const MeasuredCurve& measurement, const MeasuredCurve& calibration);

}  // namespace dvdsp::core
