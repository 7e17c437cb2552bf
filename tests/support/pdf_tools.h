#pragma once
// The PDF's text and pages through poppler-utils (pdftotext, pdfinfo, pdftoppm), for the
// tests of the setup sheet. A test without the tools skips with a message.

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

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

// The words after a row's title, on the first line that starts with it.
inline std::vector<std::string> Row(const std::string& text, const std::string& title) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, title.size(), title) != 0) continue;
        const std::string rest = line.substr(start + title.size());
        if (!rest.empty() && rest[0] != ' ') continue;
        std::vector<std::string> words;
        std::istringstream row(rest);
        for (std::string w; row >> w;) words.push_back(w);
        return words;
    }
    return {};
}

#define DVDSP_NEEDS_POPPLER()                                                                         \
    do {                                                                                              \
        if (!dvdsp::testing::HaveTool("pdftotext") || !dvdsp::testing::HaveTool("pdftoppm") ||        \
            !dvdsp::testing::HaveTool("pdfinfo"))                                                     \
            GTEST_SKIP() << "pdftotext, pdftoppm and pdfinfo (poppler-utils) are not installed; "     \
                            "scripts/setup installs them";                                            \
    } while (0)

}  // namespace dvdsp::testing
