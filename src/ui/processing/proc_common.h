#pragma once
// What the processing windows share: reading numbers the way their edits are read, the
// texts of their values, and giving an edit the focus with its text selected.

#include <QString>
#include <cstdint>

namespace dvdsp::tk {
class Edit;
class Slider;
class Window;
}  // namespace dvdsp::tk

namespace dvdsp::ui::proc {

// The leading decimal number of `text` (as strtod reads it); text that is no number is 0.
double ParseDecimal(const QString& text);
// The leading decimal integer of `text` (as strtol reads it, held to +-10^9).
int ParseInteger(const QString& text);
// Whether `text` starts with a decimal integer.
bool IsInteger(const QString& text);
// An integer literal: "0x"/"0X" selects base 16, another leading "0" base 8, anything
// else base 10; digits are read up to the first that is not one of the base. Empty: 0.
uint32_t ParseLiteral(const QString& text);

// printf-style texts of the values.
QString Format(const char* format, double value);
QString Format(const char* format, int value);

// The edit takes the focus with its text selected.
void FocusEdit(tk::Edit* edit);

}  // namespace dvdsp::ui::proc
