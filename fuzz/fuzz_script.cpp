// Fuzz target for the script files of `dvdsp --script`: any bytes as the file, cut into
// lines and parsed as the runner does before each line runs. Every line is skipped, a step
// or an error that says why; a step's times are never negative; a step written out as a
// line parses back to the same step.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "ui/main/script_parse.h"

using namespace dvdsp::ui;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& line : ScriptFileLines(bytes)) {
        const ScriptLine parsed = ParseScriptLine(line);
        if (parsed.skip) {
            Check(parsed.error.isEmpty());
            continue;
        }
        if (!parsed.error.isEmpty()) continue;
        Check(parsed.step.ms >= 0);
        const QString written = ScriptStepText(parsed.step);
        Check(!written.contains(QLatin1Char('\n')));
        const ScriptLine again = ParseScriptLine(written);
        Check(!again.skip && again.error.isEmpty() && again.step == parsed.step);
    }
    return 0;
}
