#pragma once
// The PDF's text and pages through poppler-utils (pdftotext, pdfinfo, pdftoppm), for the
// tests of the setup sheet. A test without the tools skips with a message.

#include <cstdio>
#include <string>

namespace dvdsp::testing {

// True when the tool is on the PATH.
inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// What a shell command prints on standard output.
inline std::string CommandOutput(const std::string& cmd) {
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// The text of a PDF, laid out as on the page (the rows of a table stay on one line).
inline std::string PdfText(const std::string& path) {
    return CommandOutput("pdftotext -layout '" + path + "' - 2>/dev/null");
}

#define DVDSP_NEEDS_POPPLER()                                                                         \
    do {                                                                                              \
        if (!dvdsp::testing::HaveTool("pdftotext") || !dvdsp::testing::HaveTool("pdftoppm") ||        \
            !dvdsp::testing::HaveTool("pdfinfo"))                                                     \
            GTEST_SKIP() << "pdftotext, pdftoppm and pdfinfo (poppler-utils) are not installed; "     \
                            "scripts/setup installs them";                                            \
    } while (0)

}  // namespace dvdsp::testing
