#pragma once
// What assistive technology sees of the toolkit's controls beyond Qt's own: a spin edit
// is a spin box with a value (its number, range and step) that can be set, and its value
// changes are announced.

class QWidget;

namespace dvdsp::tk {

class Edit;

// Installs the toolkit's accessible interfaces once (the first control asks for it).
void InstallAccessibleFactory();
// Announces the edit's new value to assistive technology.
void AnnounceValue(Edit& edit);

}  // namespace dvdsp::tk
