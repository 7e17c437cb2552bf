// Fuzz target for filter text (core/filter_text.h) and its check against a channel
// (core/filter_import.h). Every refusal names a line of the input (or 0, the file); what
// is taken holds finite numbers; a plan that passes the check holds only values the unit
// accepts; and a channel holding such a plan writes out text that reads back to the same
// frequencies and gains.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/limits.h"
#include "core/filter_import.h"

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i)
        lines += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    const FilterText t = ParseFilterText(text);
    for (const FilterRefusal& r : t.refused) Check(r.line >= 0 && r.line <= lines && !r.why.empty());
    for (const FilterLine& f : t.filters)
        Check(f.line >= 1 && f.line <= lines && std::isfinite(f.fc) && f.fc > 0 && std::isfinite(f.gain) &&
              std::isfinite(f.q) && f.q >= 0);
    Check(std::isfinite(t.preampDb));

    SceneState s;
    const FilterImport p = PlanFilterImport(t, s, 1);
    if (!p.Ok()) return 0;
    Check(p.bands.size() <= static_cast<size_t>(s.channels[1].eqSize) && std::isfinite(p.worstDb));
    for (const EqBand& b : p.bands)
        Check(limits::kBandFreq.Accepts(b.freq) && limits::kBandQ.Accepts(b.q) && limits::kBandGain.Accepts(b.gain));
    for (const CrossoverImport* x : {&p.highPass, &p.lowPass})
        if (x->set)
            Check(limits::kFilterFreq.Accepts(x->filter.freq) && limits::kFilterType.Accepts(x->filter.type) &&
                  limits::kFilterSlope.Accepts(x->filter.slope));
    Check(!p.hasPreamp || limits::kTrim.Accepts(p.preampHundredths / 100.0));

    // Written out and read back: the same bands' frequencies and gains.
    if (p.bands.size() > 3) return 0;  // the conversions are the slow part
    for (size_t b = 0; b < p.bands.size(); ++b) s.Bands(1)[b] = p.bands[b];
    s.channels[1].eqSize = static_cast<int32_t>(p.bands.size());
    const FilterImport back = PlanFilterImport(ParseFilterText(WriteFilterText(s, 1)), SceneState(), 1);
    Check(back.Ok() && back.bands.size() == p.bands.size());
    for (size_t b = 0; b < p.bands.size(); ++b)
        Check(back.bands[b].freq == p.bands[b].freq && back.bands[b].gain == p.bands[b].gain);
    return 0;
}
