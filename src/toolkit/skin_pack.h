#pragma once
// Packing a skin folder into its archive: every member is protected with the given
// password; "*.svg" images become PNG files in every scale variant ("a.svg" ->
// "a@80.png", "a.png", "a@125.png", "a@150.png", "a@200.png", "a@300.png"). The folder
// "tools/" (authoring scripts) is left out.

#include <QByteArray>
#include <QString>

namespace dvdsp::tk {

// Renders one SVG at a factor of its own size; an empty array when it is not an SVG.
QByteArray RenderSvgToPng(const QByteArray& svg, double factor);

// Packs `folder` into `zipPath`. On failure returns false and says why in `error`.
bool PackSkin(const QString& folder, const QString& zipPath, const QString& password,
              QString* error);

}  // namespace dvdsp::tk
