#pragma once
// The EQ graph as assistive technology sees it: a chart with one part per band (named with
// its frequency and Q, its value the gain, settable) and one per shown crossover marker (its
// value the frequency). Selecting a band by key moves the accessible focus to its part.

namespace dvdsp::ui {

class UIEqualizer;

// Installs the graph's accessible interface once.
void InstallGraphAccessible();
// Tells assistive technology that the graph's current band has the focus.
void AnnounceCurrentPart(UIEqualizer& graph);

}  // namespace dvdsp::ui
