// The Windows build has no setup sheet: no texts are built in and nothing draws a PDF.
#include "cli/sheet_cairo.h"
#include "cli/sheet_texts.h"

namespace dvdsp::cli {

bool HasLanguage(const std::string& code) { return code == "en" || code == "ru" || code == "cn_zh"; }

core::SheetText LanguageTexts(const std::string&) {
    return [](const std::string& key) { return "${" + key + "}"; };
}

bool RenderPdf(const core::sheet::Document&, bool, std::string& out, std::string& error) {
    out.clear();
    error = "not available in this build";
    return false;
}

bool RenderPng(const core::sheet::Document&, int, double, bool, std::string& out, std::string& error) {
    out.clear();
    error = "not available in this build";
    return false;
}

}  // namespace dvdsp::cli
