#include "cli/sheet_cairo.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>

namespace dvdsp::cli {

namespace {

using core::sheet::Align;
using core::sheet::Document;
using core::sheet::Page;

void SetRgb(cairo_t* cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void DrawPage(cairo_t* cr, const Page& page, bool cjk) {
    for (const auto& b : page.boxes) {
        cairo_rectangle(cr, b.x, b.y, b.w, b.h);
        if (b.filled) {
            SetRgb(cr, b.fill);
            if (b.lineWidth > 0) cairo_fill_preserve(cr);
            else cairo_fill(cr);
        }
        if (b.lineWidth > 0) {
            SetRgb(cr, b.stroke);
            cairo_set_line_width(cr, b.lineWidth);
            cairo_stroke(cr);
        }
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const auto& l : page.lines) {
        if (l.points.size() < 2) continue;
        const double dash[] = {3.0, 2.0};
        cairo_set_dash(cr, dash, l.dashed ? 2 : 0, 0);
        cairo_move_to(cr, l.points.front().x, l.points.front().y);
        for (size_t k = 1; k < l.points.size(); ++k) cairo_line_to(cr, l.points[k].x, l.points[k].y);
        SetRgb(cr, l.rgb);
        cairo_set_line_width(cr, l.width);
        cairo_stroke(cr);
    }
    cairo_set_dash(cr, nullptr, 0, 0);
    for (const auto& t : page.texts) {
        cairo_select_font_face(cr, SheetFontFamily(cjk), CAIRO_FONT_SLANT_NORMAL,
                               t.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, t.size);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, t.text.c_str(), &ext);
        double w = ext.x_advance;
        // Kept inside its width: a text wider than estimated is drawn smaller.
        if (t.width > 0 && w > t.width) {
            cairo_set_font_size(cr, t.size * t.width / w);
            w = t.width;
        }
        double x = t.x;
        if (t.align == Align::Center) x += (t.width - w) / 2;
        else if (t.align == Align::Right) x += t.width - w;
        SetRgb(cr, t.rgb);
        cairo_move_to(cr, x, t.y);
        cairo_show_text(cr, t.text.c_str());
    }
}

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

bool Finish(cairo_t* cr, cairo_surface_t* surface, std::string& error) {
    const cairo_status_t drawn = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t finished = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    const cairo_status_t status = drawn != CAIRO_STATUS_SUCCESS ? drawn : finished;
    if (status != CAIRO_STATUS_SUCCESS) error = cairo_status_to_string(status);
    return status == CAIRO_STATUS_SUCCESS;
}

}  // namespace

const char* SheetFontFamily(bool cjk) { return cjk ? "Noto Sans CJK SC" : "DejaVu Sans"; }

bool RenderPdf(const Document& doc, bool cjk, std::string& out, std::string& error) {
    out.clear();
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(Append, &out, doc.width, doc.height);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, doc.title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "dvdsp-cli");
    cairo_t* cr = cairo_create(surface);
    for (const Page& page : doc.pages) {
        DrawPage(cr, page, cjk);
        cairo_show_page(cr);
    }
    return Finish(cr, surface, error);
}

bool RenderPng(const Document& doc, int page, double scale, bool cjk, std::string& out, std::string& error) {
    out.clear();
    if (page < 0 || page >= static_cast<int>(doc.pages.size())) {
        error = "no such page";
        return false;
    }
    const int w = std::max(1, static_cast<int>(doc.width * scale + 0.5));
    const int h = std::max(1, static_cast<int>(doc.height * scale + 0.5));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    DrawPage(cr, doc.pages[static_cast<size_t>(page)], cjk);
    cairo_surface_flush(surface);
    const cairo_status_t written = cairo_surface_write_to_png_stream(surface, Append, &out);
    if (written != CAIRO_STATUS_SUCCESS) error = cairo_status_to_string(written);
    return Finish(cr, surface, error) && written == CAIRO_STATUS_SUCCESS;
}

}  // namespace dvdsp::cli
