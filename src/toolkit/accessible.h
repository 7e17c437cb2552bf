#pragma once
// What assistive technology sees of the toolkit's controls beyond Qt's own: a spin edit
// is a spin box with a value (its number, range and step) that can be set, and its value
// changes are announced.

#include <functional>

class QAccessibleEvent;
class QWidget;

namespace dvdsp::tk {

class Edit;

// Installs the toolkit's accessible interfaces once (the first control asks for it).
void InstallAccessibleFactory();
// Announces the edit's new value to assistive technology.
void AnnounceValue(Edit& edit);
// Every event the toolkit and the windows' controls send to assistive technology goes
// through here (Qt passes it on only while a client listens).
void Announce(QAccessibleEvent& event);

namespace testing {
// Sees each event given to Announce (tests: no client listens offscreen). None by default.
void ObserveAccessibleEvents(std::function<void(QAccessibleEvent&)> observer);
}  // namespace testing

}  // namespace dvdsp::tk
