#pragma once
// Filter text (core/filter_text.h) and a channel of the unit: what an import would set
// (the bands, the crossovers, the trim), checked whole against the unit before anything
// changes, and the channel written back as filter text.
//
// Peaking filters go to the channel's bands in order, their Q converted so that the
// unit's band (designed from its lower band edge) matches the cookbook filter the text
// means, on the unit's steps (whole hertz, tenths of Q and dB); the channel's further
// bands are made flat. High-pass and low-pass lines at one frequency make one crossover
// when their sections are one of the unit's (Butterworth 1-8, Linkwitz-Riley 2-8, Bessel
// 2). Shelves and the other types are refused: the unit has no such filter. The preamp is
// the channel's trim, taken only when the caller says so.

#include <string>
#include <vector>

#include "core/filter_text.h"
#include "core/model.h"
#include "core/value_ops.h"

namespace dvdsp::core {

struct CrossoverImport {
    bool set = false;
    int line = 0;  // the first of its lines
    CrossoverFilter filter;
};

struct FilterImport {
    int channel = 0;
    std::vector<EqBand> bands;  // bands 0.. of the channel, in the file's order
    int flattened = 0;          // further bands of the channel that will be made flat
    CrossoverImport highPass, lowPass;
    bool hasPreamp = false;
    int preampHundredths = 0;  // the trim the preamp gives, hundredths of a dB
    int preampLine = 0;
    int offFilters = 0;     // OFF lines left out
    int emptyFilters = 0;   // None lines left out
    double worstDb = 0.0;   // largest difference of the bands from the file's filters, 20 Hz-20 kHz
    std::vector<FilterRefusal> refused;
    bool Ok() const { return refused.empty(); }
};

// What importing `text` into channel `ch` of the live settings `s` sets; refusals name
// each line that the unit cannot take (nothing is to change then).
FilterImport PlanFilterImport(const FilterText& text, const SceneState& s, int ch);

// One paragraph for the person: what is set and the worst difference, in plain words.
std::string ImportSummary(const FilterImport& plan);

// Sets what the plan holds through the value operations, as typed values are: the bands,
// the channel's further bands flat, the crossovers, and the trim when `takePreamp`.
// `s` is the live settings the plan was made from.
void ApplyFilterImport(ValueOps& ops, const SceneState& s, const FilterImport& plan, bool takePreamp);

// The channel as filter text in the dialect every reader takes: "Preamp: X dB", then a
// "Filter N: ON PK Fc F Hz Gain G dB Q Q" line per band in use (a disabled band flat, the
// Q the cookbook filter's that matches the band), then the crossovers as HP/LP lines (one
// per section). A crossover no such line holds (Bessel of order 3 and more) is left out
// and named in `notWritten`.
std::string WriteFilterText(const SceneState& s, int ch, std::vector<std::string>* notWritten = nullptr);

}  // namespace dvdsp::core
