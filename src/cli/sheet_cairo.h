#pragma once
// Drawing a laid-out document (core/sheet_layout.h) with Cairo: as a PDF (text as text,
// lines as vectors, the font embedded) or one page as a PNG image. Builds without Cairo
// (Windows) have neither; `kHaveCairo` says which this is.

#include <string>

#include "core/sheet_layout.h"

namespace dvdsp::cli {

#if defined(DVDSP_HAVE_CAIRO)
inline constexpr bool kHaveCairo = true;
#else
inline constexpr bool kHaveCairo = false;
#endif

// The font family the texts are drawn with; `cjk` for Chinese texts.
const char* SheetFontFamily(bool cjk);

// The PDF file's bytes; false with the reason when Cairo fails.
bool RenderPdf(const core::sheet::Document& doc, bool cjk, std::string& out, std::string& error);
// Page `page` as a PNG file's bytes, `scale` pixels a point, on white.
bool RenderPng(const core::sheet::Document& doc, int page, double scale, bool cjk, std::string& out,
               std::string& error);

}  // namespace dvdsp::cli
