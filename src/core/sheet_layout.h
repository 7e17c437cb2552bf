#pragma once
// A printed document as plain data: pages of text runs, boxes and polylines placed in
// points (1/72 inch, origin at the top left). The content is laid out once here; a
// renderer (Qt's painter in the window, Cairo in dvdsp-cli) only draws what it is given,
// so every output says the same thing in the same place.

#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::core::sheet {

enum class Align : uint8_t { Left, Center, Right };

// One line of text; `y` is its baseline. The renderer keeps it inside `width` (from `x`),
// drawing it smaller when the font is wider than estimated.
struct TextRun {
    double x = 0, y = 0, width = 0;
    double size = 9;
    bool bold = false;
    Align align = Align::Left;
    uint32_t rgb = 0x000000;
    std::string text;  // UTF-8
};

// A box: filled when `fill` is set, outlined when `lineWidth` > 0.
struct Box {
    double x = 0, y = 0, w = 0, h = 0;
    bool filled = false;
    uint32_t fill = 0xFFFFFF;
    double lineWidth = 0;
    uint32_t stroke = 0x000000;
};

struct Polyline {
    struct Point {
        double x, y;
    };
    std::vector<Point> points;
    double width = 1;
    uint32_t rgb = 0x000000;
    bool dashed = false;
};

// Drawn in this order: boxes, polylines, texts.
struct Page {
    std::vector<Box> boxes;
    std::vector<Polyline> lines;
    std::vector<TextRun> texts;
};

struct Document {
    double width = 595.276, height = 841.89;  // A4
    std::string title;
    std::vector<Page> pages;
};

// Paper sizes in points.
inline constexpr double kA4Width = 595.276, kA4Height = 841.89;
inline constexpr double kLetterWidth = 612, kLetterHeight = 792;

// True when a locale's paper is Letter ("en_US.UTF-8", "es_MX", "fr_CA"...): the
// countries of the Americas that use it and the Philippines; A4 everywhere else.
bool LocaleUsesLetter(const std::string& locale);

// The width a text takes at `size` points, estimated for wrapping and for columns: Latin
// and Cyrillic letters about half the size, CJK characters the whole size.
double EstimatedWidth(const std::string& text, double size);

// Splits a text into lines of at most `width` (estimated) at `size`; line breaks of the
// text are kept.
std::vector<std::string> WrapText(const std::string& text, double width, double size);

// Places content from the top of a page down, starting a new page where the next piece
// does not fit. Tables repeat their header row on a new page.
class PageFlow {
  public:
    explicit PageFlow(Document& doc, double margin = 40);

    double Left() const { return margin_; }
    double Width() const { return doc_.width - 2 * margin_; }
    double Y() const { return y_; }
    void Skip(double h) { y_ += h; }
    // A new page when `h` more does not fit on this one.
    void Need(double h);
    void NewPage();
    Page& Current() { return doc_.pages.back(); }

    void Text(double x, double y, double width, const std::string& text, double size, bool bold = false,
              Align align = Align::Left, uint32_t rgb = 0x000000);
    // A section's title with a rule under it; kept with `keep` points of what follows.
    void Heading(const std::string& text, double keep = 60);
    // Lines of text at the cursor, wrapped to the width.
    void Paragraph(const std::string& text, double size, double indent = 0);

    struct Column {
        double width;
        Align align = Align::Left;
    };
    // A table at the cursor (x from Left() + `indent`): the first row is the header (bold,
    // shaded), a cell's text is wrapped to its column and the row grows to hold it.
    // `boldFirstColumn` sets the first column as row titles.
    void Table(const std::vector<Column>& columns, const std::vector<std::vector<std::string>>& rows,
               double size = 7.5, bool boldFirstColumn = false, double indent = 0);

    // Bottom of the space for content (above the footer).
    double Bottom() const { return doc_.height - margin_ - 14; }

  private:
    void TableRow(const std::vector<Column>& columns, const std::vector<std::string>& cells, double size,
                  bool header, bool boldFirst, double indent);
    double RowHeight(const std::vector<Column>& columns, const std::vector<std::string>& cells, double size) const;

    Document& doc_;
    double margin_;
    double y_ = 0;
};

}  // namespace dvdsp::core::sheet
