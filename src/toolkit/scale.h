#pragma once
// Display scale: the value of ChooseDisplayScale (77, 96, 120, 144, 192, 288), 96 being
// unscaled. Every pixel size of a layout is multiplied by dpi / 96, and images come in
// one variant per scale.

#include <QString>

namespace dvdsp::tk {

inline constexpr int kBaseDpi = 96;

// n pixels at 96 scaled to dpi, rounded half away from zero.
int Scaled(int n, int dpi);

// Name suffix of the image variant drawn for a scale: "@80", "", "@125", "@150", "@200",
// "@300" (the nearest variant at or above the scale).
QString ImageSuffix(int dpi);
// "img/a.png" with the suffix inserted before the extension: "img/a@150.png".
QString ImageVariantName(const QString& name, int dpi);

// The scale new windows start with (set once at start-up).
void SetDefaultDpi(int dpi);
int DefaultDpi();

// The scale the program starts with (ChooseDisplayScale on the screens Qt reports).
int ScreenDisplayScale();

}  // namespace dvdsp::tk
