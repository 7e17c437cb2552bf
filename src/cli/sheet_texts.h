#pragma once
// The program's texts for dvdsp-cli's setup sheet: the skin's language files, built into
// the program, read into a table per language.

#include <string>

#include "core/setup_sheet.h"

namespace dvdsp::cli {

// True for a language the program has ("en", "ru", "cn_zh").
bool HasLanguage(const std::string& code);
// The texts of a language; a key it lacks reads as "${key}", as in the window.
core::SheetText LanguageTexts(const std::string& code);

}  // namespace dvdsp::cli
