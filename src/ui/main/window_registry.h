#pragma once
// Registers with the toolkit how each of the program's windows is opened by its class
// name, so that windows no menu opens can be opened all the same (scripts, tests).

namespace dvdsp::ui {

// Registers every window that exists; calling it again changes nothing.
void RegisterWindowFactories();

}  // namespace dvdsp::ui
