#include "core/sheet_layout.h"

#include <algorithm>
#include <array>

namespace dvdsp::core::sheet {

bool LocaleUsesLetter(const std::string& locale) {
    // "ll_CC[.charset][@modifier]": the country is after the underscore.
    const size_t us = locale.find('_');
    if (us == std::string::npos || us + 3 > locale.size()) return false;
    const std::string country = locale.substr(us + 1, 2);
    static const std::array<const char*, 11> kLetter = {"US", "CA", "MX", "CL", "CO", "VE",
                                                         "PH", "PR", "CR", "GT", "PA"};
    for (const char* c : kLetter)
        if (country == c) return true;
    return false;
}

namespace {

// The code point starting at `i`, and its length in bytes.
uint32_t Decode(const std::string& s, size_t i, size_t& len) {
    const auto b = static_cast<unsigned char>(s[i]);
    len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (i + len > s.size()) len = 1;
    if (len == 1) return b;
    uint32_t cp = b & (0x3F >> (len - 1));
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return cp;
}

double CharWidth(uint32_t cp) {
    if (cp >= 0x2E80) return 1.0;  // CJK and the full-width forms
    if (cp == ' ' || cp == '.' || cp == ',' || cp == ':' || cp == 'i' || cp == 'l' || cp == '|') return 0.3;
    if ((cp >= 'A' && cp <= 'Z') || cp == 'm' || cp == 'w' || (cp >= 0x410 && cp <= 0x42F)) return 0.68;
    return 0.56;
}

}  // namespace

double EstimatedWidth(const std::string& text, double size) {
    double w = 0;
    for (size_t i = 0, len = 1; i < text.size(); i += len) w += CharWidth(Decode(text, i, len));
    return w * size;
}

std::vector<std::string> WrapText(const std::string& text, double width, double size) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line;
        double lineW = 0;
        const auto flush = [&] {
            lines.push_back(line);
            line.clear();
            lineW = 0;
        };
        for (size_t i = start, len = 1; i < end; i += len) {
            const uint32_t cp = Decode(text, i, len);
            const double w = CharWidth(cp) * size;
            // A line is broken at a space, after a hyphen or before a CJK character; a
            // word too long for the width stays whole (the renderer draws it smaller).
            if (lineW + w > width && !line.empty()) {
                const size_t space = line.find_last_of(" -");
                if (cp == ' ') {
                    flush();
                    continue;
                }
                if (cp >= 0x2E80) {
                    flush();
                } else if (space != std::string::npos && space > 0) {
                    std::string rest = line.substr(space + 1);
                    line.resize(line[space] == '-' ? space + 1 : space);
                    flush();
                    line = rest;
                    lineW = EstimatedWidth(line, size);
                }
            }
            line.append(text, i, len);
            lineW += w;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

PageFlow::PageFlow(Document& doc, double margin) : doc_(doc), margin_(margin) { NewPage(); }

void PageFlow::NewPage() {
    doc_.pages.emplace_back();
    y_ = margin_;
}

void PageFlow::Need(double h) {
    if (y_ + h > Bottom() && y_ > margin_) NewPage();
}

void PageFlow::Text(double x, double y, double width, const std::string& text, double size, bool bold,
                    Align align, uint32_t rgb) {
    if (text.empty()) return;
    Current().texts.push_back({x, y, width, size, bold, align, rgb, text});
}

void PageFlow::Heading(const std::string& text, double keep) {
    Need(30 + keep);
    y_ += 18;
    Text(Left(), y_, Width(), text, 12, true, Align::Left, 0x1F3A5F);
    y_ += 5;
    Current().boxes.push_back({Left(), y_, Width(), 0.8, true, 0x1F3A5F, 0, 0});
    y_ += 9;
}

void PageFlow::Paragraph(const std::string& text, double size, double indent) {
    for (const std::string& line : WrapText(text, Width() - indent, size)) {
        Need(size * 1.4);
        y_ += size * 1.4;
        Text(Left() + indent, y_ - size * 0.35, Width() - indent, line, size);
    }
}

namespace {
constexpr double kCellPad = 2.5;
constexpr double kLine = 1.25;  // line height in font sizes
}  // namespace

double PageFlow::RowHeight(const std::vector<Column>& columns, const std::vector<std::string>& cells,
                           double size) const {
    size_t lines = 1;
    for (size_t c = 0; c < columns.size() && c < cells.size(); ++c)
        lines = std::max(lines, WrapText(cells[c], columns[c].width - 2 * kCellPad, size).size());
    return static_cast<double>(lines) * size * kLine + 2 * kCellPad + 1;
}

void PageFlow::TableRow(const std::vector<Column>& columns, const std::vector<std::string>& cells, double size,
                        bool header, bool boldFirst, double indent) {
    const double h = RowHeight(columns, cells, size);
    double x = Left() + indent;
    double total = 0;
    for (const Column& c : columns) total += c.width;
    if (header) Current().boxes.push_back({x, y_, total, h, true, 0xE4E9F0, 0, 0});
    else if (boldFirst) Current().boxes.push_back({x, y_, columns.front().width, h, true, 0xF3F5F8, 0, 0});
    for (size_t c = 0; c < columns.size(); ++c) {
        const double w = columns[c].width;
        Current().boxes.push_back({x, y_, w, h, false, 0, 0.4, 0x9AA5B4});
        if (c < cells.size()) {
            const auto lines = WrapText(cells[c], w - 2 * kCellPad, size);
            double baseline = y_ + kCellPad + size * 0.95;
            for (const std::string& line : lines) {
                Text(x + kCellPad, baseline, w - 2 * kCellPad, line, size, header || (boldFirst && c == 0),
                     columns[c].align);
                baseline += size * kLine;
            }
        }
        x += w;
    }
    y_ += h;
}

void PageFlow::Table(const std::vector<Column>& columns, const std::vector<std::vector<std::string>>& rows,
                     double size, bool boldFirstColumn, double indent) {
    if (rows.empty()) return;
    const double headH = RowHeight(columns, rows.front(), size);
    Need(headH + (rows.size() > 1 ? RowHeight(columns, rows[1], size) : 0));
    TableRow(columns, rows.front(), size, true, false, indent);
    for (size_t r = 1; r < rows.size(); ++r) {
        const double h = RowHeight(columns, rows[r], size);
        if (y_ + h > Bottom()) {
            NewPage();
            TableRow(columns, rows.front(), size, true, false, indent);
        }
        TableRow(columns, rows[r], size, false, boldFirstColumn, indent);
    }
}

}  // namespace dvdsp::core::sheet
