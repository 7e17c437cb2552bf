#pragma once
// The model's stored items as the control interface names them in its change events:
// the field's name, the scene (0 the live settings, 1-10 a stored copy, -1 the unit's
// own), the indexes the field has, and the value before and after.

#include <QJsonObject>

#include "core/model_items.h"

namespace dvdsp::ui {

// "band", "trim", "main-volume", ...
const char* ItemFieldName(core::Field field);
QJsonObject ItemChangeToJson(const core::ItemChange& change);

}  // namespace dvdsp::ui
