#include "drawings/paper_pages.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <filesystem>

#include "drawings/paper_font.h"
#include "project/replace_file.h"

namespace nivex::drawings {

namespace fs = std::filesystem;

struct PaperPages::State {
    std::string path, temp;
    FontFace regular, bold;
    double faceAdvance = 0.6;  // of the font's characters, in em
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    double advance = 0;

    // Drops cairo's objects; true when the file was written whole.
    bool Close() {
        bool ok = cr && cairo_status(cr) == CAIRO_STATUS_SUCCESS;
        if (cr) cairo_destroy(cr);
        cr = nullptr;
        if (surface) {
            cairo_surface_finish(surface);
            ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
            cairo_surface_destroy(surface);
        }
        surface = nullptr;
        return ok;
    }

    void RemoveTemp() {
        std::error_code ec;
        if (!temp.empty()) fs::remove(temp, ec);
        temp.clear();
    }
};

PaperPages::PaperPages() : s_(std::make_unique<State>()) {}

PaperPages::~PaperPages() {
    s_->Close();
    s_->RemoveTemp();
}

bool PaperPages::Open(const std::string& path, const std::string& fontFile, double width,
                      double height, std::string* error) {
    s_->Close();
    s_->RemoveTemp();
    s_->path = path;
    s_->regular = LoadFont(fontFile);
    s_->bold = LoadFont(fontFile, true);
    if (!s_->regular || !s_->bold) {
        if (error) *error = FontFailure(fontFile);
        return false;
    }
    std::string message;
    s_->temp = project::MakeTempFile(path, &message);
    if (s_->temp.empty()) {
        if (error) *error = message;
        return false;
    }
    s_->surface = cairo_pdf_surface_create(s_->temp.c_str(), width, height);
    // Without object streams the pages and fonts stay plain to read in the file.
    cairo_pdf_surface_restrict_to_version(s_->surface, CAIRO_PDF_VERSION_1_4);
    s_->cr = cairo_create(s_->surface);
    if (cairo_status(s_->cr) != CAIRO_STATUS_SUCCESS) {
        if (error) *error = project::WriteFailure(path);
        s_->Close();
        s_->RemoveTemp();
        return false;
    }
    cairo_set_font_face(s_->cr, s_->regular.get());
    cairo_set_font_size(s_->cr, 1.0);
    cairo_text_extents_t e;
    cairo_text_extents(s_->cr, "0", &e);
    if (e.x_advance > 0) s_->faceAdvance = e.x_advance;
    cairo_set_source_rgb(s_->cr, 0, 0, 0);
    return true;
}

bool PaperPages::Good() const {
    return s_->cr && cairo_status(s_->cr) == CAIRO_STATUS_SUCCESS;
}

void PaperPages::NewPage() {
    if (s_->cr) cairo_show_page(s_->cr);
}

void PaperPages::SetFont(double size, double advance, bool bold) {
    if (!s_->cr) return;
    s_->advance = advance;
    cairo_set_font_face(s_->cr, bold ? s_->bold.get() : s_->regular.get());
    // Squeezed or widened across to the cell, so that a column of text keeps its width.
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, advance / s_->faceAdvance, size);
    cairo_set_font_matrix(s_->cr, &m);
}

void PaperPages::Text(double x, double y, std::string_view utf8) {
    if (!s_->cr || utf8.empty()) return;
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(s_->cr), x, y, utf8.data(),
                                         static_cast<int>(utf8.size()), &glyphs, &count, nullptr,
                                         nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
        return;
    // A glyph a character, each in its own cell: the bold face's wider advances must not
    // push the rest of the line out of its columns.
    for (int i = 0; i < count; ++i) {
        glyphs[i].x = x + i * s_->advance;
        glyphs[i].y = y;
    }
    cairo_show_glyphs(s_->cr, glyphs, count);
    cairo_glyph_free(glyphs);
}

void PaperPages::Fill(double x, double y, double width, double height, double grey) {
    if (!s_->cr) return;
    cairo_set_source_rgb(s_->cr, grey, grey, grey);
    cairo_rectangle(s_->cr, x, y, width, height);
    cairo_fill(s_->cr);
    cairo_set_source_rgb(s_->cr, 0, 0, 0);
}

void PaperPages::Hatch(double x, double y, double width, double height, bool diagonal, double step,
                       double lineWidth) {
    cairo_t* cr = s_->cr;
    if (!cr || !(width > 0 && height > 0 && step > 0)) return;
    const double x0 = x, x1 = x + width, y0 = y, y1 = y + height;
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, width, height);
    cairo_clip(cr);
    auto segment = [cr](double ax, double ay, double bx, double by) {
        cairo_move_to(cr, ax, ay);
        cairo_line_to(cr, bx, by);
    };
    if (!diagonal) {
        for (double v = std::ceil(x0 / step) * step; v <= x1; v += step)
            segment(v, y0, v, y1);
        for (double v = std::ceil(y0 / step) * step; v <= y1; v += step)
            segment(x0, v, x1, v);
    } else {
        // x - y = c one way, x + y = c the other, over the box's range of c.
        for (double c = std::ceil((x0 - y1) / step) * step; c <= x1 - y0; c += step)
            segment(y0 + c, y0, y1 + c, y1);
        for (double c = std::ceil((x0 + y0) / step) * step; c <= x1 + y1; c += step)
            segment(c - y0, y0, c - y1, y1);
    }
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void PaperPages::Line(double x0, double y0, double x1, double y1, double width) {
    if (!s_->cr) return;
    cairo_set_line_cap(s_->cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(s_->cr, width);
    cairo_move_to(s_->cr, x0, y0);
    cairo_line_to(s_->cr, x1, y1);
    cairo_stroke(s_->cr);
}

bool PaperPages::Finish(std::string* error) {
    const bool ok = s_->Close();
    std::error_code ec;
    if (ok && !s_->temp.empty()) fs::rename(s_->temp, s_->path, ec);
    if (!ok || s_->temp.empty() || ec) {
        if (error) *error = project::WriteFailure(s_->path);  // before errno moves on
        s_->RemoveTemp();
        return false;
    }
    s_->temp.clear();
    return true;
}

}  // namespace nivex::drawings
